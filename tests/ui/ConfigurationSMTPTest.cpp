// The SMTP configuration dialog: its checks, the port and authentication
// rules, and the test send against a real server.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cmath>

#include "app/Programme.h"
#include "config/ConfigSMTP.h"
#include "core/Dialogue.h"
#include "core/Texte.h"
#include "i18n/Langue.h"
#include "i18n/Traduction.h"
#include "support/DialogueEnregistreur.h"
#include "support/ServeurTest.h"
#include "ui/config/FenetreConfigurationSMTP.h"
#include "ui/config/FenetreTestSMTP.h"
#include "ui/config/ReglesSMTP.h"

namespace corvelle::test {
namespace {

using ui::frmConfigurationSMTP;
using ui::frmConfigurationSMTPTest;

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

    template <typename T>
    T* Controle(const char* nom) const {
        return fenetre->findChild<T*>(QString::fromUtf8(nom));
    }
    QLineEdit* Texte(const char* nom) const { return Controle<QLineEdit>(nom); }
    QComboBox* Authentification() const { return Controle<QComboBox>("cboAuthentification"); }

    // A configuration that passes every check.
    void RemplitValide(int port = 25) {
        clsConfigSMTP config;
        config.Nom = "Local";
        config.Serveur = "127.0.0.1";
        config.Port = port;
        fenetre->Remplit(config, "");
    }

    // Runs the check through OK; the box shown, if any.
    std::optional<Boite> RefusOK() {
        dialogue.boites.clear();
        fenetre->btnOK_Click();
        if (dialogue.boites.empty()) {
            return std::nullopt;
        }
        EXPECT_EQ(dialogue.boites.size(), 1u);
        return dialogue.boites[0];
    }

