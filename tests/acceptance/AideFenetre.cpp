// Helper of the window tests (test_fenetre.py): the compose window of a
// portable copy, driven as a person would, while the tests' servers take the
// send.
//
//   aide_fenetre <dossier> <destinataires> <lots> arret|fermeture
//
// Types a message to <destinataires> and clicks Send; once <lots> batches are
// sent, clicks Stop (arret) or closes the window and says yes to the question
// (fermeture). Prints what it saw, a line each: the longest wait of a timer on
// the interface thread during the send ("ecart <ms>"), whether the controls
// were disabled ("desactives 0|1"), the progress shown when it acted
// ("progression <text>"), every box ("boite <text>", line breaks as \n) and
// whether the window is still shown ("visible 0|1"). Exit 3 if the send never
// ended.

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <iostream>
#include <string>

#include "app/Demarrage.h"
#include "app/Programme.h"
#include "support/DialogueEnregistreur.h"
#include "ui/main/FenetreComposition.h"

namespace {

using namespace corvelle;

template <typename T>
T* Trouve(const QObject& parent, const char* nom) {
    return parent.findChild<T*>(QString::fromUtf8(nom));
}

std::string UneLigne(std::string texte) {
    for (std::size_t i = 0; (i = texte.find("\r\n", i)) != std::string::npos;) {
        texte.replace(i, 2, "\\n");
    }
    return texte;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::cerr << "aide_fenetre <dossier> <destinataires> <lots> arret|fermeture\n";
        return 2;
    }
    const std::string dossier = argv[1];
    const int lots = std::stoi(argv[3]);
    const bool fermeture = std::string(argv[4]) == "fermeture";
    QApplication application(argc, argv);

    EnvironnementDemarrage env;
    env.cheminExecutable = dossier + "/corvelle";
    env.dossierProgrammes = dossier + "/prefixe";
    env.dossierDonnees = dossier + "/donnees";
    env.dossierTravail = dossier;
    env.codeLangueSysteme = 12;
    DialogueEnregistreur dialogue;
    dialogue.reponses = {Reponse::Oui};  // to the question on closing
    Programme etat;
    if (Demarre(env, etat, dialogue).mode != ModeExecution::Fenetre) {
        std::cerr << "no window start\n";
        return 2;
    }
    ui::frmCorvelle fenetre(etat, dialogue);
    fenetre.Charge();
    fenetre.ShowInitial();
    Trouve<QPlainTextEdit>(fenetre, "txtDestinataires")->setPlainText(argv[2]);
    Trouve<QLineEdit>(fenetre, "txtObjetMessage")->setText("Avancement");
    Trouve<QPlainTextEdit>(fenetre, "txtCorpsMessage")->setPlainText("Corps entier");

    // Ticks on the interface thread: a send that held it would stop them.
    QElapsedTimer depuis;
    qint64 ecart = 0;
    QTimer battement;
    QObject::connect(&battement, &QTimer::timeout,
                     [&] { ecart = std::max(ecart, depuis.restart()); });
    bool desactives = false;
    bool agi = false;
    QTimer surveillance;
    QObject::connect(&surveillance, &QTimer::timeout, [&] {
        desactives = desactives || !fenetre.centralWidget()->isEnabled();
        auto* progression = Trouve<QDialog>(fenetre, "frmProgression");
        if (agi || !progression || !progression->isVisible() ||
            Trouve<QProgressBar>(*progression, "barProgression")->value() < lots) {
            return;
        }
        agi = true;
        std::cout << "progression "
                  << Trouve<QLabel>(*progression, "lblProgression")->text().toStdString() << '\n';
        if (fermeture) {
            fenetre.close();
        } else {
            QTest::mouseClick(Trouve<QPushButton>(*progression, "btnArreter"), Qt::LeftButton);
        }
    });
    QObject::connect(&fenetre, &ui::frmCorvelle::EnvoiTermine, [&] { application.exit(0); });
    QTimer::singleShot(120000, [&] { application.exit(3); });

    depuis.start();
    battement.start(20);
    surveillance.start(20);
    QTest::mouseClick(Trouve<QPushButton>(fenetre, "btnEnvoyer"), Qt::LeftButton);
    const int code = application.exec();
    battement.stop();
    QApplication::processEvents();  // a close asked for goes through

    std::cout << "ecart " << ecart << "\ndesactives " << desactives << '\n';
    for (const Boite& boite : dialogue.boites) {
        std::cout << "boite " << UneLigne(boite.texte) << '\n';
    }
    std::cout << "visible " << fenetre.isVisible() << '\n';
    return code;
}
