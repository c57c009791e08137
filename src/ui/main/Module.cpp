// The entry points the program looks up when it loads its window module.

#include "core/Fenetres.h"
#include "ui/main/DialogueQt.h"
#include "ui/main/FenetreProvisoire.h"

// Looked up by name with dlsym: they must stay visible whatever the default.
#define CORVELLE_EXPORT __attribute__((visibility("default")))

extern "C" {

CORVELLE_EXPORT corvelle::Dialogue* corvelle_ui_dialogue(int* argc, char** argv) {
    return new corvelle::ui::DialogueQt(*argc, argv);
}

CORVELLE_EXPORT int corvelle_ui_fenetre(corvelle::EtatProgramme* etat,
                                        corvelle::Dialogue* dialogue) {
    return corvelle::ui::LanceFenetre(*etat, *static_cast<corvelle::ui::DialogueQt*>(dialogue));
}
}
