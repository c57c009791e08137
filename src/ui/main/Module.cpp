// The entry points the program looks up when it loads its window module.

#include <QApplication>

#include "app/Fenetres.h"
#include "app/Programme.h"
#include "ui/commun/TraductionFenetre.h"
#include "ui/config/FenetreConfiguration.h"
#include "ui/main/DialogueQt.h"
#include "ui/main/FenetreAPropos.h"
#include "ui/main/FenetreComposition.h"

// Looked up by name with dlsym: they must stay visible whatever the default.
#define CORVELLE_EXPORT __attribute__((visibility("default")))

extern "C" {

CORVELLE_EXPORT corvelle::Dialogue* corvelle_ui_dialogue(int* argc, char** argv) {
    return new corvelle::ui::DialogueQt(*argc, argv);
}

CORVELLE_EXPORT int corvelle_ui_fenetre(corvelle::Programme* etat, corvelle::Dialogue* dialogue) {
    auto& qt = *static_cast<corvelle::ui::DialogueQt*>(dialogue);
    QApplication& application = qt.Application();
    corvelle::ui::TraduitQt(etat->Langage);
    corvelle::ui::frmCorvelle fenetre(*etat, qt);
    fenetre.Charge();
    fenetre.ShowInitial();
    return application.exec();
}

// At start-up, when the directory could not be reached and the person chose
// to mend its settings: the settings window alone, on its directory tab.
CORVELLE_EXPORT void corvelle_ui_configuration(corvelle::Programme* etat,
                                               corvelle::Dialogue* dialogue) {
    auto& qt = *static_cast<corvelle::ui::DialogueQt*>(dialogue);
    qt.Application();
    corvelle::ui::TraduitQt(etat->Langage);
    corvelle::ui::frmConfiguration configuration(*etat, qt, etat->Fenetre.ToujoursAuDessus);
    configuration.exec();
}

// "/?" with a display: the About window alone.
CORVELLE_EXPORT void corvelle_ui_apropos(const corvelle::Programme* etat,
                                         corvelle::Dialogue* dialogue) {
    auto& qt = *static_cast<corvelle::ui::DialogueQt*>(dialogue);
    qt.Application();
    corvelle::ui::TraduitQt(etat->Langage);
    corvelle::ui::frmAPropos fenetre(etat->Langage, nullptr);
    fenetre.exec();
}
}
