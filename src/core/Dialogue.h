#pragma once

// How the core talks to the person running the program: message boxes, the
// busy pointer, pending window events. Window mode shows real boxes; a
// console without a display writes them to standard error and answers each
// question with its default button; tests record them.

#include <string>
#include <vector>

namespace corvelle {

struct Langue;

enum class Icone { Aucune, Information, Exclamation, Question, Critique };
enum class Boutons { Ok, OkAnnuler, OuiNon, OuiNonAnnuler };
enum class Reponse { Ok, Annuler, Oui, Non };

struct Boite {
    std::string texte;  // line breaks are CR LF
    std::string titre;
    Icone icone = Icone::Aucune;
    Boutons boutons = Boutons::Ok;
    Reponse parDefaut = Reponse::Ok;  // the answer when nobody can be asked
};

class Dialogue {
  public:
    virtual ~Dialogue() = default;

    virtual Reponse Affiche(const Boite& boite) = 0;
    // The About window: description, version and command-line syntax, in
    // the interface language.
    virtual void AfficheAPropos(const Langue& langue) = 0;
    virtual void DebutAttente() = 0;
    virtual void FinAttente() = 0;
    // Lets pending window events run once before long work.
    virtual void TraiteEvenements() = 0;
};

// The busy pointer while an object lives, or until Termine.
class Attente {
  public:
    explicit Attente(Dialogue& dialogue) : dialogue_(dialogue) { dialogue_.DebutAttente(); }
    Attente(const Attente&) = delete;
    Attente& operator=(const Attente&) = delete;
    ~Attente() { Termine(); }
    void Termine() {
        if (active_) {
            active_ = false;
            dialogue_.FinAttente();
        }
    }

  private:
    Dialogue& dialogue_;
    bool active_ = true;
};

// Without a display: boxes go to standard error, one block each, prefixed by
// their kind; the About text goes to standard output.
class DialogueConsole final : public Dialogue {
  public:
    Reponse Affiche(const Boite& boite) override;
    void AfficheAPropos(const Langue& langue) override;
    void DebutAttente() override {}
    void FinAttente() override {}
    void TraiteEvenements() override {}
};

// Keeps every box for tests and answers from a script, else by default.
class DialogueEnregistreur final : public Dialogue {
  public:
    std::vector<Boite> boites;
    int aPropos = 0;                // About windows shown
    std::vector<Reponse> reponses;  // answers given in order, then defaults
    int attentes = 0;               // busy pointer left on

    Reponse Affiche(const Boite& boite) override;
    void AfficheAPropos(const Langue&) override { ++aPropos; }
    void DebutAttente() override { ++attentes; }
    void FinAttente() override {
        if (attentes > 0) {
            --attentes;
        }
    }
    void TraiteEvenements() override {}
};

}  // namespace corvelle
