// Window translation: which texts a file replaces, and that the shipped
// English file covers every caption of the windows. Window titles and tabs
// are checked in English by each window's own test.

#include <gtest/gtest.h>

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>

#include "Fenetre.h"
#include "config/Profil.h"
#include "i18n/Langue.h"
#include "ui/commun/TraductionFenetre.h"
#include "ui/config/FenetreConfiguration.h"
#include "ui/config/FenetreConfigurationSMTP.h"
#include "ui/config/FenetreTestSMTP.h"
#include "ui/main/FenetreAPropos.h"

namespace corvelle::test {
namespace {

Langue LangueDepuis(const DossierTemporaire& dossier, const std::string& contenu) {
    EcritFichier(dossier / "Test.lng", "[Traduction]\n" + contenu);
    Langue langue;
    langue.LangueCourante = "Test";
    langue.FichierTraduction = dossier / "Test.lng";
    langue.Fichier = FichierLangue::Charge(langue.FichierTraduction);
    return langue;
}

TEST(Traduction, AFileReplacesOnlyTheTextsItGives) {
    FenetreTest f;
    const Langue langue = LangueDepuis(f.dossier,
                                       "lblDestinataires(2)=Blind copy\n"
                                       "txtDestinataires=rempli\n"
                                       "lblObjetMessage=Sujet§du message\n"
                                       "fraOptions=Choix\n"
                                       "btnEnvoyer=\n"
                                       "mnuOptionsSep1=x\n");
    ui::frmCorvelle fenetre(f.etat, f.dialogue);
    ui::TraduitFenetre(fenetre, langue);
    EXPECT_EQ(Trouve<QLabel>(fenetre, "lblDestinataires", 1)->text(), "Copie (Cc)");
    EXPECT_EQ(Trouve<QLabel>(fenetre, "lblDestinataires", 2)->text(), "Blind copy");
    for (auto* champ : fenetre.findChildren<QPlainTextEdit*>("txtDestinataires")) {
        EXPECT_EQ(champ->toPlainText(), "rempli");
    }
    EXPECT_EQ(fenetre.findChild<QLabel*>("lblObjetMessage")->text(), "Sujet\ndu message");
    EXPECT_EQ(fenetre.findChild<QGroupBox*>("fraOptions")->title(), "Choix");
    // An empty value cannot empty a caption; a separator stays a separator.
    EXPECT_EQ(fenetre.findChild<QPushButton*>("btnEnvoyer")->text(), "&Envoyer");
    EXPECT_TRUE(fenetre.findChild<QAction*>("mnuOptionsSep1")->isSeparator());
    EXPECT_EQ(fenetre.findChild<QAction*>("mnuOptionsSep1")->text(), "");
    EXPECT_EQ(fenetre.findChild<QMenu*>("mnuFichier")->title(), "&Fichier");

    // French: no file, every text as designed.
    ui::frmCorvelle francais(f.etat, f.dialogue);
    ui::TraduitFenetre(francais, Langue());
    EXPECT_EQ(francais.findChild<QLabel*>("lblObjetMessage")->text(), "Objet du message");
}

// Every caption that the translation reads must be in the English file.
void VerifieCouverture(QWidget& fenetre, const FichierLangue& anglais) {
    std::vector<QString> cles{fenetre.objectName()};
    for (QObject* objet : fenetre.findChildren<QObject*>()) {
        const QString nom = objet->objectName();
        const auto* action = qobject_cast<QAction*>(objet);
        const auto* label = qobject_cast<QLabel*>(objet);
        const auto* bouton = qobject_cast<QAbstractButton*>(objet);
        const bool legende = (bouton && !bouton->text().isEmpty()) ||
                             qobject_cast<QGroupBox*>(objet) || qobject_cast<QMenu*>(objet) ||
                             (action && !action->isSeparator()) ||
                             (label && label->pixmap().isNull() && !label->text().isEmpty());
        // The toolkit's own parts, and the version set after the translation.
        if (nom.isEmpty() || nom.startsWith("qt_") || nom == "lblVersion" || !legende) {
            continue;
        }
        cles.push_back(ui::EstIndexe(*objet)
                           ? QString("%1(%2)").arg(nom).arg(objet->property("index").toInt())
                           : nom);
    }
    for (const QString& cle : cles) {
        const std::string absent = "\x01";
        EXPECT_NE(anglais.TraduitTexte(cle.toStdString(), absent), absent)
            << fenetre.objectName().toStdString() << ": " << cle.toStdString();
    }
}

TEST(Traduction, TheEnglishFileCoversEveryWindowCaption) {
    FenetreTest f;
    const FichierLangue anglais = FichierLangue::Charge(CORVELLE_TRADUCTIONS "/English.lng");
    VerifieCouverture(*f.fenetre, anglais);
    ui::frmAPropos aPropos(f.etat.Langage);
    VerifieCouverture(aPropos, anglais);
    ui::frmConfiguration configuration(f.etat, f.dialogue, false);
    VerifieCouverture(configuration, anglais);
    ui::frmConfigurationSMTP smtp(f.etat, f.dialogue, {}, false);
    VerifieCouverture(smtp, anglais);
    ui::frmConfigurationSMTPTest test(f.etat.Langage, false);
    VerifieCouverture(test, anglais);
    EXPECT_NE(anglais.TraduitTexte("txtSyntaxe", "absent"), "absent");
}

}  // namespace
}  // namespace corvelle::test
