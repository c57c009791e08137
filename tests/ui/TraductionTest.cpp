// Window translation: which texts a file replaces, and that the shipped
// English file covers every caption of the windows, shortcuts included.
// Window titles and tabs are checked in English by each window's own test.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QTranslator>

#include "Fenetre.h"
#include "config/Profil.h"
#include "i18n/Langue.h"
#include "ui/commun/TraductionFenetre.h"
#include "ui/config/FenetreAvanceeSMTP.h"
#include "ui/config/FenetreConfiguration.h"
#include "ui/config/FenetreConfigurationSMTP.h"
#include "ui/config/FenetreTestSMTP.h"
#include "ui/main/DialogueQt.h"
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
    EXPECT_EQ(Trouve<QLabel>(fenetre, "lblDestinataires", 1)->text(), "&Copie (Cc)");
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
    EXPECT_EQ(francais.findChild<QLabel*>("lblObjetMessage")->text(), "Ob&jet du message");
}

// Every caption that the translation reads must be in the English file, with
// a shortcut where the French caption has one; a caption naming a control
// always has one. In either language no letter serves twice in a menu, in the
// window, or on a tab and the window around it; no key for a field or a
// separator, which it would fill (the help text is the About window's to fill).
void VerifieCouverture(QWidget& fenetre, const FichierLangue& anglais) {
    const std::string absent = "\x01";
    // By language, then by window, tab page or menu: letter to key.
    std::map<const QObject*, std::map<QChar, std::string>> raccourcis[2];
    const auto lettre = [&](int langue, const QObject& groupe, const std::string& cle,
                            const QString& texte) {
        const qsizetype esperluette = texte.indexOf('&');
        if (esperluette >= 0 && esperluette + 1 < texte.size()) {
            const auto [deja, nouveau] =
                raccourcis[langue][&groupe].emplace(texte[esperluette + 1].toLower(), cle);
            EXPECT_TRUE(nouveau) << cle << " and " << deja->second << " share a shortcut";
        }
    };
    const auto verifie = [&](const QObject& groupe, const std::string& cle,
                             const QString& francais) {
        const QString texte = ui::VersQt(anglais.TraduitTexte(cle, absent));
        EXPECT_FALSE(texte.isEmpty() || texte == ui::VersQt(absent)) << cle;
        EXPECT_EQ(texte.contains('&'), francais.contains('&'))
            << cle << ": " << texte.toStdString();
        lettre(0, groupe, cle, francais);
        lettre(1, groupe, cle, texte);
    };
    // The tab page holding a control, else the window.
    const auto groupe = [&](const QObject& objet) -> const QObject& {
        for (const QObject* o = &objet; o; o = o->parent()) {
            if (o->objectName() == "picOnglet") {
                return *o;
            }
        }
        return fenetre;
    };
    verifie(fenetre, fenetre.objectName().toStdString(), fenetre.windowTitle());
    for (QObject* objet : fenetre.findChildren<QObject*>()) {
        const QString nom = objet->objectName();
        const auto* action = qobject_cast<QAction*>(objet);
        const auto* label = qobject_cast<QLabel*>(objet);
        const auto* bouton = qobject_cast<QAbstractButton*>(objet);
        const auto* cadre = qobject_cast<QGroupBox*>(objet);
        const auto* menu = qobject_cast<QMenu*>(objet);
        // The toolkit's own parts, and the version set after the translation.
        if (nom.isEmpty() || nom.startsWith("qt_") || nom == "lblVersion" || nom == "txtSyntaxe") {
            continue;
        }
        const std::string cle =
            (ui::EstIndexe(*objet)
                 ? QString("%1(%2)").arg(nom).arg(objet->property("index").toInt())
                 : nom)
                .toStdString();
        const bool champ =
            (action && action->isSeparator()) || qobject_cast<QPlainTextEdit*>(objet) ||
            (qobject_cast<QLineEdit*>(objet) && !qobject_cast<QComboBox*>(objet->parent()));
        if (label) {
            EXPECT_EQ(label->buddy() != nullptr, label->text().contains('&')) << cle;
        }
        if (champ) {
            EXPECT_EQ(anglais.TraduitTexte(nom.toStdString(), absent), absent) << cle;
        } else if (action) {
            const auto menus = action->associatedObjects();
            const auto dans = std::find_if(menus.begin(), menus.end(), [](const QObject* o) {
                return qobject_cast<const QMenu*>(o) != nullptr;
            });
            verifie(dans == menus.end() ? fenetre : **dans, cle, action->text());
        } else if ((bouton && !bouton->text().isEmpty()) || cadre || menu ||
                   (label && label->pixmap().isNull() && !label->text().isEmpty())) {
            verifie(groupe(*objet), cle,
                    bouton  ? bouton->text()
                    : cadre ? cadre->title()
                    : menu  ? menu->title()
                            : label->text());
        }
    }
    // A tab's letters are also the window's.
    for (auto& parLangue : raccourcis) {
        for (const auto& [page, lettres] : parLangue) {
            if (page == &fenetre || page->objectName() != "picOnglet") {
                continue;
            }
            for (const auto& [l, cle] : lettres) {
                EXPECT_FALSE(parLangue[&fenetre].contains(l))
                    << cle << " and " << parLangue[&fenetre][l] << " share a shortcut";
            }
        }
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
    ui::frmConfigurationSMTPAvancee avancee(f.etat, f.dialogue, false);
    VerifieCouverture(avancee, anglais);
    EXPECT_NE(anglais.TraduitTexte("TXT_AIDE", "absent"), "absent");
}

// Qt's own buttons speak the interface language: French without a file,
// and the language a file's CodeLangue names.
TEST(Traduction, QtsOwnTextsFollowTheInterfaceLanguage) {
    EXPECT_EQ(CodeIsoLangue(Langue{}), "fr");
    DossierTemporaire dossier;
    EXPECT_EQ(CodeIsoLangue(LangueDepuis(dossier, "CodeLangue=7\n")), "de");
    EXPECT_EQ(CodeIsoLangue(LangueDepuis(dossier, "CodeLangue=999\n")), "");
    // A box before any window (a start-up question) already speaks the
    // language start-up chose, and carries the program's icon.
    Langue langue = LangueDepuis(dossier, "CodeLangue=9\n");
    int argc = 0;
    ui::DialogueQt qt(argc, nullptr, &langue);
    QString non;
    bool icone = false;
    auto lit = [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* boite = qobject_cast<QMessageBox*>(w); boite && boite->isVisible()) {
                non = boite->button(QMessageBox::No)->text();
                icone = !boite->windowIcon().isNull();
                boite->done(QMessageBox::No);
            }
        }
    };
    langue = Langue{};  // start-up has now read French
    QTimer::singleShot(0, lit);
    EXPECT_EQ(qt.Affiche({"?", "", Icone::Question, Boutons::OuiNon, Reponse::Oui}), Reponse::Non);
    EXPECT_EQ(non, "&Non");
    EXPECT_TRUE(icone);
    langue = LangueDepuis(dossier, "CodeLangue=9\n");  // and English after a restart
    QTimer::singleShot(0, lit);
    (void)qt.Affiche({"?", "", Icone::Question, Boutons::OuiNon, Reponse::Oui});
    EXPECT_EQ(non, "&No");
    delete qApp->findChild<QTranslator*>("qtbase");  // the other tests expect Qt in English
}

}  // namespace
}  // namespace corvelle::test
