#include "ui/config/DialogueFixe.h"

#include <QDialog>
#include <QEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include "ui/commun/Twips.h"

namespace corvelle::ui {

namespace {

constexpr int kLargeurBouton = 1215;
constexpr int kHauteurBouton = 375;
constexpr int kEcartBoutons = 105;

class SelectionAuFocus final : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* objet, QEvent* evenement) override {
        if (evenement->type() == QEvent::FocusIn) {
            if (auto* ligne = qobject_cast<QLineEdit*>(objet)) {
                ligne->selectAll();
            }
        }
        return QObject::eventFilter(objet, evenement);
    }
};

}  // namespace

void PrepareDialogueFixe(QDialog& dialogue, int largeur, int hauteur, bool auDessus) {
    Qt::WindowFlags drapeaux = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                               Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;
    if (auDessus) {
        drapeaux |= Qt::WindowStaysOnTopHint;
    }
    dialogue.setWindowFlags(drapeaux);
    dialogue.setFixedSize(PixelsDepuisTwips(dialogue, largeur),
                          PixelsDepuisTwips(dialogue, hauteur));
}

void CentreSurEcran(QWidget& fenetre) {
    const QWidget* proprietaire = fenetre.parentWidget();
    const QScreen* ecran = proprietaire ? proprietaire->screen() : fenetre.screen();
    QRect cadre = fenetre.geometry();
    cadre.moveCenter(ecran->availableGeometry().center());
    // Moved, a dialog is no longer placed over its owner when shown.
    fenetre.move(cadre.topLeft());
}

void SelectionneTexteAuFocus(QWidget& fenetre, std::initializer_list<QLineEdit*> champs) {
    auto* filtre = new SelectionAuFocus(&fenetre);
    for (QLineEdit* champ : champs) {
        champ->installEventFilter(filtre);
    }
}

BoutonsValidation PanneauBoutons(QDialog& dialogue, int haut) {
    const int largeur = 2 * kLargeurBouton + kEcartBoutons;
    const int gauche = (TwipsDepuisPixels(dialogue, dialogue.width()) - largeur) / 2;
    auto* panneau = new QWidget(&dialogue);
    panneau->setObjectName(QStringLiteral("picBoutons"));
    PlaceEnTwips(*panneau, gauche, haut, largeur, kHauteurBouton);

    BoutonsValidation boutons;
    boutons.ok = new QPushButton(QStringLiteral("&OK"), panneau);
    boutons.ok->setObjectName(QStringLiteral("btnOK"));
    boutons.ok->setDefault(true);
    boutons.annuler = new QPushButton(QStringLiteral("A&nnuler"), panneau);
    boutons.annuler->setObjectName(QStringLiteral("btnAnnuler"));
    boutons.annuler->setAutoDefault(false);
    PlaceEnTwips(*boutons.ok, 0, 0, kLargeurBouton, kHauteurBouton);
    PlaceEnTwips(*boutons.annuler, kLargeurBouton + kEcartBoutons, 0, kLargeurBouton,
                 kHauteurBouton);
    return boutons;
}

int LargeurLegende(const QWidget& controle, const QString& legende) {
    QString texte = legende;
    texte.remove(QLatin1Char('&'));
    // Rounded up: a caption one pixel short of its text loses a letter's edge.
    return TwipsParExces(controle, controle.fontMetrics().horizontalAdvance(texte));
}

}  // namespace corvelle::ui
