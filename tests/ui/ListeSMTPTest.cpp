// The SMTP configurations list of the settings window, driven by its buttons,
// its dialog and the mouse; the index rules are in ReglesConfigurationTest.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <cctype>

#include "Fenetre.h"
#include "config/ConfigSMTP.h"
#include "config/MotDePasse.h"
#include "ui/config/FenetreConfiguration.h"
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

// Rows are named by one capital letter; a selected row shows in lower case.
// The list as the settings window holds it, in French; in English it is
// checked with that window.
class ListeSMTPTest : public ::testing::Test {
  protected:
    ListeSMTPTest() {
        liste.AfficheDialogue = [](frmConfigurationSMTP&) { FAIL() << "unexpected dialog"; };
        fenetre.show();
    }

    void Remplit(const std::string& noms) {
        ListeConfigs configs;
        for (const char nom : noms) {
            configs.push_back(Config(std::string(1, nom)));
        }
        liste.Remplit(configs);
    }

    [[nodiscard]] QTreeWidget& Vue() const { return liste.Liste(); }

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
        return *Trouve<QPushButton>(fenetre, nom);
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

    [[nodiscard]] QTimer& Retardateur() const { return *Trouve<QTimer>(Vue(), "tmrRetardateur"); }

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
        EXPECT_EQ(config.Deserialize(liste.Tags().at(static_cast<std::size_t>(position))), 0);
        return config;
    }

    FenetreTest f;
    ui::frmConfiguration fenetre{f.etat, f.dialogue, false};
    ui::ListeSMTP& liste = fenetre.Liste();
};

TEST_F(ListeSMTPTest, BuildsAndItsButtonsDialogAndMouseEditTheList) {
    EXPECT_EQ(Bouton("btnSMTPMonter").text(), "Mon&ter");
    Remplit("ABCD");
    EXPECT_EQ(Boutons(), "....");
    EXPECT_TRUE(Bouton("btnSMTPAjouter").isEnabled());
    Selectionne("AbcD");
    EXPECT_EQ(Boutons(), ".111");
    // A press below the last row, or with another button, clears the selection.
    Souris(QEvent::MouseButtonPress, -1);
    Souris(QEvent::MouseButtonRelease, -1);
    EXPECT_EQ(Lignes(), "ABCD");
    Selectionne("AbCD");
    Souris(QEvent::MouseButtonPress, 1, Qt::RightButton);
    EXPECT_EQ(Lignes(), "ABCD");
    EXPECT_EQ(Boutons(), "....");

    // A block moves as a whole and stays selected.
    Selectionne("AbcD");
    Bouton("btnSMTPMonter").click();
    EXPECT_EQ(Lignes(), "bcAD");
    EXPECT_EQ(Boutons(), ".1.1");
    EXPECT_TRUE(Vue().updatesEnabled());

    // Removal selects the row that took the topmost place.
    Remplit("ABCDE");
    Selectionne("AbCdE");
    liste.btnSMTPSupprimer_Click();
    EXPECT_EQ(Lignes(), "AcE");
    EXPECT_EQ(Boutons(), "1111");
    EXPECT_TRUE(Vue().updatesEnabled());

    // Added: a new configuration starts empty; the row goes last, selected,
    // its password scrambled. Cancelled: nothing.
    Remplit("AB");
    Selectionne("aB");
    liste.AfficheDialogue = [](frmConfigurationSMTP& d) {
        EXPECT_EQ(d.Lit(), (clsConfigSMTP{"", "", false, 25, AuthAucune, "", "", "", ""}));
        Trouve<QLineEdit>(d, "txtNom")->setText("A");  // a name already used is accepted
        Trouve<QLineEdit>(d, "txtServeur")->setText("smtp.example.com");
        Trouve<QComboBox>(d, "cboAuthentification")->setCurrentIndex(1);  // Login
        Trouve<QLineEdit>(d, "txtUsername")->setText("jean");
        Trouve<QLineEdit>(d, "txtPassword")->setText("s3cret");
        d.btnOK_Click();
    };
    Bouton("btnSMTPAjouter").click();
    EXPECT_EQ(Lignes(), "ABa");
    EXPECT_EQ(Boutons(), "111.");
    EXPECT_EQ(Tag(2).Password, ChiffreMotDePasse("s3cret"));
    EXPECT_NE(Tag(2).Password, "s3cret");
    EXPECT_EQ(Vue().topLevelItem(2)->text(3), "Login");
    liste.AfficheDialogue = [](frmConfigurationSMTP& d) { d.btnAnnuler_Click(); };
    liste.btnSMTPAjouter_Click();
    EXPECT_EQ(Lignes(), "ABa");

    // Changed in place, the clear password shown and the stored SSL port kept;
    // a double click opens it too, only while a single row is selected.
    clsConfigSMTP ssl = Config("B");
    ssl.SSL = true;
    ssl.Authentification = AuthPlain;
    ssl.Username = "jean";
    ssl.Password = ChiffreMotDePasse("mot dé passe");
    liste.Remplit({Config("A"), ssl, Config("C")});
    int affichages = 0;
    liste.AfficheDialogue = [&](frmConfigurationSMTP& d) {
        ++affichages;
        EXPECT_EQ(Trouve<QLineEdit>(d, "txtPassword")->text(), "mot dé passe");
        Trouve<QLineEdit>(d, "txtNom")->setText("Bureau");
        d.btnOK_Click();
    };
    Souris(QEvent::MouseButtonPress, 1);
    Souris(QEvent::MouseButtonRelease, 1);
    Souris(QEvent::MouseButtonDblClick, 1);
    EXPECT_EQ(affichages, 1);
    EXPECT_EQ(Lignes(), "AbC");
    EXPECT_EQ(Vue().topLevelItem(1)->text(0), "Bureau");
    ssl.Nom = "Bureau";
    EXPECT_EQ(Tag(1), ssl);
    liste.AfficheDialogue = [&](frmConfigurationSMTP& d) {
        ++affichages;
        Trouve<QLineEdit>(d, "txtNom")->setText("Autre");
        d.btnAnnuler_Click();
    };
    Bouton("btnSMTPModifier").click();
    EXPECT_EQ(Tag(1), ssl);
    Selectionne("abc");
    emit Vue().itemDoubleClicked(Vue().topLevelItem(0), 0);
    EXPECT_EQ(affichages, 2);
}

TEST_F(ListeSMTPTest, DraggingMovesOneStepPerMouseMoveOnceTheDelayHasPassed) {
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

    // A quick click never drags, even with a tick already on its way.
    Remplit("ABC");
    Souris(QEvent::MouseButtonPress, 0);
    Souris(QEvent::MouseButtonRelease, 0);
    EXPECT_FALSE(Retardateur().isActive());
    Tic();
    Souris(QEvent::MouseMove, 2, Qt::NoButton);
    EXPECT_EQ(Lignes(), "aBC");
    EXPECT_EQ(Vue().cursor().shape(), Qt::ArrowCursor);

    // A row of the same name is not jumped over: a mark on it stays.
    liste.Remplit({Config("A"), Config("A"), Config("B")});
    Vue().topLevelItem(1)->setData(1, Qt::DisplayRole, "second");
    Souris(QEvent::MouseButtonPress, 0);
    Tic();
    Souris(QEvent::MouseMove, 1);
    EXPECT_EQ(Vue().topLevelItem(1)->text(1), "second");
    EXPECT_TRUE(Vue().topLevelItem(0)->isSelected());
}

}  // namespace
}  // namespace corvelle::test
