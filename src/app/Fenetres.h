#pragma once

// Real windows, from a module loaded the first time one is needed. Without a
// module (or a display) messages go to the console instead.

#include <memory>
#include <string>

#include "core/Dialogue.h"

namespace corvelle {

struct Langue;
struct Programme;

// Names of the module's entry points.
// The window dialogue; null, with the reason, when Qt could not start. Its
// boxes follow `langue` as start-up sets it.
using FabriqueDialogue = Dialogue* (*)(int* argc, char** argv, std::string* raison,
                                       const Langue* langue);
using LanceurFenetre = int (*)(Programme* etat, Dialogue* dialogue);
using LanceurConfiguration = void (*)(Programme* etat, Dialogue* dialogue);
using LanceurAPropos = void (*)(const Programme* etat, Dialogue* dialogue);

// Shows boxes as windows once the first one is asked for; until then the busy
// pointer and event calls have nothing to act on and are skipped.
class DialogueFenetres final : public Dialogue {
  public:
    // `langue`: the run's interface language, which Qt's own buttons follow
    // from the first box on.
    DialogueFenetres(int& argc, char** argv, const Langue& langue);
    ~DialogueFenetres() override;

    Reponse Affiche(const Boite& boite) override;
    void DebutAttente() override;
    void FinAttente() override;
    void TraiteEvenements() override;
    // For the console that stands in when the module cannot be loaded.
    void NommeGenres(const GenresMessages& genres) override { console_.NommeGenres(genres); }

    // Opens the main window and returns when it is closed; false when the
    // window module cannot be loaded (the reason is on standard error).
    [[nodiscard]] bool LanceFenetre(Programme& etat, int& codeSortie);
    // Shows the settings window on its directory tab, modal; false when the
    // window module cannot be loaded.
    [[nodiscard]] bool OuvreConfiguration(Programme& etat);
    // The About window; its text on standard output without the module.
    void AfficheAPropos(const Programme& etat);

    // Where boxes go when the windows cannot be shown after all.
    [[nodiscard]] DialogueConsole& Console() { return console_; }

  private:
    // The window dialogue, loading the module on first use; null when it
    // cannot be loaded.
    Dialogue* Fenetres();
    // An entry point of the module, loading it first; null when unavailable.
    void* Entree(const char* nom);

    int& argc_;
    char** argv_;
    const Langue& langue_;
    void* module_ = nullptr;
    std::unique_ptr<Dialogue> fenetres_;
    DialogueConsole console_;
    bool essaye_ = false;
};

}  // namespace corvelle