    Programme etat;
    DialogueEnregistreur dialogue;
    ui::ValeursTest valeurs;
    std::unique_ptr<frmConfigurationSMTP> fenetre;
};

TEST_F(ConfigurationSMTP, ChecksStopAtTheFirstFailureWithItsMessageAndFocus) {
    Authentification()->setCurrentIndex(3);  // Pop3: every box required
    Texte("txtPort")->clear();
    auto refus = [&](const char* cle, const char* focus) {
        const auto boite = RefusOK();
        ASSERT_TRUE(boite.has_value()) << cle;
        EXPECT_EQ(boite->texte, etat.Langage.Texte(cle));
        EXPECT_EQ(boite->titre, "Corvelle");
        EXPECT_EQ(boite->icone, Icone::Exclamation);
        EXPECT_EQ(boite->boutons, Boutons::Ok);
        EXPECT_EQ(fenetre->focusWidget(), Texte(focus)) << cle;
        EXPECT_TRUE(fenetre->DialogueAnnule);
        EXPECT_TRUE(fenetre->isVisible());
    };
    refus("MSG_ERREUR_CONF_SMTP_SERVEUR", "txtServeur");
    Texte("txtServeur")->setText("   ");  // spaces are a server for this check
    refus("MSG_ERREUR_CONF_SMTP_PORT", "txtPort");
    Texte("txtPort")->setText("25");
    refus("MSG_ERREUR_CONF_SMTP_USERNAME", "txtUsername");
    Texte("txtUsername")->setText("jean");
    refus("MSG_ERREUR_CONF_SMTP_PASSWORD", "txtPassword");
    Texte("txtPassword")->setText("secret");
    refus("MSG_ERREUR_CONF_SMTP_SERVEUR_POP", "txtServeurPOP");

    // Disabled boxes are never required, however empty; the name never is.
    Texte("txtUsername")->clear();
    Texte("txtPassword")->clear();
    Authentification()->setCurrentIndex(0);
    EXPECT_FALSE(RefusOK().has_value());
    EXPECT_FALSE(fenetre->DialogueAnnule);
    EXPECT_FALSE(fenetre->isVisible());
}

TEST_F(ConfigurationSMTP, PortMustBeDigitsFrom0To65535) {
    for (const char* port : {"65535", "0", "025"}) {
        Ouvre();
        RemplitValide();
        Texte("txtPort")->setText(port);
        EXPECT_FALSE(RefusOK().has_value()) << port;
        EXPECT_FALSE(fenetre->DialogueAnnule) << port;
    }
    EXPECT_EQ(fenetre->Lit().Port, 25);
    for (const char* port :
         {"65536", "-1", "", "25 ", " 25", "2a", "+25", "99999999999999999999"}) {
        Ouvre();
        RemplitValide();
        Texte("txtPort")->setText(port);
        const auto boite = RefusOK();
        ASSERT_TRUE(boite.has_value()) << port;
        EXPECT_EQ(boite->texte, etat.Langage.Texte("MSG_ERREUR_CONF_SMTP_PORT")) << port;
        EXPECT_TRUE(fenetre->DialogueAnnule) << port;
    }
}

TEST_F(ConfigurationSMTP, SslSwapsOnlyTheUsualPort) {
    auto* ssl = Controle<QCheckBox>("chkSSL");
    QLineEdit* port = Texte("txtPort");
    EXPECT_EQ(port->text(), "25");
    ssl->click();
    EXPECT_EQ(port->text(), "465");
    ssl->click();
    EXPECT_EQ(port->text(), "25");
    port->setText("587");
    ssl->click();
    EXPECT_EQ(port->text(), "587");
    ssl->click();
    EXPECT_EQ(port->text(), "587");
    port->setText("025");
    ssl->click();
    EXPECT_EQ(port->text(), "465");
    port->setText("25");  // checked already: unchecking leaves 25 alone
    ssl->click();
    EXPECT_EQ(port->text(), "25");

    // Filling is not a click: a stored port stays as stored.
    clsConfigSMTP config;
    config.Serveur = "smtp.example.com";
    config.SSL = true;
    config.Port = 25;
    fenetre->Remplit(config, "");
    EXPECT_TRUE(ssl->isChecked());
    EXPECT_EQ(port->text(), "25");
}

TEST_F(ConfigurationSMTP, AuthenticationEntriesCarryTheirCodesAndEnableTheirBoxes) {
    QComboBox* liste = Authentification();
    ASSERT_EQ(liste->count(), 4);
    // A new configuration starts with "Aucune" chosen and its rule applied.
    EXPECT_EQ(liste->currentIndex(), 0);
    EXPECT_EQ(fenetre->Lit().Authentification, AuthAucune);
    for (const char* champ : {"txtUsername", "txtPassword", "txtServeurPOP"}) {
        EXPECT_FALSE(Texte(champ)->isEnabled()) << champ;
    }
    struct Cas {
        int position;
        std::int32_t code;
        bool identifiants;
        bool pop;
    };
    for (const Cas& c : {Cas{1, AuthLogin, true, false}, Cas{2, AuthPlain, true, false},
                         Cas{3, AuthPop3, true, true}, Cas{0, AuthAucune, false, false}}) {
        liste->setCurrentIndex(c.position);
        EXPECT_EQ(fenetre->Lit().Authentification, c.code) << c.position;
        EXPECT_EQ(Texte("txtUsername")->isEnabled(), c.identifiants) << c.position;
        EXPECT_EQ(Texte("txtPassword")->isEnabled(), c.identifiants) << c.position;
        EXPECT_EQ(Texte("txtServeurPOP")->isEnabled(), c.pop) << c.position;
        if (c.identifiants) {
            EXPECT_EQ(fenetre->focusWidget(), Texte("txtUsername")) << c.position;
        }
    }

    // Filled by code, read back the same, the password in clear but masked.
    clsConfigSMTP config;
    config.Nom = "Bureau";
    config.Serveur = "smtp.example.com";
    config.SSL = true;
    config.Port = 587;
    config.Authentification = AuthLogin;
    config.Username = "jean";
    config.ServeurPop = "pop.example.com";
    fenetre->Remplit(config, "s3cret é");
    EXPECT_EQ(liste->currentText(), "Login");
    EXPECT_FALSE(Texte("txtServeurPOP")->isEnabled());
    EXPECT_EQ(Texte("txtPassword")->echoMode(), QLineEdit::Password);
    config.Password = "s3cret é";
    EXPECT_EQ(fenetre->Lit(), config);
}

// Twips of this screen, to one pixel.
int Pixels(const QWidget& w, int twips) {
    return static_cast<int>(std::lround(twips * w.logicalDpiX() / 1440.0));
}

TEST_F(ConfigurationSMTP, EnglishCaptionsAndTheLayoutFollowingThem) {
    const std::string fichier = CORVELLE_TRADUCTIONS "/English.lng";
    etat.Langage.LangueCourante = "English";
    etat.Langage.FichierTraduction = fichier;
    etat.Langage.Fichier = FichierLangue::Charge(fichier);
    ChargeTraductions(etat.Langage);
    Ouvre();
    EXPECT_EQ(fenetre->windowTitle(), "SMTP configuration");
    EXPECT_EQ(Controle<QLabel>("lblPort")->text(), "Port (25 by default)");
    EXPECT_EQ(Controle<QPushButton>("btnTester")->text(), "&Test...");
    EXPECT_EQ(Controle<QPushButton>("btnAnnuler")->text(), "&Cancel");
    EXPECT_EQ(Authentification()->itemText(0), "None");
    EXPECT_EQ(Texte("txtPort")->text(), "25");  // text boxes keep their designed text
    EXPECT_EQ(fenetre->size(), QSize(Pixels(*fenetre, 5895), Pixels(*fenetre, 3255)));

    // Every field 120 twips right of the widest caption, which none is cut from.
    const int champ = Texte("txtNom")->x();
    for (const char* nom : {"lblNom", "lblServeur", "lblSSL", "lblAuthentification", "lblUsername",
                            "lblPassword", "lblServeurPOP"}) {
        const QLabel* label = Controle<QLabel>(nom);
        EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text())) << nom;
        EXPECT_NEAR(champ - label->geometry().right() - 1, Pixels(*fenetre, 120), 1) << nom;
    }
    EXPECT_NEAR(fenetre->width() - Texte("txtNom")->geometry().right() - 1, Pixels(*fenetre, 120),
                1);
    EXPECT_EQ(Texte("txtServeurPOP")->geometry(),
              Texte("txtNom")->geometry().translated(
                  0, Texte("txtServeurPOP")->y() - Texte("txtNom")->y()));
    const QRect port = Texte("txtPort")->geometry();
    EXPECT_NEAR(port.right(), Authentification()->geometry().right(), 1);
    EXPECT_NEAR(port.left() - Controle<QLabel>("lblPort")->geometry().right() - 1,
                Pixels(*fenetre, 120), 1);

    valeurs = {"jean@example.com", "paul@example.com", "Utf-8"};
    RemplitValide();
    fenetre->AfficheTest = [](frmConfigurationSMTPTest& test) {
        EXPECT_EQ(test.windowTitle(), "SMTP configuration test");
        EXPECT_EQ(test.findChild<QLabel*>("lblDestinataire")->text(), "Recipient");
        EXPECT_EQ(test.findChild<QLabel*>(QString::fromUtf8("lblExpéditeur"))->text(), "Sender");
        EXPECT_EQ(test.Expediteur().width(), test.Destinataire().width());
        EXPECT_NEAR(test.width() - test.Expediteur().geometry().right() - 1, Pixels(test, 120), 1);
        return false;
    };
    fenetre->btnTester_Click();
}

