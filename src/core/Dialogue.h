#pragma once

// How the program talks to the person running it: message boxes, the busy
// pointer, pending window events. Window mode shows real boxes; a console
// without a display writes them to standard output (information) or standard
// error (the rest) and answers each question with its default button; tests
// record them.

#include <array>
#include <string>

namespace corvelle {

enum class Icone { Aucune, Information, Exclamation, Question, Critique };
enum class Boutons { Ok, OkAnnuler, OuiNon, OuiNonAnnuler };
enum class Reponse { Ok, Annuler, Oui, Non };

struct Boite {
    std::string texte;  // line breaks are CR LF
    std::string titre;
    Icone icone = Icone::Aucune;
    Boutons boutons = Boutons::Ok;
    Reponse parDefaut = Reponse::Ok;  // the answer when nobody can be asked
    // The outcome of something that went well: a window shows it like any
    // other report, a console as information on standard output.
    bool reussite = false;
    // A notice beside the run's work (the first start's language notice): a
    // console writes it on standard error, so standard output stays the run's.
    bool aparte = false;
};

// The kinds' names with their colon, in the interface language: error,
// warning, question, information.
using GenresMessages = std::array<std::string, 4>;

class Dialogue {
  public:
    virtual ~Dialogue() = default;

    virtual Reponse Affiche(const Boite& boite) = 0;
    virtual void DebutAttente() = 0;
    virtual void FinAttente() = 0;
    // Lets pending window events run once before long work.
    virtual void TraiteEvenements() = 0;
    // The interface language is chosen: a console names the kinds of message
    // in it; a window shows its icon instead.
    virtual void NommeGenres(const GenresMessages& /*genres*/) {}
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

// Without a display: one block per box, prefixed by its kind; information on
// standard output, warnings, errors and questions on standard error.
class DialogueConsole final : public Dialogue {
  public:
    Reponse Affiche(const Boite& boite) override;
    void DebutAttente() override {}
    void FinAttente() override {}
    void TraiteEvenements() override {}
    void NommeGenres(const GenresMessages& genres) override { genres_ = genres; }

  private:
    // French until start-up has chosen the language.
    GenresMessages genres_ = {"Erreur :", "Attention :", "Question :", "Information :"};
};

}  // namespace corvelle
