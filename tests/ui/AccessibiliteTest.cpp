// Every control the keyboard reaches is read by a screen reader under a name:
// the caption of its label, or what it does when it has none.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QTabBar>

#include "Fenetre.h"
#include "ui/config/FenetreAvanceeSMTP.h"
#include "ui/config/FenetreConfiguration.h"
#include "ui/config/FenetreConfigurationSMTP.h"
#include "ui/config/FenetreTestSMTP.h"
#include "ui/main/FenetreAPropos.h"

namespace corvelle::test {
namespace {

// "window/control" for each focusable control without a name.
void Verifie(const QWidget& fenetre, QStringList& muets) {
    for (const QWidget* w : fenetre.findChildren<QWidget*>()) {
        if (w->focusPolicy() == Qt::NoFocus || w->focusProxy() || w->window() != &fenetre ||
            w->objectName().startsWith("qt_") || qobject_cast<const QTabBar*>(w) ||
            qobject_cast<const QComboBox*>(w->parentWidget())) {
            continue;  // a tab bar's tabs, a list's line or popup: named by their owner
        }
        QString nom = w->accessibleName();
        if (const auto* b = qobject_cast<const QAbstractButton*>(w); b && nom.isEmpty()) {
            nom = b->text().remove('&');
        }
        if (nom.trimmed().isEmpty() || nom == "▼" || nom == "…") {
            muets << fenetre.objectName() + "/" + w->objectName() + " [" +
                         w->metaObject()->className() + "]";
        }
    }
}

TEST(Accessibilite, EveryFocusableControlOfEveryWindowHasANameInBothLanguages) {
    QStringList muets;
    for (const bool anglais : {false, true}) {
        FenetreTest f = anglais ? FenetreTest("Langue=English\n", "English.lng", ContenuAnglais())
                                : FenetreTest();
        f.etat.ListeConfigsSMTP.resize(2);
        f.fenetre->RemplitConfigsSMTP();
        Verifie(*f.fenetre, muets);
        EXPECT_EQ(f.Controle<QWidget>("btnDestinataires", 0)->accessibleName(),
                  anglais ? "Recipient menu (To)" : "Menu des destinataires (À)");
        EXPECT_EQ(f.Controle<QWidget>("txtExpéditeur")->accessibleName(),
                  anglais ? "Sender" : "Expéditeur");
        ui::frmConfiguration configuration(f.etat, f.dialogue, false);
        Verifie(configuration, muets);
        ui::frmConfigurationSMTP smtp(
            f.etat, f.dialogue, [] { return ui::ValeursTest{}; }, false);
        Verifie(smtp, muets);
        EXPECT_EQ(Trouve<QLabel>(smtp, "lblSSL")->buddy(), Trouve<QWidget>(smtp, "chkSSL"));
        ui::frmConfigurationSMTPAvancee avancee(f.etat, f.dialogue, false);
        Verifie(avancee, muets);
        EXPECT_EQ(Trouve<QLabel>(avancee, "lblCléOAuth")->buddy(),
                  Trouve<QWidget>(avancee, "txtCléOAuth"));
        ui::frmConfigurationSMTPTest essai(f.etat.Langage, false);
        Verifie(essai, muets);
        ui::frmAPropos apropos(f.etat.Langage);
        Verifie(apropos, muets);
    }
    EXPECT_TRUE(muets.isEmpty()) << muets.join("\n").toStdString();
}

}  // namespace
}  // namespace corvelle::test
