// Every window holds its controls in French and in English, at the size it
// opens with and at its minimum, in the default font and in larger ones:
// every caption whole, no control over another or outside its parent, every
// window on the 1280 × 1024 screen. CTest runs the default font a second time
// at scale 2 on that screen, 640 × 512 to lay out in (tests/CMakeLists.txt).

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeWidget>
#include <climits>
#include <functional>
#include <string>

#include "Fenetre.h"
#include "ui/config/FenetreAvanceeSMTP.h"
#include "ui/config/FenetreConfiguration.h"
#include "ui/config/FenetreConfigurationSMTP.h"
#include "ui/config/FenetreTestSMTP.h"
#include "ui/main/FenetreAPropos.h"

namespace corvelle::test {
namespace {

// The number fields, which must show their highest value whole.
const QStringList kNombres = {"txtPort", "txtNombreDestinataires", "txtTimeoutSMTP",
                              "txtDureeAttente"};

QString Sans(QString texte) {
    return texte.remove(QLatin1Char('&'));
}

// Room a text needs beside or around it in a control of this kind.
int Habillage(const QWidget& w) {
    const QStyle& s = *w.style();
    if (qobject_cast<const QRadioButton*>(&w)) {
        return s.pixelMetric(QStyle::PM_ExclusiveIndicatorWidth) +
               s.pixelMetric(QStyle::PM_RadioButtonLabelSpacing);
    }
    if (qobject_cast<const QCheckBox*>(&w)) {
        return s.pixelMetric(QStyle::PM_IndicatorWidth) +
               s.pixelMetric(QStyle::PM_CheckBoxLabelSpacing);
    }
    if (qobject_cast<const QPushButton*>(&w)) {
        return 2 * s.pixelMetric(QStyle::PM_DefaultFrameWidth) + 2;
    }
    if (qobject_cast<const QLineEdit*>(&w)) {
        return 2 * s.pixelMetric(QStyle::PM_DefaultFrameWidth) + 4;
    }
    return 0;
}

// The size a text needs in the given width (wrapped when the control wraps).
QSize Besoin(const QWidget& w, const QString& texte, int largeur, bool coupe) {
    const QFontMetrics m = w.fontMetrics();
    if (coupe || texte.contains('\n')) {
        const int drapeaux = coupe ? Qt::TextWordWrap : 0;
        return m.boundingRect(QRect(0, 0, largeur, INT_MAX / 2), drapeaux, texte).size();
    }
    return {m.horizontalAdvance(texte), m.height()};
}

// "window/control: text" for every text of `fenetre` that does not fit.
void Verifie(const QWidget& fenetre, const QString& cas, QStringList& trop) {
    auto note = [&](const QWidget& w, const QString& texte) {
        trop << cas + "/" + w.objectName() + ": " + texte;
    };
    for (const QWidget* w : fenetre.findChildren<QWidget*>()) {
        if (!w->isVisibleTo(&fenetre) || w->objectName().startsWith("qt_")) {
            continue;
        }
        // What shows of the control: a parent may cut it off.
        const QRect zone = w->contentsRect() & w->visibleRegion().boundingRect();
        QString texte;
        bool coupe = false;
        if (const auto* l = qobject_cast<const QLabel*>(w); l && l->pixmap().isNull()) {
            texte = l->textFormat() == Qt::RichText ? QString() : Sans(l->text());
            coupe = l->wordWrap();
        } else if (const auto* b = qobject_cast<const QAbstractButton*>(w)) {
            texte = Sans(b->text());
            coupe = w->inherits("corvelle::ui::OptionMultiligne");
        } else if (const auto* c = qobject_cast<const QComboBox*>(w);
                   c && c->sizeHint().width() > zone.width()) {
            note(*w, "its longest entry");  // which its size hint measures
        } else if (const auto* e = qobject_cast<const QLineEdit*>(w);
                   e && kNombres.contains(e->objectName())) {
            texte = e->text();  // filled with its highest value
        } else if (const auto* g = qobject_cast<const QGroupBox*>(w)) {
            texte = Sans(g->title()) + "  ";
        } else if (const auto* t = qobject_cast<const QTabBar*>(w)) {
            if (t->tabRect(t->count() - 1).right() >= t->width()) {
                note(*w, t->tabText(t->count() - 1));
            }
        } else if (const auto* h = qobject_cast<const QHeaderView*>(w)) {
            const auto* arbre = qobject_cast<const QTreeWidget*>(h->parentWidget());
            if (arbre && h->length() > arbre->viewport()->width()) {
                note(*w, "columns wider than their list");
            }
            const int marge = 2 * h->style()->pixelMetric(QStyle::PM_HeaderMargin);
            for (int i = 0; arbre && i < h->count(); ++i) {
                const QString titre = arbre->headerItem()->text(i);
                if (!h->isSectionHidden(i) &&
                    h->fontMetrics().horizontalAdvance(titre) + marge > h->sectionSize(i)) {
                    note(*w, titre);
                }
            }
        } else if (const auto* p = qobject_cast<const QPlainTextEdit*>(w);
                   p && p->isReadOnly() && p->lineWrapMode() == QPlainTextEdit::NoWrap) {
            for (const QString& ligne : p->toPlainText().split('\n')) {
                if (p->fontMetrics().horizontalAdvance(ligne) + 8 > p->viewport()->width()) {
                    note(*w, ligne);
                }
            }
        }
        if (texte.isEmpty()) {
            continue;
        }
        const int largeur = zone.width() - Habillage(*w);
        const QSize besoin = Besoin(*w, texte, largeur, coupe);
        if (besoin.width() > largeur || besoin.height() > zone.height()) {
            note(*w, texte);
        }
    }
}

// A control we place ourselves: a child of a window, a page, a panel or a frame.
bool Place(const QWidget& w, const QWidget& fenetre) {
    const QWidget* parent = w.parentWidget();
    return w.isVisibleTo(&fenetre) && !w.isWindow() && !w.objectName().startsWith("qt_") &&
           (parent == &fenetre || qobject_cast<const QGroupBox*>(parent) ||
            parent->metaObject() == &QWidget::staticMetaObject);
}

// A field must show a few characters, a number field its highest value (Verifie).
bool TropEtroit(const QWidget& w) {
    const bool champ = (qobject_cast<const QLineEdit*>(&w) && !kNombres.contains(w.objectName())) ||
                       qobject_cast<const QComboBox*>(&w) ||
                       qobject_cast<const QAbstractScrollArea*>(&w);
    return champ && w.width() < 6 * w.fontMetrics().averageCharWidth();
}

// "window/control: fault" for every control outside its parent, over a
// sibling or too narrow to read.
void VerifiePlaces(const QWidget& fenetre, const QString& cas, QStringList& fautes) {
    for (const QWidget* w : fenetre.findChildren<QWidget*>()) {
        if (!Place(*w, fenetre)) {
            continue;
        }
        const QString nom = cas + "/" + w->objectName() + w->property("index").toString();
        if (!w->parentWidget()->rect().contains(w->geometry())) {
            fautes << nom + ": outside its parent";
        }
        if (TropEtroit(*w)) {
            fautes << nom + ": too narrow";
        }
        for (const QObject* o : w->parent()->children()) {
            const auto* voisin = qobject_cast<const QWidget*>(o);
            if (voisin && std::less<>()(w, voisin) && Place(*voisin, fenetre) &&
                voisin->geometry().intersects(w->geometry())) {
                fautes << nom + ": under " + voisin->objectName() +
                              voisin->property("index").toString();
            }
        }
    }
    const QSize ecran = fenetre.screen()->availableGeometry().size();
    if (!QRect(QPoint(), ecran).contains(QRect(QPoint(), fenetre.frameGeometry().size()))) {
        fautes << cas + ": larger than the screen";
    }
}

// Each window in turn; a tabbed one on each of its tabs.
void VerifieOnglets(QWidget& fenetre, const QString& cas, QStringList& trop) {
    fenetre.show();
    QApplication::processEvents();
    auto* onglets = fenetre.findChild<QTabWidget*>();
    for (int i = 0; i < (onglets ? onglets->count() : 1); ++i) {
        if (onglets) {
            onglets->setCurrentIndex(i);
        }
        const QString onglet = cas + (onglets ? QString::number(i + 1) : QString());
        Verifie(fenetre, onglet, trop);
        VerifiePlaces(fenetre, onglet, trop);
    }
}

// The application's font for one case, the default one put back after it.
class Police {
  public:
    explicit Police(int points) {
        QFont police = avant_;
        if (points > 0) {
            police.setPointSize(points);
        }
        QApplication::setFont(police);
    }
    Police(const Police&) = delete;
    Police& operator=(const Police&) = delete;
    ~Police() { QApplication::setFont(avant_); }

