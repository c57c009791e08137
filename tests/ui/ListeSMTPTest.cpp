// The SMTP configurations list of the settings window: which buttons apply,
// how rows are removed and reordered, by button or by dragging, and how the
// dialog adds or changes a row.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <cctype>
#include <memory>
#include <set>

#include "app/Programme.h"
#include "config/ConfigSMTP.h"
#include "config/MotDePasse.h"
#include "core/Dialogue.h"
#include "i18n/Langue.h"
#include "support/DialogueEnregistreur.h"
#include "ui/commun/TraductionFenetre.h"
#include "ui/commun/Twips.h"
#include "ui/config/ListeSMTP.h"

namespace corvelle::test {
namespace {

using ui::frmConfigurationSMTP;

clsConfigSMTP Config(const std::string& nom) {
    clsConfigSMTP config;
    config.Nom = nom;
    config.Serveur = "smtp.example.com";
    config.Port = 25;
    return config;
}

QLineEdit& Champ(const frmConfigurationSMTP& fenetre, const char* nom) {
    return *fenetre.findChild<QLineEdit*>(nom);
}

// Rows are named by one capital letter; a selected row shows in lower case.
class ListeSMTPTest : public ::testing::Test {
  protected:
    ListeSMTPTest() {
        ChargeTraductions(etat.Langage);
        Ouvre();
    }

    // The tab as the settings window will hold it: a frame in a dialog.
    void Ouvre() {
        liste.reset();
        fenetre = std::make_unique<QDialog>();
        fenetre->resize(ui::PixelsDepuisTwips(*fenetre, 7600),
                        ui::PixelsDepuisTwips(*fenetre, 3000));
        cadre = new QGroupBox(fenetre.get());
        ui::PlaceEnTwips(*cadre, 120, 120, 7335, 2775);
        liste = std::make_unique<ui::ListeSMTP>(
            *cadre, etat, dialogue, [] { return ui::ValeursTest{}; }, false);
        liste->AfficheDialogue = [](frmConfigurationSMTP&) { FAIL() << "unexpected dialog"; };
        fenetre->show();
    }

    void Remplit(const std::string& noms) {
        ListeConfigs configs;
        for (const char nom : noms) {
            configs.push_back(Config(std::string(1, nom)));
        }
        liste->Remplit(configs);
    }

    [[nodiscard]] QTreeWidget& Vue() const { return liste->Liste(); }

    [[nodiscard]] std::string Lignes() const {
        std::string lignes;
        for (int i = 0; i < Vue().topLevelItemCount(); ++i) {
            const QTreeWidgetItem& ligne = *Vue().topLevelItem(i);
            const char nom = ligne.text(0).toStdString().at(0);
            lignes += ligne.isSelected() ? static_cast<char>(std::tolower(nom)) : nom;
        }
        return lignes;
    }

    void Selectionne(const std::string& lignes) {
        Vue().clearSelection();
        for (std::size_t i = 0; i < lignes.size(); ++i) {
            Vue().topLevelItem(static_cast<int>(i))->setSelected(std::islower(lignes[i]) != 0);
        }
    }

    [[nodiscard]] QPushButton& Bouton(const char* nom) const {
        return *cadre->findChild<QPushButton*>(nom);
    }

    // Modifier, Supprimer, Monter, Descendre: '1' when enabled.
    [[nodiscard]] std::string Boutons() const {
        std::string actifs;
        for (const char* nom :
             {"btnSMTPModifier", "btnSMTPSupprimer", "btnSMTPMonter", "btnSMTPDescendre"}) {
            actifs += Bouton(nom).isEnabled() ? '1' : '.';
        }
        return actifs;
    }

    [[nodiscard]] QTimer& Retardateur() const {
        return *Vue().findChild<QTimer*>("tmrRetardateur");
    }

    // The 200 ms delay, passed at once.
    void Tic() { QMetaObject::invokeMethod(&Retardateur(), "timeout"); }

