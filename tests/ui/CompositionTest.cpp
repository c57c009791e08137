// The compose window's checks, what it hands to the dispatch, the attachment
// list and the reset.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

#include "Fenetre.h"
#include "config/ConfigSMTP.h"
#include "support/ServeurTest.h"

namespace corvelle::test {
namespace {

using ui::frmCorvelle;

struct Champs {
    QLineEdit* expediteur;
    QPlainTextEdit* destinataires[3];
    QLineEdit* objet;
    QPlainTextEdit* corps;
    QComboBox* format;

    explicit Champs(const FenetreTest& f)
        : expediteur(f.Controle<QLineEdit>("txtExpéditeur")),
          destinataires{f.Controle<QPlainTextEdit>("txtDestinataires", 0),
                        f.Controle<QPlainTextEdit>("txtDestinataires", 1),
                        f.Controle<QPlainTextEdit>("txtDestinataires", 2)},
          objet(f.Controle<QLineEdit>("txtObjetMessage")),
          corps(f.Controle<QPlainTextEdit>("txtCorpsMessage")),
          format(f.Controle<QComboBox>("cboFormat")) {}
};

TEST(Composition, ChecksStopAtTheFirstFailureWithItsMessageAndFocus) {
    FenetreTest f;
    Champs c(f);
    auto refus = [&](const char* cle, QWidget* focus) {
        f.dialogue.boites.clear();
        f.fenetre->btnEnvoyer_Click();
        ASSERT_EQ(f.dialogue.boites.size(), 1u) << cle;
        const Boite& boite = f.dialogue.boites[0];
        EXPECT_EQ(boite.texte, f.etat.Langage.Texte(cle));
        EXPECT_EQ(boite.titre, "Corvelle");
        EXPECT_EQ(boite.icone, Icone::Exclamation);
        EXPECT_EQ(boite.boutons, Boutons::Ok);
        EXPECT_EQ(f.fenetre->focusWidget(), focus) << cle;
    };
    for (const char* expediteur : {"", "   ", "@example.com", "jean@localhost", "jean.dupont@"}) {
        c.expediteur->setText(QString::fromUtf8(expediteur));
        refus("MSG_ERREUR_EXPEDITEUR", c.expediteur);
    }
    c.expediteur->setText("  Jean Dupont <jean@example.com>  ");
    refus("MSG_ERREUR_DESTINATAIRE", c.destinataires[0]);
    c.destinataires[2]->setPlainText("   ");  // spaces count as content here
    refus("MSG_ERREUR_OBJET", c.objet);
    c.objet->setText("Objet");
    refus("MSG_ERREUR_CORPS", c.corps);
    EXPECT_EQ(f.dialogue.attentes, 0);
}

std::string ConfigServeur(const std::string& nom, int port) {
    clsConfigSMTP config;
    config.Nom = nom;
    config.Serveur = "127.0.0.1";
    config.Port = port;
    return config.Serialize();
}

TEST(Composition, SendsWhatTheFormHoldsToARealServer) {
    ServeurTest serveur("plain");
    // Two configurations: the list is shown and the second one is chosen.
    FenetreTest f("ConfigsSMTP=" + ConfigServeur("Injoignable", 1) + kSeparateurConfigs +
                  ConfigServeur("Local", serveur.Port()) + "\nTimeoutSMTP=5\n");
    Champs c(f);
    auto* configs = f.Controle<QComboBox>("cboConfigSMTP");
    ASSERT_EQ(configs->count(), 2);
    EXPECT_FALSE(configs->isHidden());
    configs->setCurrentIndex(1);

    EcritFichier(f.dossier / "note.txt", "pièce jointe\n");
    f.fenetre->ChoisitFichier = [&](const QString&) {
        return QString::fromStdString(f.dossier / "note.txt");
    };
    f.fenetre->btnAjouter_Click();
    EXPECT_EQ(f.Controle<QListWidget>("lstFichiersJoints")->item(0)->text(), "note.txt");

    c.expediteur->setText("Expéditeur <exp@example.com>");
    c.destinataires[0]->setPlainText("a@example.com\n\nb@example.com\n");
    c.destinataires[1]->setPlainText("\"Dupont, Jean\" <jd@example.com>");
    c.destinataires[2]->setPlainText("  ");
    c.objet->setText("Réunion");
    c.corps->setPlainText("Bonjour à tous");
    f.Controle<QComboBox>("cboImportance")->setCurrentIndex(2);
    c.format->setCurrentIndex(1);
    f.fenetre->btnEnvoyer_Click();

    EXPECT_EQ(c.destinataires[0]->toPlainText(), "a@example.com, b@example.com");
    EXPECT_EQ(c.destinataires[1]->toPlainText(), "\"Dupont, Jean\" <jd@example.com>");
    EXPECT_EQ(c.destinataires[2]->toPlainText(), "");
    EXPECT_EQ(f.dialogue.attentes, 0);
    ASSERT_FALSE(f.dialogue.boites.empty());
    EXPECT_EQ(f.dialogue.boites.back().texte,
              "Le message 'Réunion' a été envoyé à 3 destinataire(s) en 1 envoi(s)...");

    // Text only, then HTML only: the body goes once, in the part asked for.
    f.Controle<QListWidget>("lstFichiersJoints")->clear();
    c.format->setCurrentIndex(0);
    f.fenetre->btnEnvoyer_Click();
    c.format->setCurrentIndex(2);
    f.fenetre->btnEnvoyer_Click();

    const auto recus = serveur.Messages();
    ASSERT_EQ(recus.size(), 3u);
    const std::string& mixte = recus[0].eml;
    EXPECT_NE(recus[0].json.find("jd@example.com"), std::string::npos);
    EXPECT_NE(recus[0].json.find("b@example.com"), std::string::npos);
    EXPECT_NE(mixte.find("multipart/alternative"), std::string::npos);
    EXPECT_NE(mixte.find("text/plain"), std::string::npos);
    EXPECT_NE(mixte.find("text/html"), std::string::npos);
    EXPECT_NE(mixte.find("note.txt"), std::string::npos);
    EXPECT_NE(mixte.find("Importance: high"), std::string::npos);
    EXPECT_EQ(recus[1].eml.find("text/html"), std::string::npos);
    EXPECT_NE(recus[1].eml.find("text/plain"), std::string::npos);
    EXPECT_EQ(recus[2].eml.find("text/plain"), std::string::npos);
    EXPECT_NE(recus[2].eml.find("text/html"), std::string::npos);
}

TEST(Composition, AttachmentRowsAreRelativeInsideTheWorkingFolderAndRemovalMovesTheSelection) {
    FenetreTest f;
    auto* liste = f.Controle<QListWidget>("lstFichiersJoints");
    auto* supprimer = f.Controle<QPushButton>("btnSupprimer");
    QString choix;
    f.fenetre->ChoisitFichier = [&](const QString&) { return choix; };
    for (const std::string& chemin :
         {f.dossier / "a.txt", f.dossier / "sous/b.txt", std::string("/etc/hosts")}) {
        choix = QString::fromStdString(chemin);
        f.fenetre->btnAjouter_Click();
    }
    choix.clear();  // cancelled
    f.fenetre->btnAjouter_Click();
    ASSERT_EQ(liste->count(), 3);
    EXPECT_EQ(liste->item(0)->text(), "a.txt");
    EXPECT_EQ(liste->item(1)->text(), "sous/b.txt");
    EXPECT_EQ(liste->item(2)->text(), "/etc/hosts");
    EXPECT_FALSE(supprimer->isEnabled());

    liste->setCurrentRow(2);
    EXPECT_TRUE(supprimer->isEnabled());
    f.fenetre->btnSupprimer_Click();  // the last row: the new last one is selected
    EXPECT_EQ(liste->currentRow(), 1);
    liste->setCurrentRow(0);
    f.fenetre->btnSupprimer_Click();  // the row that took its place is selected
    ASSERT_EQ(liste->count(), 1);
    EXPECT_EQ(liste->currentRow(), 0);
    EXPECT_TRUE(supprimer->isEnabled());
    f.fenetre->btnSupprimer_Click();
    EXPECT_EQ(liste->count(), 0);
    EXPECT_FALSE(supprimer->isEnabled());
}

TEST(Composition, ResetGivesTheConfiguredDefaultsAndKeepsTheSmtpChoice) {
    FenetreTest f(
        "ExpéditeurParDéfaut=moi@example.com\nRéponseParDéfaut=rep@example.com\n"
        "FormatParDéfaut=2\nEncodageParDéfaut=Utf-8\nImportanceParDéfaut=1\n"
        "SensibilitéParDéfaut=3\nARParDéfaut=2\n"
        "ConfigsSMTP=" +
        ConfigServeur("Un", 25) + kSeparateurConfigs + ConfigServeur("Deux", 25) + "\n");
    Champs c(f);
    EXPECT_EQ(c.expediteur->text(), "moi@example.com");
    EXPECT_EQ(f.Controle<QLineEdit>("txtRéponse")->text(), "rep@example.com");
    c.destinataires[1]->setPlainText("x@example.com");
    c.objet->setText("Objet");
    c.format->setCurrentIndex(0);
    auto* importance = f.Controle<QComboBox>("cboImportance");
    importance->setCurrentIndex(2);
    f.Controle<QComboBox>("cboConfigSMTP")->setCurrentIndex(1);
    f.Controle<QListWidget>("lstFichiersJoints")->addItem("a.txt");

    f.fenetre->btnRaz_Click();
    EXPECT_EQ(c.destinataires[1]->toPlainText(), "");
    EXPECT_EQ(c.objet->text(), "");
    EXPECT_EQ(c.format->currentIndex(), 2);
    EXPECT_EQ(f.Controle<QComboBox>("cboEncodage")->currentText(), "Utf-8");
    // Low importance is stored as 1 but listed first.
    EXPECT_EQ(importance->currentIndex(), 0);
    EXPECT_EQ(importance->currentData().toInt(), 1);
    EXPECT_EQ(f.Controle<QComboBox>("cboSensibilité")->currentIndex(), 3);
    EXPECT_EQ(f.Controle<QComboBox>("cboNotification")->currentIndex(), 2);
    EXPECT_EQ(f.Controle<QListWidget>("lstFichiersJoints")->count(), 0);
    EXPECT_EQ(f.Controle<QComboBox>("cboConfigSMTP")->currentIndex(), 1);
}

}  // namespace
}  // namespace corvelle::test
