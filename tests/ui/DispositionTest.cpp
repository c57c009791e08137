// The compose window's layout: label columns from the translated captions,
// the minimum size, the growing recipient fields, and the state kept on close.

#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "Fenetre.h"

namespace corvelle::test {
namespace {

using ui::Controle;

TEST(Disposition, ALongerTranslatedCaptionWidensTheLabelColumn) {
    FenetreTest francais;
    const int gaucheFrancais = francais.Controle<QLineEdit>("txtExpéditeur")->x();
    FenetreTest traduit({}, "Test.lng",
                        "[Traduction]\nCodeLangue=12\n"
                        "lblCorpsMessage=A much longer caption for the body\n");
    // A translation is used only when the configuration names it.
    EcritFichier(traduit.dossier / "prog/Corvelle.ini", "[Configuration]\nLangue=Test\n");
    traduit.Relance();
    auto* corps = traduit.Controle<QLabel>("lblCorpsMessage");
    ASSERT_EQ(corps->text(), "A much longer caption for the body");
    const int gauche = traduit.Controle<QLineEdit>("txtExpéditeur")->x();
    EXPECT_GT(gauche, gaucheFrancais);
    EXPECT_GE(gauche, corps->x() + corps->fontMetrics().horizontalAdvance(corps->text()));
    EXPECT_EQ(traduit.Controle<QLineEdit>("txtObjetMessage")->x(), gauche);
    EXPECT_EQ(traduit.Controle<QPlainTextEdit>("txtDestinataires", 2)->x(), gauche);
    EXPECT_EQ(traduit.Controle<QLabel>("lblExpéditeur")->width(), corps->width());
}

TEST(Disposition, TheWindowNeverShrinksBelowItsMinimumAndKeepsTheBottomRowClear) {
    FenetreTest f;
    ui::frmCorvelle& fenetre = *f.fenetre;
    fenetre.resize(100, 100);
    QApplication::processEvents();
    EXPECT_EQ(fenetre.width(), fenetre.Pixels(ui::kLargeurMinimale));
    EXPECT_EQ(fenetre.height(), fenetre.Pixels(ui::kHauteurMinimale));
    const QWidget* client = fenetre.centralWidget();
    auto* raz = f.Controle<QPushButton>("btnRaz");
    auto* quitter = f.Controle<QPushButton>("btnQuitter");
    EXPECT_LE(raz->geometry().bottom(), client->height());
    EXPECT_LE(quitter->geometry().right(), client->width());
    EXPECT_LT(f.Controle<QWidget>("fraOptions")->geometry().bottom(), raz->y());
    EXPECT_LT(f.Controle<QPlainTextEdit>("txtCorpsMessage")->geometry().bottom(),
              f.Controle<QWidget>("lstFichiersJoints")->y());

    fenetre.resize(fenetre.Pixels(12000), fenetre.Pixels(10000));
    QApplication::processEvents();
    EXPECT_EQ(quitter->geometry().right() + 1, client->width() - fenetre.Pixels(120));
}

TEST(Disposition, ALongRecipientListGrowsItsFieldAndPushesTheRowsBelow) {
    FenetreTest f;
    ui::frmCorvelle& fenetre = *f.fenetre;
    auto* champ = f.Controle<QPlainTextEdit>("txtDestinataires", 0);
    auto* suivant = f.Controle<QPlainTextEdit>("txtDestinataires", 1);
    auto* objet = f.Controle<QLineEdit>("txtObjetMessage");
    auto* corps = f.Controle<QPlainTextEdit>("txtCorpsMessage");
    const int hauteur = fenetre.Geometrie()[Controle::txtDestinataires0].hauteur;
    const int hautObjet = fenetre.Geometrie()[Controle::txtObjetMessage].haut;
    const int hauteurCorps = fenetre.Geometrie()[Controle::txtCorpsMessage].hauteur;
    const int pixelsObjet = objet->y();

    champ->setFocus();
    QTest::keyClicks(champ, QString("destinataire@example.com, ").repeated(20));
    const auto& g = fenetre.Geometrie();
    const int croissance = g[Controle::txtDestinataires0].hauteur - hauteur;
    EXPECT_EQ(g[Controle::txtDestinataires0].hauteur, ui::kHauteurMaxDestinataires);
    EXPECT_GT(croissance, 0);
    EXPECT_GT(champ->height(), fenetre.Pixels(hauteur));
    EXPECT_EQ(g[Controle::txtDestinataires1].haut, g[Controle::txtDestinataires0].Bas() + 75);
    EXPECT_EQ(g[Controle::txtObjetMessage].haut - hautObjet, croissance);
    EXPECT_EQ(hauteurCorps - g[Controle::txtCorpsMessage].hauteur, croissance);
    EXPECT_EQ(suivant->y(), fenetre.Pixels(g[Controle::txtDestinataires1].haut));

    champ->clear();
    EXPECT_EQ(fenetre.Geometrie()[Controle::txtDestinataires0].hauteur, hauteur);
    EXPECT_EQ(fenetre.Geometrie()[Controle::txtCorpsMessage].hauteur, hauteurCorps);
    EXPECT_EQ(objet->y(), pixelsObjet);
    EXPECT_FALSE(corps->geometry().intersects(objet->geometry()));
}

TEST(Disposition, StateIsWrittenOnCloseOnlyWhenAsked) {
    FenetreTest f;
    const std::string initiale = f.Configuration();
    f.fenetre->close();
    EXPECT_EQ(f.Configuration(), initiale);  // nothing toggled, nothing remembered

    f.Relance();
    f.Controle<QAction>("mnuOptionsMémoriserTaille")->trigger();
    f.fenetre->resize(f.fenetre->Pixels(9000), f.fenetre->Pixels(8010));
    QApplication::processEvents();
    f.fenetre->close();
    std::string ini = f.Configuration();
    for (const char* ligne :
         {"FenêtreMémoriserTaille=-1", "FenêtreMémoriserPosition=0", "MinimiserSystray=0",
          "ToujoursAuDessus=0", "FenêtreEtat=0", "FenêtreLargeur=9000", "FenêtreHauteur=8010"}) {
        EXPECT_NE(ini.find(ligne), std::string::npos) << ligne << "\n" << ini;
    }
    EXPECT_EQ(ini.find("FenêtreGauche"), std::string::npos);

    // The next start takes the size back; closing it without a toggle
    // rewrites the size but not the four flags.
    f.Relance();
    EXPECT_EQ(f.fenetre->width(), f.fenetre->Pixels(9000));
    EXPECT_EQ(f.fenetre->height(), f.fenetre->Pixels(8010));
    EXPECT_TRUE(f.Controle<QAction>("mnuOptionsMémoriserTaille")->isChecked());
    EcritFichier(f.dossier / "prog/Corvelle.ini",
                 "[Configuration]\nFenêtreMémoriserTaille=-1\nFenêtreLargeur=9000\n"
                 "FenêtreHauteur=8010\n");
    f.fenetre->showMaximized();
    QApplication::processEvents();
    f.fenetre->close();
    ini = f.Configuration();
    EXPECT_EQ(ini.find("MinimiserSystray"), std::string::npos) << ini;
    EXPECT_NE(ini.find("FenêtreLargeur=9000"), std::string::npos) << ini;
    if (f.fenetre->isMaximized()) {  // when the platform can maximise
        EXPECT_NE(ini.find("FenêtreEtat=2"), std::string::npos) << ini;
    }
}

TEST(Disposition, AlwaysOnTopAppliesAtOnceAndMinimisingWithoutTheTrayOptionKeepsTheWindow) {
    FenetreTest f;
    ui::frmCorvelle& fenetre = *f.fenetre;
    EXPECT_FALSE(fenetre.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    f.Controle<QAction>("mnuOptionsToujoursAuDessus")->trigger();
    EXPECT_TRUE(fenetre.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(fenetre.isVisible());
    EXPECT_TRUE(f.etat.OptionsModifiees);

    fenetre.showMinimized();
    QApplication::processEvents();
    EXPECT_FALSE(fenetre.DansSystray());
    fenetre.showNormal();
    QApplication::processEvents();
    fenetre.close();
    EXPECT_NE(f.Configuration().find("ToujoursAuDessus=-1"), std::string::npos);
}

}  // namespace
}  // namespace corvelle::test
