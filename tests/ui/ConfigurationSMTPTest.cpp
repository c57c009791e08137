// The SMTP configuration dialog and its test dialog, built and driven as a
// person would; their rules are in ReglesConfigurationTest.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <tuple>

#include "Fenetre.h"
#include "config/ConfigSMTP.h"
#include "core/Texte.h"
#include "support/DialogueEnregistreur.h"
#include "ui/config/FenetreConfigurationSMTP.h"
#include "ui/config/FenetreTestSMTP.h"
#include "ui/main/DialogueQt.h"

namespace corvelle::test {
namespace {

using ui::frmConfigurationSMTP;
using ui::frmConfigurationSMTPTest;

// Twips of this screen, to one pixel.
int Pixels(const QWidget& w, int twips) {
    return static_cast<int>(std::lround(twips * w.logicalDpiX() / 1440.0));
}

// Every caption whole, and the field 120 twips right of the widest.
void VerifieColonne(const QWidget& fenetre, const QWidget& champ,
                    std::initializer_list<const char*> legendes) {
    for (const char* nom : legendes) {
        const QLabel* label = Trouve<QLabel>(fenetre, nom);
        EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text().remove('&')))
            << nom;
        EXPECT_NEAR(champ.x() - label->geometry().right() - 1, Pixels(fenetre, 120), 1) << nom;
    }
    EXPECT_NEAR(fenetre.width() - champ.geometry().right() - 1, Pixels(fenetre, 120), 1);
}

class ConfigurationSMTP : public ::testing::Test {
  protected:
    ConfigurationSMTP() { Ouvre(); }

    // A fresh dialog, shown so that focus moves as it would for a person.
    void Ouvre() {
        fenetre = std::make_unique<frmConfigurationSMTP>(
            etat, dialogue, [this] { return valeurs; }, false);
        fenetre->show();
        fenetre->activateWindow();
    }

    QLineEdit* Texte(const char* nom) const { return Trouve<QLineEdit>(*fenetre, nom); }

    // On port 1, where nothing listens: no test send can reach a server.
    void RemplitValide() {
        clsConfigSMTP config;
        config.Nom = "Local";
        config.Serveur = "127.0.0.1";
        config.Port = 1;
        fenetre->Remplit(config, "");
    }

    Programme etat;
    DialogueEnregistreur dialogue;
    ui::ValeursTest valeurs;
    std::unique_ptr<frmConfigurationSMTP> fenetre;
};