    // A mouse event over a row, or below the last one (-1); the button is held
    // down but for a release.
    void Souris(QEvent::Type type, int ligne, Qt::MouseButton bouton = Qt::LeftButton) {
        const QPoint point = ligne < 0 ? QPoint(5, Vue().viewport()->height() - 2)
                                       : Vue().visualItemRect(Vue().topLevelItem(ligne)).center();
        const Qt::MouseButtons enfonces =
            type == QEvent::MouseButtonRelease ? Qt::MouseButtons() : Qt::MouseButtons(bouton);
        QMouseEvent evenement(type, point, Vue().viewport()->mapToGlobal(point), bouton, enfonces,
                              Qt::NoModifier);
        QApplication::sendEvent(Vue().viewport(), &evenement);
    }

    [[nodiscard]] clsConfigSMTP Tag(int position) const {
        clsConfigSMTP config;
        EXPECT_EQ(config.Deserialize(liste->Tags().at(static_cast<std::size_t>(position))), 0);
        return config;
    }

    Programme etat;
    DialogueEnregistreur dialogue;
    std::unique_ptr<QDialog> fenetre;
    QGroupBox* cadre = nullptr;
    std::unique_ptr<ui::ListeSMTP> liste;
};

TEST_F(ListeSMTPTest, ButtonsFollowTheSelection) {
    Remplit("ABCD");
    EXPECT_EQ(Boutons(), "....");
    EXPECT_TRUE(Bouton("btnSMTPAjouter").isEnabled());
    Selectionne("AbcD");
    EXPECT_EQ(Boutons(), ".111");  // two rows: no change, but remove and move
    Selectionne("aBCD");
    EXPECT_EQ(Boutons(), "11.1");
    Selectionne("ABCd");
    EXPECT_EQ(Boutons(), "111.");

    // A press below the last row, or with another button, clears the selection.
    Souris(QEvent::MouseButtonPress, -1);
    Souris(QEvent::MouseButtonRelease, -1);
    EXPECT_EQ(Lignes(), "ABCD");
    EXPECT_EQ(Boutons(), "....");
    Selectionne("AbCD");
    Souris(QEvent::MouseButtonPress, 1, Qt::RightButton);
    EXPECT_EQ(Lignes(), "ABCD");
    EXPECT_EQ(Boutons(), "....");
}

TEST_F(ListeSMTPTest, ABlockMovesAsAWholeAndStaysSelected) {
    Remplit("ABCD");
    Selectionne("AbcD");
    const std::vector<std::string> avant = liste->Tags();
    liste->btnSMTPMonter_Click();
    EXPECT_EQ(Lignes(), "bcAD");
    EXPECT_EQ(Boutons(), ".1.1");
    EXPECT_EQ(liste->Tags(), (std::vector<std::string>{avant[1], avant[2], avant[0], avant[3]}));
    liste->btnSMTPDescendre_Click();
    liste->btnSMTPDescendre_Click();
    EXPECT_EQ(Lignes(), "ADbc");
    EXPECT_EQ(Boutons(), ".11.");
    EXPECT_TRUE(Vue().updatesEnabled());

    // Separate blocks each move one step over the row above them.
    Remplit("ABCDE");
    Selectionne("AbCde");
    liste->btnSMTPMonter_Click();
    EXPECT_EQ(Lignes(), "bAdeC");
}

TEST_F(ListeSMTPTest, RemovalSelectsTheRowThatTookTheTopmostPlace) {
    Remplit("ABCDE");
    Selectionne("ABCde");
    liste->btnSMTPSupprimer_Click();
    EXPECT_EQ(Lignes(), "ABc");
    EXPECT_EQ(Boutons(), "111.");

    Remplit("ABCDE");
    Selectionne("AbCdE");
    liste->btnSMTPSupprimer_Click();
    EXPECT_EQ(Lignes(), "AcE");
    EXPECT_TRUE(Vue().updatesEnabled());

    Selectionne("ace");
    liste->btnSMTPSupprimer_Click();
    EXPECT_TRUE(liste->Tags().empty());
    EXPECT_EQ(Boutons(), "....");
}

TEST_F(ListeSMTPTest, AddAppendsTheTypedConfigurationWithItsPasswordScrambled) {
    Remplit("AB");
    Selectionne("aB");
    liste->AfficheDialogue = [](frmConfigurationSMTP& f) {
        // A new configuration starts empty, without authentication.
        EXPECT_EQ(f.Lit(), (clsConfigSMTP{"", "", false, 25, AuthAucune, "", "", ""}));
        Champ(f, "txtNom").setText("A");  // a name already used is accepted
        Champ(f, "txtServeur").setText("smtp.example.com");
        f.findChild<QComboBox*>("cboAuthentification")->setCurrentIndex(1);  // Login
        Champ(f, "txtUsername").setText("jean");
        Champ(f, "txtPassword").setText("s3cret");
        f.btnOK_Click();
    };
    liste->btnSMTPAjouter_Click();
    EXPECT_EQ(Lignes(), "ABa");
    EXPECT_EQ(Boutons(), "111.");
    const clsConfigSMTP ajoutee = Tag(2);
    EXPECT_EQ(ajoutee.Authentification, AuthLogin);
    EXPECT_EQ(ajoutee.Password, ChiffreMotDePasse("s3cret"));
    EXPECT_NE(ajoutee.Password, "s3cret");
    EXPECT_EQ(Vue().topLevelItem(2)->text(3), "Login");

    const std::vector<std::string> avant = liste->Tags();
    liste->AfficheDialogue = [](frmConfigurationSMTP& f) { f.btnAnnuler_Click(); };
    liste->btnSMTPAjouter_Click();
    EXPECT_EQ(liste->Tags(), avant);
    EXPECT_EQ(Lignes(), "ABa");
}

TEST_F(ListeSMTPTest, ChangeKeepsPlaceSelectionAndTheStoredPort) {
    clsConfigSMTP ssl = Config("B");
    ssl.SSL = true;  // on port 25: the dialog must not swap it to 465
    ssl.Authentification = AuthPlain;
    ssl.Username = "jean";
    ssl.Password = ChiffreMotDePasse("mot dé passe");
    liste->Remplit({Config("A"), ssl, Config("C")});
    Selectionne("AbC");
    liste->AfficheDialogue = [](frmConfigurationSMTP& f) {
        EXPECT_EQ(Champ(f, "txtPassword").text(), "mot dé passe");
        EXPECT_TRUE(f.findChild<QCheckBox*>("chkSSL")->isChecked());
        Champ(f, "txtNom").setText("Bureau");
        f.btnOK_Click();
    };
    liste->btnSMTPModifier_Click();
    EXPECT_EQ(Lignes(), "AbC");
    EXPECT_EQ(Vue().topLevelItem(1)->text(0), "Bureau");
    clsConfigSMTP attendue = ssl;
    attendue.Nom = "Bureau";
    EXPECT_EQ(Tag(1), attendue);

    liste->AfficheDialogue = [](frmConfigurationSMTP& f) {
        Champ(f, "txtNom").setText("Autre");
        f.btnAnnuler_Click();
    };
    liste->btnSMTPModifier_Click();
    EXPECT_EQ(Tag(1), attendue);

    // A double click opens it too, only while a single row is selected.
    int affichages = 0;
    liste->AfficheDialogue = [&](frmConfigurationSMTP&) { ++affichages; };
    Souris(QEvent::MouseButtonPress, 2);
    Souris(QEvent::MouseButtonRelease, 2);
    Souris(QEvent::MouseButtonDblClick, 2);
    EXPECT_EQ(affichages, 1);
    Selectionne("abc");
    emit Vue().itemDoubleClicked(Vue().topLevelItem(0), 0);
    EXPECT_EQ(affichages, 1);
}

TEST_F(ListeSMTPTest, DraggingMovesOneStepPerMouseMove) {
    Remplit("ABCD");
    Souris(QEvent::MouseButtonPress, 0);
    EXPECT_EQ(Retardateur().interval(), 200);
    Tic();
    EXPECT_EQ(Vue().cursor().shape(), Qt::SizeVerCursor);
    Souris(QEvent::MouseMove, 2);
    EXPECT_EQ(Lignes(), "BaCD");
    Souris(QEvent::MouseMove, 2);
    EXPECT_EQ(Lignes(), "BCaD");
    Souris(QEvent::MouseMove, 2);  // the dragged row itself is under the pointer now
    Souris(QEvent::MouseMove, 0);
    EXPECT_EQ(Lignes(), "BaCD");
    Souris(QEvent::MouseButtonRelease, 1);
    EXPECT_EQ(Vue().cursor().shape(), Qt::ArrowCursor);
    Souris(QEvent::MouseMove, 3, Qt::NoButton);
    EXPECT_EQ(Lignes(), "BaCD");

    // A block dragged by one of its rows stays selected once released.
    Selectionne("BacD");
    Souris(QEvent::MouseButtonPress, 1);
    Tic();
    Souris(QEvent::MouseMove, 3);
    Souris(QEvent::MouseButtonRelease, 2);
    EXPECT_EQ(Lignes(), "BDac");
}

TEST_F(ListeSMTPTest, AQuickClickOrARowOfTheSameNameNeverMoves) {
    Remplit("ABC");
    Souris(QEvent::MouseButtonPress, 0);
    Souris(QEvent::MouseButtonRelease, 0);
    EXPECT_FALSE(Retardateur().isActive());
    Tic();  // even a tick already on its way finds no row to drag
    Souris(QEvent::MouseMove, 2, Qt::NoButton);
    EXPECT_EQ(Lignes(), "aBC");
    EXPECT_EQ(Vue().cursor().shape(), Qt::ArrowCursor);

    // A row jumped over is rewritten from its tag: a mark on it would go.
    liste->Remplit({Config("A"), Config("A"), Config("B")});
    Vue().topLevelItem(1)->setData(1, Qt::DisplayRole, "second");
    Souris(QEvent::MouseButtonPress, 0);
    Tic();
    Souris(QEvent::MouseMove, 1);
    EXPECT_EQ(Vue().topLevelItem(1)->text(1), "second");
    EXPECT_TRUE(Vue().topLevelItem(0)->isSelected());
}

TEST_F(ListeSMTPTest, EnglishHeadersAndCaptions) {
    const std::string fichier = CORVELLE_TRADUCTIONS "/English.lng";
    Langue anglais;
    anglais.LangueCourante = "English";
    anglais.FichierTraduction = fichier;
    anglais.Fichier = FichierLangue::Charge(fichier);
    ChargeTraductions(anglais);
    etat.Langage = std::move(anglais);
    Ouvre();
    ui::TraduitFenetre(*fenetre, etat.Langage);
    EXPECT_EQ(Vue().headerItem()->text(0), "Configuration name");
    EXPECT_EQ(Vue().headerItem()->text(2), "SSL");
    // Each caption translated, with a shortcut of its own within the tab.
    const std::pair<const char*, const char*> boutons[] = {{"btnSMTPAjouter", "&Ajouter..."},
                                                           {"btnSMTPModifier", "&Modifier..."},
                                                           {"btnSMTPSupprimer", "&Supprimer"},
                                                           {"btnSMTPMonter", "Mon&ter"},
                                                           {"btnSMTPDescendre", "&Descendre"}};
    std::set<QChar> raccourcis;
    for (const auto& [nom, francais] : boutons) {
        const QString texte = Bouton(nom).text();
        EXPECT_NE(texte, francais) << nom;
        const auto esperluette = texte.indexOf('&');
        ASSERT_GE(esperluette, 0) << nom;
        EXPECT_TRUE(raccourcis.insert(texte.at(esperluette + 1).toLower()).second) << nom;
    }
}

}  // namespace
}  // namespace corvelle::test