TEST(ConfigurationSMTPTest, TheTestGoesToTheFirstRecipient) {
    EXPECT_EQ(ui::PremierDestinataire("  paul@example.com , b@example.com"), "paul@example.com");
    EXPECT_EQ(ui::PremierDestinataire(" seul@example.com "), "seul@example.com");
    EXPECT_EQ(ui::PremierDestinataire(", b@example.com"), "");
}

// The test dialog as the person leaves it: confirmed, or not.
std::function<bool(frmConfigurationSMTPTest&)> Confirme(std::string* expediteur = nullptr,
                                                        std::string* destinataire = nullptr) {
    return [=](frmConfigurationSMTPTest& test) {
        if (expediteur) {
            *expediteur = test.Expediteur().text().toStdString();
        }
        if (destinataire) {
            *destinataire = test.Destinataire().text().toStdString();
        }
        test.btnOK_Click();
        return !test.DialogueAnnule;
    };
}

TEST_F(ConfigurationSMTP, TestSendsExactlyWhatIsTypedToARealServer) {
    ServeurTest serveur("plain");
    etat.Reglages.TimeoutSMTP = 5;
    RemplitValide(serveur.Port());
    // What the configuration window shows now, saved or not.
    valeurs = {"Jean <jean@example.com>", "  paul@example.com , autre@example.com", "Iso-8859-1"};
    std::string expediteur;
    std::string destinataire;
    fenetre->AfficheTest = Confirme(&expediteur, &destinataire);
    fenetre->btnTester_Click();
    EXPECT_EQ(dialogue.attentes, 0);  // the busy pointer is gone once the result shows

    EXPECT_EQ(expediteur, "Jean <jean@example.com>");
    EXPECT_EQ(destinataire, "paul@example.com");
    ASSERT_EQ(dialogue.boites.size(), 1u);
    EXPECT_EQ(dialogue.boites[0].texte, etat.Langage.Texte("MSG_TEST_SMTP_OK"));
    EXPECT_EQ(dialogue.boites[0].icone, Icone::Information);
    EXPECT_EQ(dialogue.boites[0].titre, "Corvelle");
    EXPECT_TRUE(fenetre->DialogueAnnule);
    EXPECT_TRUE(fenetre->isVisible());

    const auto recus = serveur.Messages();
    ASSERT_EQ(recus.size(), 1u);
    EXPECT_EQ(ChampJson(recus[0].json, "mail_from"), "\"jean@example.com\"");
    EXPECT_EQ(ChampJson(recus[0].json, "rcpt_tos"), "[\"paul@example.com\"]");
    const std::string& eml = recus[0].eml;
    EXPECT_NE(eml.find("Subject: [Corvelle] Test configuration SMTP...\r\n"), std::string::npos);
    EXPECT_NE(Minuscules(eml).find("charset=iso-8859-1"), std::string::npos);
    EXPECT_NE(eml.find("Test ! Ne pas r=E9pondre =E0 ce mail !"), std::string::npos) << eml;
    // Nothing else set: no copies, reply-to, HTML, receipts or sensitivity.
    EXPECT_NE(eml.find("\r\nImportance: normal\r\n"), std::string::npos);
    for (const char* absent : {"\r\nCc:", "Reply-To:", "text/html", "Sensitivity:",
                               "Disposition-Notification-To:", "Return-Receipt-To:", "multipart"}) {
        EXPECT_EQ(eml.find(absent), std::string::npos) << absent;
    }
}

