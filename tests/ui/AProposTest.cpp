// The About window, opened from the menu, in French and in English.

#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "Fenetre.h"
#include "app/APropos.h"
#include "core/Version.h"
#include "i18n/Langue.h"
#include "ui/commun/TraductionFenetre.h"
#include "ui/main/FenetreAPropos.h"

namespace corvelle::test {
namespace {

TEST(APropos, OpensFromTheMenuInBothLanguagesWithTheVersionAndOkCloses) {
    FenetreTest f;
    f.Controle<QAction>("mnuAideAProposDe")->trigger();
    auto* menu = f.fenetre->findChild<ui::frmAPropos*>();
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(menu->isVisible());
    menu->accept();

    ui::frmAPropos francais(f.etat.Langage);
    EXPECT_EQ(francais.windowTitle(), "A propos de Corvelle");
    EXPECT_EQ(Trouve<QPlainTextEdit>(francais, "txtSyntaxe")->toPlainText(),
              ui::VersQt(TexteSyntaxe()));
    EXPECT_TRUE(
        Trouve<QLabel>(francais, "lblVersion")->text().contains(ui::VersQt(TitreFenetre())));

    const Langue langue = Anglais();
    ui::frmAPropos anglais(langue);
    EXPECT_EQ(anglais.windowTitle(), "About Corvelle");
    EXPECT_EQ(Trouve<QLabel>(anglais, "lblDescription")->text(),
              "Sends e-mail from a compose window or from a script.");
    EXPECT_EQ(Trouve<QPlainTextEdit>(anglais, "txtSyntaxe")->toPlainText(),
              ui::VersQt(langue.Fichier.TraduitTexte("TXT_AIDE", "")));
    EXPECT_TRUE(Trouve<QLabel>(anglais, "lblVersion")->text().contains(ui::VersQt(TitreFenetre())));
    anglais.show();
    QTest::mouseClick(Trouve<QPushButton>(anglais, "btnOK"), Qt::LeftButton);
    EXPECT_FALSE(anglais.isVisible());
    EXPECT_EQ(anglais.result(), QDialog::Accepted);
}

}  // namespace
}  // namespace corvelle::test
