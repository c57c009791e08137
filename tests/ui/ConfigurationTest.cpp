// The settings window, built and driven as a person would: where a refusal
// leads, what OK stores and Annuler leaves; its rules are in
// ReglesConfigurationTest.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
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
    // In English, the one other language of the folder.
    FenetreTest f{
        DeuxConfigs() + "ExpéditeurParDéfaut=moi@example.com\nLangue=English\nDureeAttente=48\n",
        "English.lng", ContenuAnglais()};
    std::unique_ptr<frmConfiguration> fenetre = Ouvre();

    std::unique_ptr<frmConfiguration> Ouvre() {
        return std::make_unique<frmConfiguration>(f.etat, f.dialogue, false);
    }
    template <typename T>
    T* Controle(const char* nom, int index = -1) const {
        return Trouve<T>(*fenetre, nom, index);
    }
    QLineEdit* Texte(const char* nom) const { return Controle<QLineEdit>(nom); }
    int Onglet() const { return Controle<QTabWidget>("tabOnglets")->currentIndex() + 1; }
};

TEST_F(Configuration, BuildsInBothLanguagesAndOkRefusesOnTheFieldsTabOrStoresEverything) {
    EXPECT_EQ(fenetre->windowTitle(), "Settings");
    EXPECT_EQ(Controle<QTabWidget>("tabOnglets")->tabText(0), "&General");
    EXPECT_EQ(fenetre->Liste().Liste().headerItem()->text(0), "Configuration name");
    // The shortcuts of the translated buttons are TraductionTest's.
    {
        // French, with no other language to choose.
        FenetreTest seul(DeuxConfigs());
        frmConfiguration francais(seul.etat, seul.dialogue, false);
        EXPECT_EQ(francais.windowTitle(), "Configuration");
        EXPECT_EQ(Trouve<QComboBox>(francais, "cboLangue")->count(), 1);
        EXPECT_FALSE(Trouve<QComboBox>(francais, "cboLangue")->isEnabled());
    }

    // Each field made wrong alone: its tab shows, it takes the focus, nothing is written.
    const std::string avant = f.Configuration();
    Controle<QCheckBox>("chkUtiliserAD")->click();
    Controle<QRadioButton>("optAccèsAD", 2)->click();
    Texte("txtAccèsADDomaine")->setText("ad.example.com");
    Texte("txtAccèsADLogin")->setText("jean");
    auto refuse = [&](const char* cas, int onglet, QWidget* focus) {
        f.dialogue.boites.clear();
        fenetre->btnOK_Click();
        ASSERT_EQ(f.dialogue.boites.size(), 1u) << cas;
        EXPECT_EQ(f.dialogue.boites[0].icone, Icone::Exclamation);
        EXPECT_EQ(Onglet(), onglet) << cas;
        if (focus) {  // a disabled field cannot take the focus
            EXPECT_EQ(fenetre->focusWidget(), focus) << cas;
        }
        EXPECT_TRUE(f.etat.DialogueAnnule);
    };
    fenetre->Liste().Remplit({});
    refuse("list", 1, &fenetre->Liste().Liste());
    fenetre->Liste().Remplit(f.etat.ListeConfigsSMTP);
    for (const auto& [nom, faux, onglet] : {std::tuple{"txtExpéditeurParDéfaut", "@x.fr", 2},
                                            {"txtSuffixe", "", 3},
                                            {"txtNombreDestinataires", "101", 3},
                                            {"txtTimeoutSMTP", "0", 3},
                                            {"txtDureeAttente", "8761", 3},
                                            {"txtAccèsADDomaine", "", 4},
                                            {"txtAccèsADLogin", "", 4}}) {
        QLineEdit* champ = Texte(nom);
        const QString bon = champ->text();
        champ->setText(faux);
        refuse(nom, onglet, champ);
        champ->setText(bon);
    }
    EXPECT_EQ(f.dialogue.boites[0].texte, f.etat.Langage.Texte("MSG_ERREUR_CONF_AD_LOGIN"));
    // The directory fields are checked even with the search off.
    Controle<QCheckBox>("chkUtiliserAD")->click();
    Texte("txtAccèsADDomaine")->clear();
    refuse("search off", 4, nullptr);
    EXPECT_EQ(f.Configuration(), avant);

    Controle<QCheckBox>("chkUtiliserAD")->click();
    Texte("txtAccèsADDomaine")->setText("ad.example.com");
    Texte("txtAccèsADPassword")->setText("s3cret é");
    Texte("txtRéponseParDéfaut")->setText("rep@example.com");
    Controle<QComboBox>("cboImportanceParDéfaut")->setCurrentIndex(1);  // Normal, stored as 0
    Controle<QComboBox>("cboFormatParDéfaut")->setCurrentIndex(2);
    Controle<QComboBox>("cboEncodageParDéfaut")->setCurrentText("Koi8-r");
    Texte("txtDestinatairesParDéfaut")->setText("a@x.fr, b@x.fr");
    Texte("txtNombreDestinataires")->setText("100");
    Texte("txtTimeoutSMTP")->setText("60");
    EXPECT_EQ(Texte("txtDureeAttente")->text(), "48");
    Texte("txtDureeAttente")->setText("0");  // a temporary failure is final at once
    Controle<QRadioButton>("optRépartitionDestinataires", 1)->setChecked(true);
    f.dialogue.boites.clear();
    fenetre->btnOK_Click();
    ASSERT_FALSE(f.etat.DialogueAnnule);
    EXPECT_TRUE(f.dialogue.boites.empty());
    EXPECT_TRUE(f.etat.RedemarrageRequis);  // the search was turned on
    EXPECT_NE(f.Configuration().find("RéponseParDéfaut=rep@example.com"), std::string::npos);
    EXPECT_NE(f.Configuration().find("DureeAttente=0\n"), std::string::npos);
    const Parametres& r = f.etat.Reglages;
    EXPECT_EQ(r.ReponseParDefaut, "rep@example.com");
    EXPECT_EQ(r.ImportanceParDefaut, 0);
    EXPECT_EQ(r.FormatParDefaut, 2);
    EXPECT_EQ(r.EncodageParDefaut, "Koi8-r");
    EXPECT_EQ(r.DestinatairesParDefaut, "a@x.fr, b@x.fr");
    EXPECT_EQ(r.NbDest, 100);
    EXPECT_EQ(r.TimeoutSMTP, 60);
    EXPECT_EQ(r.DureeAttente, 0);
    EXPECT_FALSE(r.RepartitionDestinataires);
    EXPECT_TRUE(r.UtiliserAD);
    EXPECT_EQ(r.AccesAD, 2);
    EXPECT_EQ(r.AccesADDomaine, "ad.example.com");
    EXPECT_EQ(r.AccesADPassword, "s3cret é");
    EXPECT_EQ(f.etat.ListeConfigsSMTP.size(), 2u);

    // Asked for by start-up: opens on the directory tab, and OK restarts.
    f.etat.ConfigurerAccesAD = true;
    fenetre = Ouvre();
    EXPECT_EQ(Onglet(), 4);
    EXPECT_EQ(Texte("txtDureeAttente")->text(), "0");
    fenetre->btnOK_Click();
    EXPECT_TRUE(f.etat.RedemarrageRequis);
    EXPECT_TRUE(f.dialogue.boites.empty());

    // Another language: stored for the next start, with one message.
    f.etat.ConfigurerAccesAD = false;
    fenetre = Ouvre();
    EXPECT_EQ(Controle<QComboBox>("cboLangue")->currentText(), "English");
    Controle<QComboBox>("cboLangue")->setCurrentText("Français");
    fenetre->btnOK_Click();
    ASSERT_EQ(f.dialogue.boites.size(), 1u);
    EXPECT_EQ(f.dialogue.boites[0].texte, f.etat.Langage.Texte("MSG_CHANGEMENT_LANGUE"));
    EXPECT_TRUE(f.etat.RedemarrageRequis);
    EXPECT_NE(f.Configuration().find("Langue=Français"), std::string::npos);
    EXPECT_FALSE(f.etat.Langage.FichierTraduction.empty());  // English until the restart
}

