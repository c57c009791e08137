// The recipient menus of the compose window, shown and chosen from as a
// person would; which items they hold is in ReglesCompositionTest.

#include <gtest/gtest.h>

#include <QAction>
#include <QCursor>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <functional>

#include "Fenetre.h"
#include "ui/main/PopupMenu.h"

namespace corvelle::test {
namespace {

struct Element {
    QString texte;
    bool coche;
    bool actif;
};

class MenuDestinataires : public ::testing::Test {
  protected:
    FenetreTest f{
        "DestinatairesParDéfaut=a@x.fr, b@x.fr\nFichierDestinatairesParDéfaut=equipe.txt\n"};
    QPlainTextEdit* champ = f.Controle<QPlainTextEdit>("txtDestinataires", 1);
    std::vector<Element> vus;
    int ouvertures = 0;

    // Opens the menu of field 1 of `fenetre`, notes its items and chooses `choix`.
    QString Choisit(int choix, FenetreTest* fenetre = nullptr) {
        FenetreTest& g = fenetre ? *fenetre : f;
        vus.clear();
        g.fenetre->AfficheMenu = [&](ui::clsPopupMenu& menu, QPushButton&) {
            ++ouvertures;
            for (const QAction* action : menu.Menu().actions()) {
                vus.push_back({action->isSeparator() ? "-" : action->text(), action->isChecked(),
                               action->isEnabled()});
            }
            return choix;
        };
        emit g.Controle<QPushButton>("btnDestinataires", 1)->pressed();
        return g.Controle<QPlainTextEdit>("txtDestinataires", 1)->toPlainText();
    }
};

TEST_F(MenuDestinataires, BuildsInBothLanguagesAndAChoiceChangesTheFieldAndFocusesIt) {
    EXPECT_EQ(Choisit(0), "");
    ASSERT_EQ(vus.size(), 5u);
    EXPECT_EQ(vus[0].texte, "a@x.fr, b@x.fr");
    EXPECT_FALSE(vus[0].coche);
    EXPECT_EQ(vus[2].texte, "-");
    EXPECT_EQ(vus[3].texte, "<Ajouter un fichier de destinataires...>");
    EXPECT_FALSE(vus[4].actif);  // nothing to clear

    EXPECT_EQ(Choisit(1), "a@x.fr, b@x.fr");
    EXPECT_EQ(f.fenetre->focusWidget(), champ);
    EXPECT_EQ(Choisit(1), "");  // checked: removed
    EXPECT_TRUE(vus[0].coche);
    EXPECT_TRUE(vus[4].actif);

    // A chosen file is added relative to the working folder; cancelled, nothing.
    champ->setPlainText("a@x.fr");
    QString fichier = QString::fromStdString(f.dossier / "listes/clients.txt");
    f.fenetre->ChoisitFichier = [&](const QString&) { return fichier; };
    EXPECT_EQ(Choisit(4), "a@x.fr, fic:listes/clients.txt");
    fichier.clear();
    EXPECT_EQ(Choisit(4), "a@x.fr, fic:listes/clients.txt");
    EXPECT_EQ(Choisit(5), "");
    EXPECT_EQ(f.fenetre->focusWidget(), champ);

    FenetreTest anglais("Langue=English\n", "English.lng", ContenuAnglais());
    Choisit(0, &anglais);
    ASSERT_EQ(vus.size(), 2u);
    EXPECT_EQ(vus[0].texte, "<Add a recipient file...>");
    EXPECT_EQ(vus[1].texte, "<Clear>");
}

// The real menu, pressed through the window as the platform delivers it:
// the press that closes a menu never reaches its button, so each press on
// the button opens or closes its menu in turn.
TEST_F(MenuDestinataires, EachPressOnItsButtonOpensOrClosesTheMenuInTurn) {
    auto* bouton = f.Controle<QPushButton>("btnDestinataires", 1);
    QWindow* fenetre = f.fenetre->windowHandle();
    auto presse = [&](const QWidget& ou) {  // the pointer goes there, as a hand moves it
        QCursor::setPos(ou.mapToGlobal(ou.rect().center()));
        QTest::mouseClick(fenetre, Qt::LeftButton, {},
                          ou.mapTo(f.fenetre.get(), ou.rect().center()));
    };
    std::vector<std::function<void(QMenu&)>> fermetures = {
        [&](QMenu&) { presse(*bouton); },
        [](QMenu& menu) { QTest::keyClick(&menu, Qt::Key_Escape); },
        [&](QMenu&) { presse(*f.Controle<QPlainTextEdit>("txtDestinataires", 0)); },
        [&](QMenu&) { presse(*bouton); }};
    f.fenetre->AfficheMenu = [&](ui::clsPopupMenu& menu, QPushButton& b) {
        if (ouvertures < static_cast<int>(fermetures.size())) {
            QTimer::singleShot(0, [&, ferme = fermetures[static_cast<std::size_t>(ouvertures)]] {
                ferme(menu.Menu());
            });
        }
        ++ouvertures;
        return menu.TrackPopup(&b, true);
    };
    for (int pression = 1; pression <= 4; ++pression) {
        presse(*bouton);
        EXPECT_EQ(ouvertures, pression) << "press " << pression;
    }
}

}  // namespace
}  // namespace corvelle::test