  private:
    const QFont avant_ = QApplication::font();
};

// Points of the application's font; 0 for the default.
class Disposition : public ::testing::TestWithParam<int> {};

TEST_P(Disposition, EveryWindowHoldsItsControlsInBothLanguages) {
    const Police police(GetParam());
    QStringList trop;
    for (const bool anglais : {false, true}) {
        FenetreTest f = anglais ? FenetreTest("Langue=English\n", "English.lng", ContenuAnglais())
                                : FenetreTest();
        const QString langue = anglais ? "en/" : "fr/";
        f.etat.Reglages.UtiliserAD = true;
        // Every optional control shown: two SMTP configurations, a sent test.
        f.etat.ListeConfigsSMTP.resize(2);
        f.etat.ListeConfigsSMTP[0].Nom = "Principal";
        f.etat.ListeConfigsSMTP[1].Nom = "Secours";
        f.fenetre->RemplitConfigsSMTP();
        VerifieOnglets(*f.fenetre, langue + "frmCorvelle", trop);
        f.fenetre->resize(1, 1);  // snaps to its minimum
        QApplication::processEvents();
        Verifie(*f.fenetre, langue + "frmCorvelle (minimum)", trop);
        VerifiePlaces(*f.fenetre, langue + "frmCorvelle (minimum)", trop);

        f.etat.Reglages.NbDest = 100;
        f.etat.Reglages.DureeAttente = 8760;
        ui::frmConfiguration configuration(f.etat, f.dialogue, false);
        VerifieOnglets(configuration, langue + "frmConfiguration", trop);
        ui::frmConfigurationSMTP smtp(
            f.etat, f.dialogue, [] { return ui::ValeursTest{}; }, false);
        Trouve<QLineEdit>(smtp, "txtPort")->setText("65535");
        VerifieOnglets(smtp, langue + "frmConfigurationSMTP", trop);
        ui::frmConfigurationSMTPTest essai(f.etat.Langage, false);
        essai.Expediteur().setText("Jean Dupont <jean.dupont@example.com>");
        VerifieOnglets(essai, langue + "frmConfigurationSMTPTest", trop);
        ui::frmConfigurationSMTPAvancee avancee(f.etat, f.dialogue, false);
        VerifieOnglets(avancee, langue + "frmConfigurationSMTPAvancée", trop);
        ui::frmAPropos apropos(f.etat.Langage);
        VerifieOnglets(apropos, langue + "frmAPropos", trop);
    }
    EXPECT_TRUE(trop.isEmpty()) << trop.join("\n").toStdString();
}

INSTANTIATE_TEST_SUITE_P(Polices, Disposition, ::testing::Values(0, 12, 14),
                         [](const ::testing::TestParamInfo<int>& cas) {
                             return cas.param > 0 ? std::to_string(cas.param) + "pt"
                                                  : std::string("Defaut");
                         });

}  // namespace
}  // namespace corvelle::test