TEST_F(ConfigurationSMTP, BuildsInBothLanguagesAndOkRefusesWithFocusOrKeepsWhatIsTyped) {
    EXPECT_EQ(fenetre->windowTitle(), "Configuration SMTP");
    EXPECT_EQ(Trouve<QPushButton>(*fenetre, "btnTester")->text(), "&Tester...");
    // The entries carry their codes; a new configuration starts with the first applied.
    auto* liste = Trouve<QComboBox>(*fenetre, "cboAuthentification");
    const std::int32_t codes[] = {AuthAucune, AuthLogin, AuthPlain, AuthPop3, AuthOAuth2};
    ASSERT_EQ(liste->count(), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(liste->itemData(i).toInt(), codes[i]) << i;
    }
    EXPECT_FALSE(Texte("txtUsername")->isEnabled());
    EXPECT_FALSE(Texte("txtServeurPOP")->isEnabled());
    liste->setCurrentIndex(3);
    EXPECT_TRUE(Texte("txtPassword")->isEnabled());
    EXPECT_TRUE(Texte("txtServeurPOP")->isEnabled());
    EXPECT_EQ(fenetre->focusWidget(), Texte("txtUsername"));

    // Tab goes down the form, then to the buttons (OAuth2's fields are disabled).
    Texte("txtNom")->setFocus();
    std::string parcours;
    for (int i = 0; i < 11; ++i) {
        QTest::keyClick(fenetre->focusWidget(), Qt::Key_Tab);
        parcours += fenetre->focusWidget()->objectName().toStdString() + " ";
    }
    EXPECT_EQ(parcours,
              "txtServeur chkSSL txtPort cboAuthentification txtUsername txtPassword "
              "txtServeurPOP txtCommandeMotDePasse btnTester btnOK btnAnnuler ");
    // A password command stands for the password, which is then not asked for.
    Texte("txtCommandeMotDePasse")->setText("pass show smtp");
    EXPECT_FALSE(Texte("txtPassword")->isEnabled());
    EXPECT_EQ(fenetre->Lit().CommandeMotDePasse, "pass show smtp");
    Texte("txtCommandeMotDePasse")->clear();
    EXPECT_TRUE(Texte("txtPassword")->isEnabled());

    // The one field left empty is refused and takes the focus.
    const char* champs[] = {"txtServeur", "txtPort", "txtUsername", "txtPassword", "txtServeurPOP"};
    for (const char* vide : champs) {
        for (const char* champ : champs) {
            Texte(champ)->setText(champ == vide ? "" : "25");
        }
        dialogue.boites.clear();
        fenetre->btnOK_Click();
        ASSERT_EQ(dialogue.boites.size(), 1u) << vide;
        EXPECT_EQ(fenetre->focusWidget(), Texte(vide));
        EXPECT_TRUE(fenetre->DialogueAnnule && fenetre->isVisible()) << vide;
    }
    const Boite& boite = dialogue.boites[0];
    EXPECT_EQ(boite.texte, etat.Langage.Texte("MSG_ERREUR_CONF_SMTP_SERVEUR_POP"));
    EXPECT_EQ(boite.titre, "Corvelle");
    EXPECT_EQ(boite.icone, Icone::Exclamation);
    EXPECT_EQ(boite.boutons, Boutons::Ok);

    // The SSL box swaps the usual port; filling it is not a click.
    auto* ssl = Trouve<QCheckBox>(*fenetre, "chkSSL");
    ssl->click();
    EXPECT_EQ(Texte("txtPort")->text(), "465");
    clsConfigSMTP config;
    config.Nom = "Bureau";
    config.Serveur = "smtp.example.com";
    config.SSL = true;
    config.Port = 25;
    config.Authentification = AuthLogin;
    config.Username = "jean";
    config.ServeurPop = "pop.example.com";
    fenetre->Remplit(config, "s3cret é");
    EXPECT_EQ(liste->currentText(), "Login");
    EXPECT_FALSE(Texte("txtServeurPOP")->isEnabled());
    EXPECT_EQ(Texte("txtPassword")->echoMode(), QLineEdit::Password);
    config.Password = "s3cret é";
    EXPECT_EQ(fenetre->Lit(), config);

    // OAuth2: the password is the client secret; a token URL or tenant and a
    // client id are required, unless a token command gives the token.
    auto* legende = Trouve<QLabel>(*fenetre, "lblPassword");
    liste->setCurrentIndex(4);
    EXPECT_EQ(legende->text(), "Secr&et client");
    EXPECT_FALSE(Texte("txtServeurPOP")->isEnabled());
    for (const char* vide : {"txtUrlJetonOAuth", "txtClientOAuth"}) {
        Texte("txtUrlJetonOAuth")->setText("contoso");
        Texte("txtClientOAuth")->setText("id-appli");
        Texte(vide)->clear();
        fenetre->btnOK_Click();
        EXPECT_EQ(fenetre->focusWidget(), Texte(vide));
    }
    Texte("txtClientOAuth")->setText("id-appli");
    Texte("txtPorteeOAuth")->setText("smtp.envoi");
    const clsConfigSMTP oauth = fenetre->Lit();
    EXPECT_EQ(std::tie(oauth.Authentification, oauth.UrlJetonOAuth, oauth.ClientOAuth,
                       oauth.PorteeOAuth, oauth.Password),
              std::tie(codes[4], "contoso", "id-appli", "smtp.envoi", "s3cret é"));
    Texte("txtCommandeJetonOAuth")->setText("oauth2l fetch");
    EXPECT_FALSE(Texte("txtPassword")->isEnabled());
    Texte("txtCommandeJetonOAuth")->clear();
    liste->setCurrentIndex(1);
    EXPECT_EQ(legende->text(), "Pass&word");
    EXPECT_FALSE(Texte("txtClientOAuth")->isEnabled());
    EXPECT_EQ(fenetre->Lit().ClientOAuth, "");  // only kept for OAuth2

    // Neither the name nor a disabled box is required.
    Texte("txtNom")->clear();
    Texte("txtUsername")->clear();
    liste->setCurrentIndex(0);
    dialogue.boites.clear();
    fenetre->btnOK_Click();
    EXPECT_TRUE(dialogue.boites.empty());
    EXPECT_FALSE(fenetre->DialogueAnnule);
    EXPECT_FALSE(fenetre->isVisible());

    // English captions, one longer than designed: the dialog widens for it
    // rather than push the fields out, and lays out the rest as designed.
    const DossierTemporaire dossier;
    EcritFichier(dossier / "English.lng",
                 Remplace(ContenuAnglais(), "lblCommandeMotDePasse=Password comman&d",
                          "lblCommandeMotDePasse=Command that prints the passwor&d"));
    etat.Langage = Anglais(dossier / "English.lng");
    Ouvre();
    EXPECT_EQ(fenetre->windowTitle(), "SMTP configuration");
    EXPECT_EQ(Trouve<QLabel>(*fenetre, "lblPort")->text(), "Port (25 b&y default)");
    EXPECT_EQ(Trouve<QPushButton>(*fenetre, "btnAnnuler")->text(), "&Cancel");
    liste = Trouve<QComboBox>(*fenetre, "cboAuthentification");
    EXPECT_EQ(liste->itemText(0), "None");
    EXPECT_EQ(Texte("txtPort")->text(), "25");  // text boxes keep their designed text
    EXPECT_EQ(fenetre->height(), Pixels(*fenetre, 5055));
    EXPECT_GT(fenetre->width(), Pixels(*fenetre, 5895));
    EXPECT_NEAR(Trouve<QWidget>(*fenetre, "picBoutons")->geometry().center().x(),
                fenetre->width() / 2, 1);
    liste->setCurrentIndex(4);
    EXPECT_EQ(Trouve<QLabel>(*fenetre, "lblPassword")->text(), "Client s&ecret");
    VerifieColonne(*fenetre, *Texte("txtNom"),
                   {"lblNom", "lblServeur", "lblSSL", "lblAuthentification", "lblUsername",
                    "lblPassword", "lblServeurPOP", "lblCommandeMotDePasse", "lblUrlJetonOAuth",
                    "lblClientOAuth", "lblPorteeOAuth", "lblCommandeJetonOAuth"});
    EXPECT_EQ(Texte("txtServeurPOP")->geometry(),
              Texte("txtNom")->geometry().translated(
                  0, Texte("txtServeurPOP")->y() - Texte("txtNom")->y()));
    const QRect port = Texte("txtPort")->geometry();
    EXPECT_NEAR(port.right(), liste->geometry().right(), 1);
    EXPECT_NEAR(port.left() - Trouve<QLabel>(*fenetre, "lblPort")->geometry().right() - 1,
                Pixels(*fenetre, 120), 1);
}

