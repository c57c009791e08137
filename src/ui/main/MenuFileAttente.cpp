// The outbox as the Options menu shows it.

#include <QAction>

#include "app/Programme.h"
#include "app/ResumeFileAttente.h"
#include "core/Texte.h"
#include "i18n/Traduction.h"
#include "ui/commun/TraductionFenetre.h"
#include "ui/main/FenetreComposition.h"

namespace corvelle::ui {

void frmCorvelle::mnuOptions_AboutToShow() {
    const ResumeFileAttente resume = ResumeFile(etat_);
    const Langue& langue = etat_.Langage;
    std::string texte = FormateMessage(langue.Texte("TXT_MENU_FILE_ATTENTE"), resume.messages);
    if (!resume.dernierEchec.empty()) {
        texte += FormateMessage(langue.Texte("TXT_MENU_FILE_ATTENTE_ECHEC"),
                                Lisible(resume.dernierEchec));
    }
    // A menu line: one line, and a "&" in a reply is no shortcut.
    mnuOptionsFileAttente_->setText(VersQt(texte).replace('&', QStringLiteral("&&")));
}

}  // namespace corvelle::ui
