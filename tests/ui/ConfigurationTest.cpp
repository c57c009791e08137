// The settings window: the checks of OK, what OK stores and when it asks for
// a restart, Annuler, the language list and the tab keys.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

#include "Fenetre.h"
#include "config/ConfigSMTP.h"
#include "ui/config/FenetreConfiguration.h"
#include "ui/config/ListeSMTP.h"

namespace corvelle::test {
namespace {

using ui::frmConfiguration;

std::string DeuxConfigs() {
    clsConfigSMTP a;
    a.Nom = "Principal";
    a.Serveur = "smtp.example.com";
    a.Port = 25;
    clsConfigSMTP b = a;
    b.Nom = "Secours";
    return "ConfigsSMTP=" + a.Serialize() + kSeparateurConfigs + b.Serialize() + "\n";
}

class Configuration : public ::testing::Test {
  protected:
    FenetreTest f{DeuxConfigs() + "ExpéditeurParDéfaut=moi@example.com\n"};
    std::unique_ptr<frmConfiguration> fenetre = Ouvre();

    std::unique_ptr<frmConfiguration> Ouvre() {
        return std::make_unique<frmConfiguration>(f.etat, f.dialogue, false);
    }
    template <typename T>
    T* Controle(const QString& nom, int index = -1) const {
        for (T* candidat : fenetre->findChildren<T*>(nom)) {
            if (index < 0 || candidat->property("index").toInt() == index) {
                return candidat;
            }
        }
        return nullptr;
    }
    QLineEdit* Texte(const char* nom) const { return Controle<QLineEdit>(QString::fromUtf8(nom)); }
    int Onglet() const { return Controle<QTabWidget>("tabOnglets")->currentIndex() + 1; }
};

TEST_F(Configuration, OkChecksEachFieldInOrderWithItsTabMessageAndFocus) {
    auto refuse = [&](const char* cle, int onglet, QWidget* focus) {
        f.dialogue.boites.clear();
        fenetre->btnOK_Click();
        ASSERT_EQ(f.dialogue.boites.size(), 1u) << cle;
        EXPECT_EQ(f.dialogue.boites[0].texte, f.etat.Langage.Texte(cle));
        EXPECT_EQ(f.dialogue.boites[0].icone, Icone::Exclamation);
        EXPECT_EQ(Onglet(), onglet) << cle;
        if (focus) {  // a disabled field cannot take the focus
            EXPECT_EQ(fenetre->focusWidget(), focus) << cle;
        }
        EXPECT_TRUE(f.etat.DialogueAnnule);
    };
    const std::string avant = f.Configuration();
    fenetre->Liste().Remplit({});
    refuse("MSG_ERREUR_CONF_SMTP", 1, &fenetre->Liste().Liste());
    fenetre->Liste().Remplit(f.etat.ListeConfigsSMTP);

    for (const char* expediteur : {"", "@x.fr", "jean@localhost"}) {
        Texte("txtExpéditeurParDéfaut")->setText(expediteur);
        refuse("MSG_ERREUR_EXPEDITEUR", 2, Texte("txtExpéditeurParDéfaut"));
    }
    Texte("txtExpéditeurParDéfaut")->setText("Jean <j@x.fr>");
    Texte("txtSuffixe")->setText("   ");
    refuse("MSG_ERREUR_CONF_SUFFIXE", 3, Texte("txtSuffixe"));
    Texte("txtSuffixe")->setText("example.com");
    for (const char* nombre : {"", "101", "5a", " 5", "-1"}) {
        Texte("txtNombreDestinataires")->setText(nombre);
        refuse("MSG_ERREUR_CONF_NBDEST", 3, Texte("txtNombreDestinataires"));
    }
    Texte("txtNombreDestinataires")->setText("100");
    for (const char* delai : {"0", "61", "1 "}) {
        Texte("txtTimeoutSMTP")->setText(delai);
        refuse("MSG_ERREUR_CONF_TIMEOUT", 3, Texte("txtTimeoutSMTP"));
    }
    Texte("txtTimeoutSMTP")->setText("60");
    // The directory fields are checked even with the search off.
    EXPECT_FALSE(Controle<QCheckBox>("chkUtiliserAD")->isChecked());
    fenetre->optAccesAD_Click(2);
    refuse("MSG_ERREUR_CONF_AD_DOMAINE", 4, nullptr);
    Texte("txtAccèsADDomaine")->setText("ad.example.com");
    refuse("MSG_ERREUR_CONF_AD_LOGIN", 4, nullptr);
    EXPECT_EQ(f.Configuration(), avant);  // nothing written by a refused OK

    Texte("txtAccèsADLogin")->setText("jean");
    fenetre->btnOK_Click();
    EXPECT_FALSE(f.etat.DialogueAnnule);
    EXPECT_EQ(f.etat.Reglages.NbDest, 100);
    EXPECT_EQ(f.etat.Reglages.TimeoutSMTP, 60);
    EXPECT_FALSE(f.etat.RedemarrageRequis);  // the search stays off
}

TEST_F(Configuration, OkStoresEverySettingForTheNextStart) {
    Texte("txtRéponseParDéfaut")->setText("rep@example.com");
    Controle<QComboBox>("cboImportanceParDéfaut")->setCurrentIndex(1);  // Normale, stored as 0
    Controle<QComboBox>("cboFormatParDéfaut")->setCurrentIndex(2);
    Controle<QComboBox>("cboEncodageParDéfaut")->setCurrentText("Koi8-r");
    Texte("txtDestinatairesParDéfaut")->setText("a@x.fr, b@x.fr");
    Controle<QRadioButton>("optRépartitionDestinataires", 1)->setChecked(true);
    Controle<QCheckBox>("chkUtiliserAD")->setChecked(true);
    fenetre->chkUtiliserAD_Click();
    Controle<QRadioButton>("optAccèsAD", 2)->click();
    Texte("txtAccèsADDomaine")->setText("ad.example.com");
    Texte("txtAccèsADLogin")->setText("jean");
    Texte("txtAccèsADPassword")->setText("s3cret é");
    fenetre->btnOK_Click();
    ASSERT_FALSE(f.etat.DialogueAnnule);
    EXPECT_TRUE(f.etat.RedemarrageRequis);  // the search was turned on

    const std::string ini = f.Configuration();
    EXPECT_EQ(ini.find("s3cret"), std::string::npos) << "password in clear";
    f.Relance();
    const Parametres& r = f.etat.Reglages;
    EXPECT_EQ(r.ReponseParDefaut, "rep@example.com");
    EXPECT_EQ(r.ImportanceParDefaut, 0);
    EXPECT_EQ(r.FormatParDefaut, 2);
    EXPECT_EQ(r.EncodageParDefaut, "Koi8-r");
    EXPECT_EQ(r.DestinatairesParDefaut, "a@x.fr, b@x.fr");
    EXPECT_FALSE(r.RepartitionDestinataires);
    EXPECT_EQ(r.AccesAD, 2);
    EXPECT_EQ(r.AccesADDomaine, "ad.example.com");
    EXPECT_EQ(r.AccesADPassword, "s3cret é");
    ASSERT_EQ(f.etat.ListeConfigsSMTP.size(), 2u);
    EXPECT_EQ(f.etat.ListeConfigsSMTP[1].Nom, "Secours");
}

TEST_F(Configuration, RestartIsAskedOnlyForTheLanguageOrAChangedDirectoryAccess) {
    // Turning the search off never needs a restart, whatever was edited.
    f.etat.Reglages.UtiliserAD = true;
    fenetre = Ouvre();
    Controle<QCheckBox>("chkUtiliserAD")->setChecked(false);
    Texte("txtAccèsADLogin")->setText("autre");
    fenetre->btnOK_Click();
    EXPECT_FALSE(f.etat.RedemarrageRequis);

    // On and unchanged: no restart, unless start-up asked for the settings.
    f.etat.Reglages.UtiliserAD = true;
    fenetre = Ouvre();
    fenetre->btnOK_Click();
    EXPECT_FALSE(f.etat.RedemarrageRequis);
    f.etat.ConfigurerAccesAD = true;
    fenetre = Ouvre();
    EXPECT_EQ(Onglet(), 4);
    fenetre->btnOK_Click();
    EXPECT_TRUE(f.etat.RedemarrageRequis);
    EXPECT_TRUE(f.dialogue.boites.empty());
}

TEST(ConfigurationLangue, AnotherLanguageIsStoredForTheNextStartWithOneMessage) {
    FenetreTest f(DeuxConfigs(), "English.lng", "[Traduction]\nCodeLangue=9\n");
    frmConfiguration fenetre(f.etat, f.dialogue, false);
    auto* langues = fenetre.findChild<QComboBox*>("cboLangue");
    ASSERT_EQ(langues->count(), 2);
    EXPECT_TRUE(langues->isEnabled());
    EXPECT_EQ(langues->currentText(), "Français");
    fenetre.btnOK_Click();  // the language in use: no message, no restart
    EXPECT_TRUE(f.dialogue.boites.empty());
    EXPECT_FALSE(f.etat.RedemarrageRequis);

    frmConfiguration autre(f.etat, f.dialogue, false);
    autre.findChild<QComboBox*>("cboLangue")->setCurrentText("English");
    autre.btnOK_Click();
    ASSERT_EQ(f.dialogue.boites.size(), 1u);
    EXPECT_EQ(f.dialogue.boites[0].texte, f.etat.Langage.Texte("MSG_CHANGEMENT_LANGUE"));
    EXPECT_TRUE(f.etat.RedemarrageRequis);
    EXPECT_NE(f.Configuration().find("Langue=English"), std::string::npos);
    EXPECT_TRUE(f.etat.Langage.FichierTraduction.empty());  // French until the restart

    FenetreTest seul(DeuxConfigs());
    frmConfiguration unique(seul.etat, seul.dialogue, false);
    EXPECT_EQ(unique.findChild<QComboBox*>("cboLangue")->count(), 1);
    EXPECT_FALSE(unique.findChild<QComboBox*>("cboLangue")->isEnabled());
}

TEST_F(Configuration, AnnulerAfterListEditsChangesNothingAnywhere) {
    const std::string avant = f.Configuration();
    auto* composition = f.Controle<QComboBox>("cboConfigSMTP");
    f.fenetre->OuvreConfiguration = [&] {
        frmConfiguration configuration(f.etat, f.dialogue, false);
        configuration.Liste().Liste().selectAll();
        configuration.Liste().btnSMTPSupprimer_Click();
        EXPECT_TRUE(configuration.Liste().Tags().empty());
        configuration.btnAnnuler_Click();
    };
    f.fenetre->mnuOptionsConfiguration_Click();
    EXPECT_EQ(f.Configuration(), avant);
    EXPECT_EQ(f.etat.ListeConfigsSMTP.size(), 2u);
    EXPECT_EQ(composition->count(), 2);

    // Confirmed, the compose window's list follows.
    f.fenetre->OuvreConfiguration = [&] {
        frmConfiguration configuration(f.etat, f.dialogue, false);
        configuration.Liste().Liste().setCurrentItem(configuration.Liste().Liste().topLevelItem(1));
        configuration.Liste().btnSMTPSupprimer_Click();
        configuration.btnOK_Click();
    };
    f.fenetre->mnuOptionsConfiguration_Click();
    EXPECT_EQ(composition->count(), 1);
    EXPECT_TRUE(composition->isHidden());
}

TEST_F(Configuration, TheRecipientFileButtonStartsBesideTheCurrentFileAndKeepsPathsRelative) {
    QString dossierPropose;
    QString choix = QString::fromStdString(f.dossier / "listes/equipe.txt");
    fenetre->ChoisitFichier = [&](const QString&, const QString& dossier) {
        dossierPropose = dossier;
        return choix;
    };
    fenetre->btnFichierDestinatairesParDefautParcourir_Click();
    EXPECT_EQ(dossierPropose.toStdString(), f.etat.DossierCourant);
    EXPECT_EQ(Texte("txtFichiersDestinatairesParDéfaut")->text(), "listes/equipe.txt");
    Texte("txtFichiersDestinatairesParDéfaut")->setText("/srv/listes/clients.txt");
    choix.clear();  // cancelled
    fenetre->btnFichierDestinatairesParDefautParcourir_Click();
    EXPECT_EQ(dossierPropose, "/srv/listes/");
    EXPECT_EQ(Texte("txtFichiersDestinatairesParDéfaut")->text(), "/srv/listes/clients.txt");
}

TEST_F(Configuration, CtrlTabGoesRoundTheTabs) {
    fenetre->show();
    QWidget* champ = Controle<QComboBox>("cboLangue");
    QTest::keyClick(champ, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(Onglet(), 2);
    Controle<QTabWidget>("tabOnglets")->setCurrentIndex(3);
    QTest::keyClick(Controle<QCheckBox>("chkUtiliserAD"), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(Onglet(), 1);
    QTest::keyClick(Controle<QComboBox>("cboLangue"), Qt::Key_Backtab,
                    Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Onglet(), 4);
}

}  // namespace
}  // namespace corvelle::test