TEST_F(ConfigurationSMTP, TestDialogIsFilledFromTheSettingsAndSendsWhatIsTypedOnceConfirmed) {
    valeurs = {"jean@example.com", "  paul@example.com , autre@example.com", "Iso-8859-1"};
    int ouvertures = 0;
    // A field check that fails never opens it.
    fenetre->AfficheTest = [&](frmConfigurationSMTPTest&) { return ++ouvertures > 0; };
    fenetre->btnTester_Click();
    EXPECT_EQ(ouvertures, 0);
    ASSERT_EQ(dialogue.boites.size(), 1u);

    // Cancelled or closed: nothing is sent, so no outcome is shown.
    RemplitValide();
    dialogue.boites.clear();
    using Fermeture = void (*)(frmConfigurationSMTPTest&);
    for (Fermeture ferme : {Fermeture{[](frmConfigurationSMTPTest& t) { t.btnAnnuler_Click(); }},
                            Fermeture{[](frmConfigurationSMTPTest& t) { t.close(); }}}) {
        fenetre->AfficheTest = [&](frmConfigurationSMTPTest& test) {
            ++ouvertures;
            EXPECT_EQ(test.windowTitle(), "Test configuration  SMTP");
            EXPECT_EQ(test.Expediteur().text(), "jean@example.com");
            EXPECT_EQ(test.Destinataire().text(), "paul@example.com");
            test.show();
            ferme(test);
            return !test.DialogueAnnule;
        };
        fenetre->btnTester_Click();
    }
    EXPECT_EQ(ouvertures, 2);
    EXPECT_TRUE(dialogue.boites.empty());

    // Confirmed with another sender typed: the message is built with it, and
    // refused before any connection since it is two addresses.
    fenetre->AfficheTest = [](frmConfigurationSMTPTest& test) {
        test.Expediteur().setText("a@example.com, b@example.com");
        test.show();
        QTest::mouseClick(Trouve<QPushButton>(test, "btnOK"), Qt::LeftButton);
        EXPECT_EQ(test.result(), QDialog::Accepted);
        return !test.DialogueAnnule;
    };
    fenetre->btnTester_Click();
    EXPECT_EQ(dialogue.attentes, 0);  // the busy pointer is gone once the outcome shows
    ASSERT_EQ(dialogue.boites.size(), 1u);
    EXPECT_EQ(dialogue.boites[0].icone, Icone::Critique);
    EXPECT_NE(dialogue.boites[0].texte.find("\"a@example.com, b@example.com\""), std::string::npos)
        << dialogue.boites[0].texte;
    EXPECT_TRUE(fenetre->DialogueAnnule);
    EXPECT_TRUE(fenetre->isVisible());

    // English captions, and the fields sharing one column.
    etat.Langage = Anglais();
    Ouvre();
    RemplitValide();
    fenetre->AfficheTest = [](frmConfigurationSMTPTest& test) {
        EXPECT_EQ(test.windowTitle(), "SMTP configuration test");
        EXPECT_EQ(Trouve<QLabel>(test, "lblDestinataire")->text(), "&Recipient");
        for (const QLineEdit* champ : {&test.Expediteur(), &test.Destinataire()}) {
            VerifieColonne(test, *champ, {"lblExpéditeur", "lblDestinataire"});
        }
        return false;
    };
    fenetre->btnTester_Click();
}

// Asked for while another window is active (or none, as when the test
// dialog has just closed): the box must still sit on the dialog, also above
// always-on-top windows, or it hides behind them and blocks everything.
TEST_F(ConfigurationSMTP, ABoxBelongsToTheDialogThatAskedEvenAlwaysOnTop) {
    int argc = 0;
    ui::DialogueQt qt(argc, nullptr);
    frmConfigurationSMTP dessus(
        etat, qt, [] { return ui::ValeursTest{}; }, true);
    const QWidget* proprietaire = nullptr;
    bool auDessus = false;
    QTimer::singleShot(0, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* boite = qobject_cast<QMessageBox*>(w); boite && boite->isVisible()) {
                proprietaire = boite->parentWidget();
                auDessus = boite->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
                boite->done(QMessageBox::Ok);
            }
        }
    });
    dessus.btnOK_Click();  // no server: refused
    EXPECT_EQ(proprietaire, &dessus);
    EXPECT_TRUE(auDessus);
}

}  // namespace
}  // namespace corvelle::test