TEST_F(Configuration, AnnulerChangesNothingOkRefillsTheComposeWindowAndKeysMoveAround) {
    // Ctrl+Tab goes round the tabs, whichever control has the focus.
    fenetre->show();
    fenetre->activateWindow();
    QApplication::processEvents();
    QTest::keyClick(Controle<QComboBox>("cboLangue"), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(Onglet(), 2);
    Controle<QTabWidget>("tabOnglets")->setCurrentIndex(3);
    QTest::keyClick(Controle<QCheckBox>("chkUtiliserAD"), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(Onglet(), 1);
    QTest::keyClick(Controle<QComboBox>("cboLangue"), Qt::Key_Backtab,
                    Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Onglet(), 4);

    const std::string avant = f.Configuration();
    auto* composition = f.Controle<QComboBox>("cboConfigSMTP");
    f.fenetre->OuvreConfiguration = [&] {
        frmConfiguration configuration(f.etat, f.dialogue, false);
        configuration.Liste().Liste().selectAll();
        configuration.Liste().btnSMTPSupprimer_Click();
        configuration.btnAnnuler_Click();
    };
    f.fenetre->mnuOptionsConfiguration_Click();
    EXPECT_EQ(f.Configuration(), avant);
    EXPECT_EQ(f.etat.ListeConfigsSMTP.size(), 2u);
    EXPECT_EQ(composition->count(), 2);
    f.fenetre->OuvreConfiguration = [&] {
        frmConfiguration configuration(f.etat, f.dialogue, false);
        configuration.Liste().Liste().setCurrentItem(configuration.Liste().Liste().topLevelItem(1));
        configuration.Liste().btnSMTPSupprimer_Click();
        configuration.btnOK_Click();
    };
    f.fenetre->mnuOptionsConfiguration_Click();
    EXPECT_EQ(composition->count(), 1);
    EXPECT_TRUE(composition->isHidden());

    // The recipient file button starts beside the current file and keeps paths relative.
    QString dossierPropose;
    QString choix = QString::fromStdString(f.dossier / "listes/equipe.txt");
    fenetre->ChoisitFichier = [&](const QString&, const QString& dossier) {
        dossierPropose = dossier;
        return choix;
    };
    QTest::mouseClick(Controle<QPushButton>("btnFichierDestinatairesParDéfautParcourir"),
                      Qt::LeftButton);
    EXPECT_EQ(dossierPropose.toStdString(), f.etat.DossierCourant);
    EXPECT_EQ(Texte("txtFichiersDestinatairesParDéfaut")->text(), "listes/equipe.txt");
    Texte("txtFichiersDestinatairesParDéfaut")->setText("/srv/listes/clients.txt");
    choix.clear();  // cancelled
    fenetre->btnFichierDestinatairesParDefautParcourir_Click();
    EXPECT_EQ(dossierPropose, "/srv/listes/");
    EXPECT_EQ(Texte("txtFichiersDestinatairesParDéfaut")->text(), "/srv/listes/clients.txt");
}

// Opened from a compose window in a corner, the window still comes up
// mid-screen; a refused OK leaves the named field focused once its box has
// closed and the window is active again, so what is typed next goes there.
TEST_F(Configuration, OpensMidScreenAndARefusedFieldKeepsTheFocusAfterItsBox) {
    f.fenetre->move(0, 0);
    fenetre = std::make_unique<frmConfiguration>(f.etat, f.dialogue, false, f.fenetre.get());
    fenetre->show();
    QApplication::processEvents();
    const QPoint centre = fenetre->screen()->availableGeometry().center();
    EXPECT_NEAR(fenetre->geometry().center().x(), centre.x(), 2);
    EXPECT_NEAR(fenetre->geometry().center().y(), centre.y(), 2);

    Texte("txtNombreDestinataires")->setText("101");
    fenetre->btnOK_Click();
    ASSERT_EQ(f.dialogue.boites.size(), 1u);
    QEvent activation(QEvent::WindowActivate);
    QApplication::sendEvent(fenetre.get(), &activation);
    EXPECT_EQ(fenetre->focusWidget(), Texte("txtNombreDestinataires"));
    // Any other return to the window still starts on the tab's first field.
    QApplication::sendEvent(fenetre.get(), &activation);
    EXPECT_EQ(fenetre->focusWidget(), Texte("txtSuffixe"));

    // Back from the file dialog, the focus is where it was: the next key
    // must not replace the default sender, the tab's first field.
    Controle<QTabWidget>("tabOnglets")->setCurrentIndex(1);
    auto* parcourir = Controle<QPushButton>("btnFichierDestinatairesParDéfautParcourir");
    parcourir->setFocus();
    fenetre->ChoisitFichier = [](const QString&, const QString&) { return QString(); };
    fenetre->btnFichierDestinatairesParDefautParcourir_Click();
    QApplication::sendEvent(fenetre.get(), &activation);
    EXPECT_EQ(fenetre->focusWidget(), parcourir);
    // And back from the SMTP dialog.
    Controle<QTabWidget>("tabOnglets")->setCurrentIndex(0);
    auto* ajouter = Controle<QPushButton>("btnSMTPAjouter");
    ajouter->setFocus();
    fenetre->Liste().AfficheDialogue = [](ui::frmConfigurationSMTP&) {};
    fenetre->Liste().btnSMTPAjouter_Click();
    QApplication::sendEvent(fenetre.get(), &activation);
    EXPECT_EQ(fenetre->focusWidget(), ajouter);
}

}  // namespace
}  // namespace corvelle::test
