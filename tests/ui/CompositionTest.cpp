// The compose window, built and driven as a person would; its rules are in
// ReglesCompositionTest.

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <array>
#include <cmath>
#include <tuple>

#include "Fenetre.h"
#include "config/ConfigSMTP.h"
#include "core/Texte.h"
#include "sending/outbox/FileAttente.h"

namespace corvelle::test {
namespace {

std::string DeuxConfigs() {
    clsConfigSMTP config;
    config.Nom = "Un";
    config.Serveur = "smtp.example.com";
    config.Port = 25;
    const std::string un = config.Serialize();
    config.Nom = "Deux";
    return "ConfigsSMTP=" + un + kSeparateurConfigs + config.Serialize() + "\n";
}

TEST(FenetreComposition, BuildsInBothLanguagesAndSendRefusesOrTidiesTheForm) {
    // English, with one caption longer than designed: the label column widens.
    FenetreTest anglais("Langue=English\n", "English.lng",
                        Remplace(ContenuAnglais(), "lblCorpsMessage=Message body",
                                 "lblCorpsMessage=A much longer caption for the body"));
    EXPECT_EQ(anglais.Controle<QMenu>("mnuFichier")->title(), "&File");
    EXPECT_EQ(anglais.Controle<QLabel>("lblDestinataires", 2)->text(), "&Blind copy (Bcc)");
    auto* legende = anglais.Controle<QLabel>("lblCorpsMessage");
    const int gauche = anglais.Controle<QLineEdit>("txtExpéditeur")->x();
    EXPECT_GE(gauche, legende->x() + legende->fontMetrics().horizontalAdvance(legende->text()));
    EXPECT_EQ(anglais.Controle<QPlainTextEdit>("txtDestinataires", 2)->x(), gauche);

    FenetreTest f(DeuxConfigs());
    EXPECT_EQ(f.Controle<QPushButton>("btnEnvoyer")->text(), "&Envoyer");
    auto* expediteur = f.Controle<QLineEdit>("txtExpéditeur");
    auto* a = f.Controle<QPlainTextEdit>("txtDestinataires", 0);
    auto* cc = f.Controle<QPlainTextEdit>("txtDestinataires", 1);
    auto* cci = f.Controle<QPlainTextEdit>("txtDestinataires", 2);
    auto* objet = f.Controle<QLineEdit>("txtObjetMessage");
    auto* corps = f.Controle<QPlainTextEdit>("txtCorpsMessage");
    // The one field left empty is refused and takes the focus.
    for (const auto& [cle, vide] : {std::pair<const char*, QWidget*>{"EXPEDITEUR", expediteur},
                                    {"DESTINATAIRE", a},
                                    {"OBJET", objet},
                                    {"CORPS", corps}}) {
        expediteur->setText(vide == expediteur ? "" : "Jean <jean@example.com>");
        a->setPlainText(vide == a ? "" : "a@example.com");
        objet->setText(vide == objet ? "" : "Réunion");
        corps->setPlainText(vide == corps ? "" : "Bonjour");
        f.dialogue.boites.clear();
        QTest::mouseClick(f.Controle<QPushButton>("btnEnvoyer"), Qt::LeftButton);
        ASSERT_EQ(f.dialogue.boites.size(), 1u) << cle;
        EXPECT_EQ(f.dialogue.boites[0].texte,
                  f.etat.Langage.Texte("MSG_ERREUR_" + std::string(cle)));
        EXPECT_EQ(f.fenetre->focusWidget(), vide) << cle;
    }
    EXPECT_EQ(f.dialogue.boites[0].icone, Icone::Exclamation);

    // Sent with a file that is not there: the dispatch stops before any
    // connection, naming the file as the window handed it.
    corps->setPlainText("Bonjour");
    a->setPlainText("a@example.com\n\nb@example.com\n");
    cc->setPlainText("\"Dupont, Jean\" <jd@example.com>");
    cci->setPlainText("  ");
    f.Controle<QComboBox>("cboConfigSMTP")->setCurrentIndex(1);
    f.fenetre->ChoisitFichier = [&](const QString&) {
        return QString::fromStdString(f.dossier / "absent.txt");
    };
    QTest::mouseClick(f.Controle<QPushButton>("btnAjouter"), Qt::LeftButton);
    EXPECT_EQ(f.Controle<QListWidget>("lstFichiersJoints")->item(0)->text(), "absent.txt");
    f.dialogue.boites.clear();
    QSignalSpy fin(f.fenetre.get(), &ui::frmCorvelle::EnvoiTermine);
    f.fenetre->btnEnvoyer_Click();
    ASSERT_TRUE(fin.wait(20000));
    EXPECT_EQ(a->toPlainText(), "a@example.com, b@example.com");
    EXPECT_EQ(cc->toPlainText(), "\"Dupont, Jean\" <jd@example.com>");
    EXPECT_EQ(cci->toPlainText(), "");
    EXPECT_EQ(f.dialogue.attentes, 0);
    ASSERT_EQ(f.dialogue.boites.size(), 1u);
    EXPECT_NE(f.dialogue.boites[0].texte.find(f.dossier / "absent.txt"), std::string::npos);
    EXPECT_EQ(objet->text(), "Réunion");  // the window keeps the message
}

TEST(FenetreComposition, ClosingDuringASendAsksAndDestroyingItWaitsWithoutTheBoxesItAskedFor) {
    clsConfigSMTP config;
    config.Nom = "Local";
    config.Serveur = "127.0.0.1";
    config.Port = 1;  // nothing listens: the send fails at once once it gets there
    FenetreTest f("ConfigsSMTP=" + config.Serialize() + "\n");
    f.Controle<QLineEdit>("txtExpéditeur")->setText("moi@example.com");
    // The missing file's warning makes the send wait on a box.
    f.Controle<QPlainTextEdit>("txtDestinataires", 0)
        ->setPlainText("fic:absent.txt, a@example.com");
    f.Controle<QLineEdit>("txtObjetMessage")->setText("Objet");
    f.Controle<QPlainTextEdit>("txtCorpsMessage")->setPlainText("Corps");
    f.fenetre->btnEnvoyer_Click();
    ASSERT_TRUE(f.fenetre->EnvoiEnCours());
    EXPECT_FALSE(f.Controle<QPushButton>("btnEnvoyer")->isEnabled());
    f.dialogue.reponses = {Reponse::Non};
    EXPECT_FALSE(f.fenetre->close());
    ASSERT_EQ(f.dialogue.boites.size(), 1u);
    EXPECT_EQ(f.dialogue.boites[0].icone, Icone::Question);
    EXPECT_TRUE(f.fenetre->EnvoiEnCours());
    // Gone without a pass of events while the send waits for its box: the box
    // is never shown and the send ends before the window's parts go.
    QTest::qSleep(300);
    f.fenetre.reset();
    EXPECT_EQ(f.dialogue.boites.size(), 1u);
}

TEST(FenetreComposition, RemovingAnAttachmentSelectsTheNextAndTheResetGivesTheDefaults) {
    FenetreTest f(DeuxConfigs() +
                  "ExpéditeurParDéfaut=moi@example.com\nRéponseParDéfaut=rep@example.com\n"
                  "FormatParDéfaut=2\nEncodageParDéfaut=Utf-8\nImportanceParDéfaut=1\n"
                  "SensibilitéParDéfaut=3\nARParDéfaut=2\n");
    auto* liste = f.Controle<QListWidget>("lstFichiersJoints");
    auto* supprimer = f.Controle<QPushButton>("btnSupprimer");
    f.fenetre->ChoisitFichier = [](const QString&) { return QString(); };  // cancelled
    f.fenetre->btnAjouter_Click();
    liste->addItems({"a.txt", "b.txt", "c.txt"});
    EXPECT_FALSE(supprimer->isEnabled());
    liste->setCurrentRow(2);
    QTest::mouseClick(supprimer, Qt::LeftButton);  // the last row: the new last one is selected
    EXPECT_EQ(liste->currentRow(), 1);
    liste->setCurrentRow(0);
    f.fenetre->btnSupprimer_Click();  // the row that took its place is selected
    EXPECT_EQ(liste->currentItem()->text(), "b.txt");
    f.fenetre->btnSupprimer_Click();
    EXPECT_FALSE(supprimer->isEnabled());

    liste->addItem("a.txt");
    f.Controle<QPlainTextEdit>("txtDestinataires", 1)->setPlainText("x@example.com");
    f.Controle<QLineEdit>("txtExpéditeur")->setText("autre@example.com");
    f.Controle<QComboBox>("cboFormat")->setCurrentIndex(0);
    auto* importance = f.Controle<QComboBox>("cboImportance");
    importance->setCurrentIndex(2);
    f.Controle<QComboBox>("cboConfigSMTP")->setCurrentIndex(1);
    QTest::mouseClick(f.Controle<QPushButton>("btnRaz"), Qt::LeftButton);
    EXPECT_EQ(f.Controle<QLineEdit>("txtExpéditeur")->text(), "moi@example.com");
    EXPECT_EQ(f.Controle<QLineEdit>("txtRéponse")->text(), "rep@example.com");
    EXPECT_EQ(f.Controle<QPlainTextEdit>("txtDestinataires", 1)->toPlainText(), "");
    EXPECT_EQ(f.Controle<QComboBox>("cboFormat")->currentIndex(), 2);
    EXPECT_EQ(f.Controle<QComboBox>("cboEncodage")->currentText(), "Utf-8");
    EXPECT_EQ(importance->currentIndex(), 0);  // low, stored as 1, is listed first
    EXPECT_EQ(importance->currentData().toInt(), 1);
    EXPECT_EQ(f.Controle<QComboBox>("cboSensibilité")->currentIndex(), 3);
    EXPECT_EQ(f.Controle<QComboBox>("cboNotification")->currentIndex(), 2);
    EXPECT_EQ(liste->count(), 0);
    EXPECT_EQ(f.Controle<QComboBox>("cboConfigSMTP")->currentIndex(), 1);  // kept
}

TEST(FenetreComposition, LayoutFollowsTheWindowAndItsStateIsKeptOnCloseOnlyWhenAsked) {
    FenetreTest f;
    f.fenetre->resize(100, 100);
    QApplication::processEvents();
    EXPECT_EQ(f.fenetre->size(), QSize(f.fenetre->Pixels(ui::kLargeurMinimale),
                                       f.fenetre->Pixels(ui::kHauteurMinimale)));
    EXPECT_LE(f.Controle<QPushButton>("btnQuitter")->geometry().bottomRight().y(),
              f.fenetre->centralWidget()->height());

    // A long recipient list typed grows its field and pushes the next one down.
    auto* champ = f.Controle<QPlainTextEdit>("txtDestinataires", 0);
    auto* suivant = f.Controle<QPlainTextEdit>("txtDestinataires", 1);
    const QRect avant = champ->geometry();
    champ->setFocus();
    QTest::keyClicks(champ, QString("destinataire@example.com, ").repeated(2));
    EXPECT_FALSE(champ->verticalScrollBar()->isVisible());  // a bar only for hidden lines
    QTest::keyClicks(champ, QString("destinataire@example.com, ").repeated(18));
    QApplication::processEvents();
    EXPECT_TRUE(champ->verticalScrollBar()->isVisible());
    const ui::Disposition& g = f.fenetre->Geometrie();
    EXPECT_GT(champ->height(), avant.height());
    EXPECT_EQ(champ->height(), f.fenetre->Pixels(g[ui::Controle::txtDestinataires0].hauteur));
    EXPECT_EQ(suivant->y(), f.fenetre->Pixels(g[ui::Controle::txtDestinataires1].haut));
    champ->clear();
    EXPECT_EQ(champ->geometry(), avant);

    // Always on top applies at once; minimising without the tray option keeps the window.
    const std::string initiale = f.Configuration();
    f.Controle<QAction>("mnuOptionsToujoursAuDessus")->trigger();
    EXPECT_TRUE(f.fenetre->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(f.fenetre->isVisible());
    f.fenetre->showMinimized();
    QApplication::processEvents();
    EXPECT_FALSE(f.fenetre->DansSystray());
    f.fenetre->close();
    EXPECT_NE(f.Configuration().find("ToujoursAuDessus=-1"), std::string::npos);

    EcritFichier(f.dossier / "prog/Corvelle.ini", initiale);
    f.Relance();
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

    // A remembered place off every screen (a monitor gone) comes back on one.
    EcritFichier(f.dossier / "prog/Corvelle.ini",
                 "[Configuration]\nFenêtreMémoriserPosition=-1\nFenêtreGauche=60000\n"
                 "FenêtreHaut=-9000\n");
    f.Relance();
    const QRect ecran = f.fenetre->screen()->availableGeometry();
    EXPECT_TRUE(ecran.contains(f.fenetre->frameGeometry().topLeft()));
    EXPECT_TRUE(ecran.contains(f.fenetre->geometry().center()));
    // One whose client area ends on the screen's last row: the frame below it
    // would not, so the window comes up a little higher, wholly on the screen.
    const int haut = f.fenetre->Twips(ecran.bottom() + 1 - f.fenetre->height());
    EcritFichier(f.dossier / "prog/Corvelle.ini",
                 "[Configuration]\nFenêtreMémoriserPosition=-1\nFenêtreGauche=0\nFenêtreHaut=" +
                     std::to_string(haut) + "\n");
    f.Relance();
    EXPECT_TRUE(ecran.contains(f.fenetre->frameGeometry()))
        << f.fenetre->frameGeometry().bottom() << " > " << ecran.bottom();
    EcritFichier(f.dossier / "prog/Corvelle.ini", ini);

    // The next start takes the size back; closing it without a toggle
    // rewrites the size but not the four flags.
    f.Relance();
    EXPECT_EQ(f.fenetre->size(), QSize(f.fenetre->Pixels(9000), f.fenetre->Pixels(8010)));
    EXPECT_TRUE(f.Controle<QAction>("mnuOptionsMémoriserTaille")->isChecked());
    EcritFichier(f.dossier / "prog/Corvelle.ini", "[Configuration]\nFenêtreMémoriserTaille=-1\n");
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

// At a fractional pixel ratio (CTest runs this at QT_FONT_DPI=144, a ratio of
// 1.5) each recipient field shows its whole frame: across the field, the
// outermost pixels it paints on each side are its frame, not its white inside.
TEST(FenetreComposition, RecipientFieldsShowTheirWholeFrameAtAFractionalPixelRatio) {
    FenetreTest f;
    const double ratio = f.fenetre->devicePixelRatioF();
    if (ratio == std::round(ratio)) {
        GTEST_SKIP() << "whole pixel ratio";
    }
    const QImage image = f.fenetre->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRgb fond = f.fenetre->palette().window().color().rgb();
    const QRgb interieur = f.fenetre->palette().base().color().rgb();
    // The outermost pixels along a line that are not the window's background.
    auto bords = [&](QPoint p, QPoint pas, int longueur) {
        QRgb premier = fond;
        QRgb dernier = fond;
        for (; longueur-- > 0; p += pas) {
            if (image.pixel(p) != fond) {
                dernier = image.pixel(p);
                premier = premier == fond ? dernier : premier;
            }
        }
        return std::array{premier, dernier};
    };
    for (int i = 0; i < 3; ++i) {
        const auto* champ = f.Controle<QPlainTextEdit>("txtDestinataires", i);
        const QRect zone = QRectF(QPointF(champ->mapTo(f.fenetre.get(), QPoint())) * ratio,
                                  QSizeF(champ->size()) * ratio)
                               .toAlignedRect()
                               .adjusted(-1, -1, 1, 1);
        for (const auto& ligne :
             {bords(QPoint(zone.left(), zone.center().y()), QPoint(1, 0), zone.width()),
              bords(QPoint(zone.center().x(), zone.top()), QPoint(0, 1), zone.height())}) {
            for (const QRgb bord : ligne) {
                EXPECT_TRUE(bord != fond && bord != interieur) << i;
            }
        }
    }
}

// A send that fails for now: the outcome box offers to keep it in the outbox,
// where it goes only when accepted; the Options menu counts what waits.
TEST(FenetreComposition, ASendThatFailsForNowMayWaitInTheOutbox) {
    clsConfigSMTP config;
    config.Nom = "Relais";
    config.Serveur = "127.0.0.1";
    config.Port = 1;  // nobody listens there
    FenetreTest f("ConfigsSMTP=" + config.Serialize() + "\n");
    f.Controle<QLineEdit>("txtExpéditeur")->setText("Jean <jean@example.com>");
    f.Controle<QPlainTextEdit>("txtDestinataires", 0)->setPlainText("a@example.com");
    f.Controle<QLineEdit>("txtObjetMessage")->setText("Réunion");
    f.Controle<QPlainTextEdit>("txtCorpsMessage")->setPlainText("Bonjour");
    auto* fileAttente = f.Controle<QAction>("mnuOptionsFileAttente");
    for (const auto& [reponse, boites, menu] :
         {std::tuple{Reponse::Non, 1u, "File d'attente : 0 message(s) en attente"},
          std::tuple{
              Reponse::Oui, 2u,
              "File d'attente : 1 message(s) en attente ; dernier échec : Failed to connect"}}) {
        f.dialogue.boites.clear();
        f.dialogue.reponses = {reponse};
        QSignalSpy fin(f.fenetre.get(), &ui::frmCorvelle::EnvoiTermine);
        f.fenetre->btnEnvoyer_Click();
        ASSERT_TRUE(fin.wait(20000));
        ASSERT_EQ(f.dialogue.boites.size(), boites);
        const Boite& offre = f.dialogue.boites[0];
        EXPECT_EQ(offre.boutons, Boutons::OuiNon);
        EXPECT_EQ(offre.parDefaut, Reponse::Non);
        EXPECT_TRUE(offre.texte.ends_with(f.etat.Langage.Texte("MSG_PROPOSE_ATTENTE")));
        f.fenetre->mnuOptions_AboutToShow();
        // Kept after one attempt: with what the relay's absence gave.
        EXPECT_TRUE(fileAttente->text().toStdString().starts_with(menu))
            << fileAttente->text().toStdString();
    }
    EXPECT_NE(f.dialogue.boites[1].texte.find(" ~ gardé dans la file d'attente sous "),
              std::string::npos)
        << f.dialogue.boites[1].texte;
    EXPECT_NE(f.dialogue.boites[1].texte.find("(destinataires : a@example.com)"),
              std::string::npos);
    // Once a retry failed, its reply shows too.
    outbox::FileAttente file(f.dossier / "prog/outbox");
    outbox::ResultatPrise prise = file.Prend(file.Identifiants().at(0));
    ASSERT_EQ(prise.etat, outbox::EtatPrise::Prise);
    prise.prise.Reporte("451 4.3.0 Plus tard", 0);
    f.fenetre->mnuOptions_AboutToShow();
    EXPECT_EQ(fileAttente->text().toStdString(),
              "File d'attente : 1 message(s) en attente ; dernier échec : 451 4.3.0 Plus tard");
}

}  // namespace
}  // namespace corvelle::test
