// The entry points the program looks up when it loads its window module.

#include <QApplication>
#include <QTimer>

#include "core/EtatProgramme.h"
#include "core/Fenetres.h"
#include "core/Plateforme.h"
#include "ui/main/DialogueQt.h"
#include "ui/main/FenetreComposition.h"

// Looked up by name with dlsym: they must stay visible whatever the default.
#define CORVELLE_EXPORT __attribute__((visibility("default")))

extern "C" {

CORVELLE_EXPORT corvelle::Dialogue* corvelle_ui_dialogue(int* argc, char** argv) {
    return new corvelle::ui::DialogueQt(*argc, argv);
}

CORVELLE_EXPORT int corvelle_ui_fenetre(corvelle::EtatProgramme* etat,
                                        corvelle::Dialogue* dialogue) {
    auto& qt = *static_cast<corvelle::ui::DialogueQt*>(dialogue);
    QApplication& application = qt.Application();
    corvelle::ui::frmCorvelle fenetre(*etat, qt);
    fenetre.Charge();
    fenetre.ShowInitial();
    // The start-up benchmark: leave as soon as the shown window is idle.
    if (!corvelle::plateforme::VariableEnvironnement("CORVELLE_MESURE_AFFICHAGE").empty()) {
        QTimer::singleShot(0, &application, &QCoreApplication::quit);
    }
    return application.exec();
}
}