TEST_F(ConfigurationSMTP, RefusedTestShowsTheServersReply) {
    ServeurTest serveur("plain", {"--refuse", "paul@example.com"});
    etat.Reglages.TimeoutSMTP = 5;
    RemplitValide(serveur.Port());
    valeurs = {"jean@example.com", "paul@example.com", "Utf-8"};
    fenetre->AfficheTest = Confirme();
    fenetre->btnTester_Click();

    ASSERT_EQ(dialogue.boites.size(), 1u);
    const Boite& boite = dialogue.boites[0];
    EXPECT_EQ(boite.icone, Icone::Critique);
    const std::string debut =
        FormateMessage(etat.Langage.Texte("MSG_TEST_SMTP_ERREUR"), "\x01").substr(0, 20);
    EXPECT_EQ(boite.texte.substr(0, 20), debut);
    EXPECT_NE(boite.texte.find("550"), std::string::npos) << boite.texte;
    EXPECT_NE(boite.texte.find("Recipient address rejected"), std::string::npos);
    EXPECT_TRUE(serveur.Messages().empty());
    EXPECT_TRUE(fenetre->DialogueAnnule);
}

TEST_F(ConfigurationSMTP, NothingIsSentUnlessTheTestIsConfirmed) {
    ServeurTest serveur("plain");
    valeurs = {"jean@example.com", "paul@example.com", "Utf-8"};
    int ouvertures = 0;

    // A field check that fails never opens the test dialog.
    fenetre->AfficheTest = [&](frmConfigurationSMTPTest&) { return ++ouvertures > 0; };
    fenetre->btnTester_Click();
    EXPECT_EQ(ouvertures, 0);
    ASSERT_EQ(dialogue.boites.size(), 1u);
    EXPECT_EQ(dialogue.boites[0].texte, etat.Langage.Texte("MSG_ERREUR_CONF_SMTP_SERVEUR"));

    RemplitValide(serveur.Port());
    dialogue.boites.clear();
    using Fermeture = void (*)(frmConfigurationSMTPTest&);
    for (Fermeture ferme : {Fermeture{[](frmConfigurationSMTPTest& t) { t.btnAnnuler_Click(); }},
                            Fermeture{[](frmConfigurationSMTPTest& t) { t.close(); }}}) {
        fenetre->AfficheTest = [&](frmConfigurationSMTPTest& test) {
            ++ouvertures;
            test.show();
            ferme(test);
            return !test.DialogueAnnule;
        };
        fenetre->btnTester_Click();
    }
    EXPECT_EQ(ouvertures, 2);
    EXPECT_TRUE(dialogue.boites.empty());
    EXPECT_TRUE(serveur.Messages().empty());
    EXPECT_TRUE(fenetre->DialogueAnnule);
    EXPECT_TRUE(fenetre->isVisible());
}

}  // namespace
}  // namespace corvelle::test
