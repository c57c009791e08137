#include "ui/main/FenetreProvisoire.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>

#include "core/EtatProgramme.h"
#include "core/Version.h"
#include "ui/main/DialogueQt.h"

namespace corvelle::ui {

int LanceFenetre(EtatProgramme& etat, DialogueQt& dialogue) {
    QApplication& application = dialogue.Application();
    QMainWindow fenetre;
    fenetre.setObjectName(QStringLiteral("frmCorvelle"));
    fenetre.setWindowTitle(QString::fromStdString(TitreFenetre()));
    const QString resume =
        QStringLiteral("Configuration : %1\nConfigurations SMTP : %2\nLangue : %3")
            .arg(QString::fromStdString(etat.FichierConfiguration))
            .arg(etat.ListeConfigsSMTP.size())
            .arg(QString::fromStdString(etat.Langage.LangueCourante));
    auto* etiquette = new QLabel(resume, &fenetre);
    etiquette->setMargin(16);
    fenetre.setCentralWidget(etiquette);
    fenetre.resize(500, 300);
    fenetre.show();
    return application.exec();
}

}  // namespace corvelle::ui
