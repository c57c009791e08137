#include "ui/commun/TraductionFenetre.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTranslator>
#include <QWidget>

#include "core/Chemins.h"
#include "i18n/Langue.h"
#include "ui/commun/Accessibilite.h"

namespace corvelle::ui {

namespace {

class Traducteur {
  public:
    explicit Traducteur(const FichierLangue& fichier) : fichier_(fichier) {}

    [[nodiscard]] QString Traduit(const QString& cle, const QString& defaut) const {
        return VersQt(fichier_.TraduitTexte(DepuisQt(cle), DepuisQt(defaut)));
    }

    void TraduitObjet(QObject& objet) const {
        const QString nom = objet.objectName();
        if (nom.isEmpty() || nom.startsWith(QLatin1String("qt_"))) {
            return;  // the toolkit's own parts
        }
        const QString cleLegende =
            EstIndexe(objet)
                ? QStringLiteral("%1(%2)").arg(nom).arg(objet.property(kProprieteIndex).toInt())
                : nom;
        if (auto* label = qobject_cast<QLabel*>(&objet)) {
            if (!label->pixmap().isNull()) {
                return;  // a picture, not a caption
            }
            label->setText(Traduit(cleLegende, label->text()));
        } else if (auto* bouton = qobject_cast<QAbstractButton*>(&objet)) {
            bouton->setText(Traduit(cleLegende, bouton->text()));
        } else if (auto* cadre = qobject_cast<QGroupBox*>(&objet)) {
            cadre->setTitle(Traduit(cleLegende, cadre->title()));
        } else if (auto* menu = qobject_cast<QMenu*>(&objet)) {
            menu->setTitle(Traduit(cleLegende, menu->title()));
        } else if (auto* action = qobject_cast<QAction*>(&objet)) {
            if (!action->isSeparator()) {
                action->setText(Traduit(cleLegende, action->text()));
            }
        } else if (auto* onglets = qobject_cast<QTabWidget*>(&objet)) {
            for (int i = 0; i < onglets->count(); ++i) {
                const QString cle = QStringLiteral("%1(%2)").arg(nom).arg(i + 1);
                onglets->setTabText(i, Traduit(cle, onglets->tabText(i)));
            }
        } else {
            TraduitTexteSaisi(objet, nom);
        }
    }

  private:
    // Text boxes use the name alone: every element of an array gets the text.
    void TraduitTexteSaisi(QObject& objet, const QString& nom) const {
        if (auto* ligne = qobject_cast<QLineEdit*>(&objet)) {
            if (!qobject_cast<QComboBox*>(ligne->parent())) {
                ligne->setText(Traduit(nom, ligne->text()));
            }
        } else if (auto* zone = qobject_cast<QPlainTextEdit*>(&objet)) {
            zone->setPlainText(Traduit(nom, zone->toPlainText()));
        }
    }

    const FichierLangue& fichier_;
};

}  // namespace

bool EstIndexe(const QObject& objet) {
    bool lu = false;
    const int index = objet.property(kProprieteIndex).toInt(&lu);
    return lu && index > -1;
}

void TraduitQt(const Langue& langue) {
    if (!qApp) {
        return;
    }
    const QString code = VersQt(CodeIsoLangue(langue));
    auto* actuel = qApp->findChild<QTranslator*>(QStringLiteral("qtbase"));
    if (actuel && actuel->property("langue").toString() == code) {
        return;
    }
    delete actuel;  // start-up may have spoken another language before it read its settings
    auto* traducteur = new QTranslator(qApp);
    traducteur->setObjectName(QStringLiteral("qtbase"));
    traducteur->setProperty("langue", code);
    if (!code.isEmpty() && traducteur->load(QStringLiteral("qtbase_") + code,
                                            QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(traducteur);
    }
    // Else English, or a language Qt does not ship: the empty translator only
    // remembers that this language is in place.
}

void TraduitFenetre(QWidget& fenetre, const Langue& langue) {
    if (!langue.FichierTraduction.empty() && ExisteFichier(langue.FichierTraduction)) {
        const Traducteur traducteur(langue.Fichier);
        fenetre.setWindowTitle(traducteur.Traduit(fenetre.objectName(), fenetre.windowTitle()));
        for (QObject* objet : fenetre.findChildren<QObject*>()) {
            traducteur.TraduitObjet(*objet);
        }
    }
    LieLegendes(fenetre);
}

QString TexteCatalogue(const Langue& langue, const char* cle) {
    return VersQt(langue.Texte(cle));
}

QString VersQt(const std::string& texte) {
    QString resultat = QString::fromUtf8(texte.data(), static_cast<qsizetype>(texte.size()));
    resultat.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return resultat;
}

std::string DepuisQt(const QString& texte) {
    return texte.toStdString();
}

}  // namespace corvelle::ui
