// Pictures of the real windows for the documentation: run under a display
// (Xvfb) with the output folder, a language ("fr" or "en") and the
// translations folder; with a font size in points after them, the compose
// window alone in that font, to show how the windows grow with it.

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <cstdlib>
#include <iostream>

#include "app/Demarrage.h"
#include "app/Programme.h"
#include "config/ConfigSMTP.h"
#include "core/Dialogue.h"
#include "support/DialogueEnregistreur.h"
#include "support/DossierTemporaire.h"
#include "support/EnvironnementTest.h"
#include "ui/config/FenetreConfiguration.h"
#include "ui/config/FenetreConfigurationSMTP.h"
#include "ui/main/FenetreComposition.h"

using namespace corvelle;

namespace {

void Remplit(ui::frmCorvelle& fenetre) {
    auto champ = [&](const char* nom, int index) {
        for (auto* zone : fenetre.findChildren<QPlainTextEdit*>(QString::fromUtf8(nom))) {
            if (zone->property("index").toInt() == index) {
                return zone;
            }
        }
        return static_cast<QPlainTextEdit*>(nullptr);
    };
    fenetre.findChild<QLineEdit*>(QStringLiteral("txtExpéditeur"))
        ->setText(QStringLiteral("Service informatique <informatique@example.com>"));
    champ("txtDestinataires", 0)
        ->setPlainText(QStringLiteral("marie.durand, \"Dupont, Jean\" <jean.dupont@example.com>, "
                                      "grp:Direction, fic:equipe.txt"));
    champ("txtDestinataires", 1)->setPlainText(QStringLiteral("support@example.com"));
    fenetre.findChild<QLineEdit*>(QStringLiteral("txtObjetMessage"))
        ->setText(QStringLiteral("Maintenance du serveur de fichiers"));
    fenetre.findChild<QPlainTextEdit*>(QStringLiteral("txtCorpsMessage"))
        ->setPlainText(QStringLiteral("Bonjour,\n\nLe serveur de fichiers sera arrêté samedi de "
                                      "8 h à 12 h.\n\nMerci de votre compréhension."));
}

bool Enregistre(QWidget& fenetre, const QString& dossier, const QString& nom) {
    const QString fichier = QDir(dossier).filePath(nom + QStringLiteral(".png"));
    const bool ecrit = fenetre.grab().save(fichier);
    std::cout << fichier.toStdString() << (ecrit ? "\n" : " could not be written\n");
    return ecrit;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4 && argc != 5) {
        std::cerr << "usage: captures <output folder> fr|en <translations folder> [points]\n";
        return 2;
    }
    QApplication application(argc, argv);
    const int points = argc == 5 ? std::atoi(argv[4]) : 0;
    if (points > 0) {
        QFont police = QApplication::font();
        police.setPointSize(points);
        QApplication::setFont(police);
    }
    const QString sortie = QString::fromLocal8Bit(argv[1]);
    const std::string langue = argv[2];
    test::DossierTemporaire dossier;
    test::EcritFichier(dossier / "prog/Corvelle.ini",
                       "[Configuration]\nExpéditeurParDéfaut=\nLangue=" +
                           std::string(langue == "en" ? "English" : "Français") + "\n");
    if (langue == "en") {
        test::EcritFichier(dossier / "prog/English.lng",
                           test::LitFichier(std::string(argv[3]) + "/English.lng"));
    }
    const EnvironnementDemarrage env = test::EnvironnementPortable(dossier);
    Programme etat;
    DialogueEnregistreur dialogue;
    if (Demarre(env, etat, dialogue).mode != ModeExecution::Fenetre) {
        return 1;
    }
    ui::frmCorvelle fenetre(etat, dialogue);
    fenetre.Charge();
    fenetre.ShowInitial();
    Remplit(fenetre);
    QTimer::singleShot(300, [&] {
        QString suffixe = QString::fromStdString(langue);
        if (points > 0) {
            suffixe += QStringLiteral("-%1pt").arg(points);
            application.exit(Enregistre(fenetre, sortie, "fenetre-composition-" + suffixe) ? 0 : 1);
            return;
        }
        bool ecrit = Enregistre(fenetre, sortie, "fenetre-composition-" + suffixe);

        ui::frmConfiguration configuration(etat, dialogue, false, &fenetre);
        configuration.show();
        auto* onglets = configuration.findChild<QTabWidget*>(QStringLiteral("tabOnglets"));
        for (int i = 0; i < onglets->count(); ++i) {
            onglets->setCurrentIndex(i);
            QApplication::processEvents();
            ecrit = Enregistre(configuration, sortie,
                               QStringLiteral("configuration-%1-%2").arg(i + 1).arg(suffixe)) &&
                    ecrit;
        }
        ui::frmConfigurationSMTP smtp(etat, dialogue, {}, false, &configuration);
        clsConfigSMTP exemple;
        exemple.Nom = "Bureau";
        exemple.Serveur = "smtp.example.com";
        exemple.SSL = true;
        exemple.Port = 587;
        exemple.Authentification = AuthLogin;
        exemple.Username = "jean.dupont";
        smtp.Remplit(exemple, "secret");
        smtp.show();
        QApplication::processEvents();
        ecrit = Enregistre(smtp, sortie, "configuration-smtp-" + suffixe) && ecrit;
        application.exit(ecrit ? 0 : 1);
    });
    return application.exec();
}
