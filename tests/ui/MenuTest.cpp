// The recipient menu: items, check marks, toggles, the file entry, and the
// click that closes a menu without reopening it.

#include <gtest/gtest.h>

#include <QAction>
#include <QCursor>
#include <QPlainTextEdit>
#include <QPushButton>

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
        "DestinatairesParDéfaut=a@x.fr, b@x.fr\nGroupesParDéfaut=Direction\n"
        "FichierDestinatairesParDéfaut=equipe.txt\n"};
    QPlainTextEdit* champ = f.Controle<QPlainTextEdit>("txtDestinataires", 1);
    std::vector<Element> vus;
    int ouvertures = 0;

    // Opens the menu of field 1, notes its items and chooses `choix`.
    QString Choisit(int choix) {
        vus.clear();
        f.fenetre->AfficheMenu = [&](ui::clsPopupMenu& menu, QPushButton&) {
            ++ouvertures;
            for (const QAction* action : menu.Menu().actions()) {
                vus.push_back({action->isSeparator() ? "-" : action->text(), action->isChecked(),
                               action->isEnabled()});
            }
            return choix;
        };
        f.fenetre->btnDestinataires_MouseDown(1);
        return champ->toPlainText();
    }
};

TEST_F(MenuDestinataires, ItemsShowWhatTheFieldAlreadyHolds) {
    EXPECT_EQ(Choisit(0), "");
    // Directory access is off: no groups item.
    ASSERT_EQ(vus.size(), 5u);
    EXPECT_EQ(vus[0].texte, "a@x.fr, b@x.fr");
    EXPECT_FALSE(vus[0].coche);
    EXPECT_EQ(vus[1].texte, "fic:equipe.txt");
    EXPECT_EQ(vus[2].texte, "-");
    EXPECT_EQ(vus[3].texte, "<Ajouter un fichier de destinataires...>");
    EXPECT_EQ(vus[4].texte, "<Effacer>");
    EXPECT_FALSE(vus[4].actif);  // nothing to clear

    EXPECT_EQ(Choisit(1), "a@x.fr, b@x.fr");
    EXPECT_EQ(f.fenetre->focusWidget(), champ);
    champ->setPlainText("B@X.FR, c@y.fr,A@x.fr");
    EXPECT_EQ(Choisit(1), "c@y.fr");  // checked whatever the case: removed
    EXPECT_TRUE(vus[0].coche);
    EXPECT_TRUE(vus[4].actif);
    champ->setPlainText("a@x.fr");
    EXPECT_EQ(Choisit(1), "a@x.fr, a@x.fr, b@x.fr");  // only some present: all appended
    EXPECT_FALSE(vus[0].coche);
    EXPECT_EQ(Choisit(5), "");
}

TEST_F(MenuDestinataires, AChosenFileIsAddedRelativeToTheWorkingFolder) {
    champ->setPlainText("a@x.fr");
    QString fichier = QString::fromStdString(f.dossier / "listes/clients.txt");
    f.fenetre->ChoisitFichier = [&](const QString&) { return fichier; };
    EXPECT_EQ(Choisit(4), "a@x.fr, fic:listes/clients.txt");
    fichier.clear();  // cancelled
    EXPECT_EQ(Choisit(4), "a@x.fr, fic:listes/clients.txt");
    EXPECT_EQ(f.fenetre->focusWidget(), champ);
}

TEST_F(MenuDestinataires, GroupsAreOfferedWithDirectoryAccess) {
    f.etat.Reglages.UtiliserAD = true;
    champ->setPlainText("grp:direction, fic:EQUIPE.TXT");
    Choisit(0);
    ASSERT_EQ(vus.size(), 6u);
    EXPECT_EQ(vus[1].texte, "grp:Direction");
    EXPECT_TRUE(vus[1].coche);
    EXPECT_TRUE(vus[2].coche);
}

TEST_F(MenuDestinataires, ThePressThatClosesTheMenuDoesNotReopenIt) {
    auto* bouton = f.Controle<QPushButton>("btnDestinataires", 1);
    f.fenetre->activateWindow();
    QCursor::setPos(bouton->mapToGlobal(bouton->rect().center()));
    if (QApplication::widgetAt(QCursor::pos()) != bouton) {
        GTEST_SKIP() << "this platform does not place the cursor";
    }
    Choisit(0);  // closed by a press on its own button
    Choisit(0);  // that press: nothing opens
    EXPECT_EQ(ouvertures, 1);
    QCursor::setPos(0, 0);
    Choisit(0);  // the next press opens it again; this time closed elsewhere
    EXPECT_EQ(ouvertures, 2);
    Choisit(0);  // so the next press opens it at once
    EXPECT_EQ(ouvertures, 3);
}

}  // namespace
}  // namespace corvelle::test
