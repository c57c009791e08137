// The compose window's geometry and remembered state: label columns, resize
// rules, growing recipient fields, size and position kept in the
// configuration, the Options check marks, always-on-top and the tray icon.

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTextDocument>
#include <algorithm>
#include <climits>

#include "app/Programme.h"
#include "config/Parametres.h"
#include "config/Profil.h"
#include "core/Dialogue.h"
#include "core/Erreur.h"
#include "core/Plateforme.h"
#include "core/Version.h"
#include "ui/commun/TraductionFenetre.h"
#include "ui/commun/Twips.h"
#include "ui/main/FenetreComposition.h"

namespace corvelle::ui {

namespace {

using C = Controle;

const char* Drapeau(bool coche) {
    return coche ? "-1" : "0";
}

}  // namespace

int frmCorvelle::Pixels(int twips) const {
    return PixelsDepuisTwips(*this, twips);
}

int frmCorvelle::Twips(int pixels) const {
    return TwipsDepuisPixels(*this, pixels);
}

void frmCorvelle::AjusteColonnes() {
    const QFontMetrics mesure(widgets_[static_cast<std::size_t>(C::lblExpediteur)]->font());
    auto largeur = [&](C controle) {
        const auto* label =
            qobject_cast<const QLabel*>(widgets_[static_cast<std::size_t>(controle)]);
        // The widest line of a caption that a translation put on two lines.
        int plusLarge = 0;
        for (const QString& ligne :
             label->text().remove(QLatin1Char('&')).split(QLatin1Char('\n'))) {
            plusLarge = std::max(plusLarge, mesure.horizontalAdvance(ligne));
        }
        return Twips(plusLarge);
    };
    auto largeurBouton = [&](const QPushButton& bouton) {
        return Twips(mesure.horizontalAdvance(bouton.text().remove(QLatin1Char('&'))));
    };
    LargeursLegendes l;
    const C groupeA[] = {C::lblExpediteur,     C::lblReponse,        C::lblDestinataires0,
                         C::lblDestinataires1, C::lblDestinataires2, C::lblObjetMessage,
                         C::lblCorpsMessage,   C::lblFormat,         C::lblFichiersJoints,
                         C::lblNotification};
    for (std::size_t i = 0; i < l.groupeA.size(); ++i) {
        l.groupeA[i] = largeur(groupeA[i]);
    }
    l.reponseInfo = largeur(C::lblReponseInfo);
    l.groupeB = {largeur(C::lblFormat), largeur(C::lblImportance), largeur(C::lblNotification)};
    l.groupeC = {largeur(C::lblEncodage), largeur(C::lblSensibilite), largeur(C::lblConfigSMTP)};
    l.ajouter = largeurBouton(*btnAjouter_);
    l.supprimer = largeurBouton(*btnSupprimer_);
    l.notification = Twips(cboNotification_->sizeHint().width());
    disposition_.AjusteColonnes(l);
    // Fields hold one line of text: leave the text its room.
    for (QPlainTextEdit* champ : txtDestinataires_) {
        champ->document()->setDocumentMargin(1);
    }
}

void frmCorvelle::RestaureEtat() {
    const ParametresFenetre& f = etat_.Fenetre;
    mnuOptionsMemoriserTaille_->setChecked(f.FenetreMemoriserTaille);
    mnuOptionsMemoriserPosition_->setChecked(f.FenetreMemoriserPosition);
    LimiteMinimumAEcran();

    QSize taille(Pixels(kLargeurClientDessinee),
                 Pixels(kHauteurClientDessinee) + menuBar()->sizeHint().height());
    if (f.FenetreMemoriserTaille) {
        taille = QSize(Pixels(f.FenetreLargeur), Pixels(f.FenetreHauteur));
    }
    taille = taille.expandedTo(minimumSize());
    QPoint position(Pixels(f.FenetreGauche), Pixels(f.FenetreHaut));
    if (!f.FenetreMemoriserPosition) {
        const QRect ecran = screen()->geometry();
        position = QPoint(ecran.x() + (ecran.width() - taille.width()) / 2,
                          ecran.y() + (ecran.height() - taille.height()) / 2);
    }
    rectangleNormal_ = RameneSurEcran(QRect(position, taille));
    resize(rectangleNormal_.size());
    move(rectangleNormal_.topLeft());

    mnuOptionsMinimiserSystray_->setChecked(f.MinimiserSystray);
    mnuOptionsToujoursAuDessus_->setChecked(f.ToujoursAuDessus);
    AppliqueAuDessus();
    Redimensionne();
}

// The designed minimum, unless the screen is smaller (a high scale factor):
// a window taller than its screen could never show its bottom row.
void frmCorvelle::LimiteMinimumAEcran() {
    const QSize cadre = frameGeometry().size() - size();  // known once shown
    const QSize zone = screen()->availableGeometry().size() - cadre;
    setMinimumSize(QSize(Pixels(kLargeurMinimale), Pixels(kHauteurMinimale)).boundedTo(zone));
}

// The frame around the client area: known once the window is shown; before
// that, a title bar of the style's height, so that a remembered place never
// leaves the bottom row below the screen.
QMargins frmCorvelle::Cadre() const {
    const QRect cadre = frameGeometry();
    const QRect client = geometry();
    if (cadre != client) {
        return {client.left() - cadre.left(), client.top() - cadre.top(),
                cadre.right() - client.right(), cadre.bottom() - client.bottom()};
    }
    const int bord = style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, this);
    return {bord, style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this) + bord, bord,
            bord};
}

// A remembered place comes back wholly on the screen that holds its title
// bar, frame included (or on this window's screen, a monitor unplugged), so
// the window can still be reached and its bottom row seen. `rectangle`: the
// frame's top left and the client size, as move() and resize() take them.
QRect frmCorvelle::RameneSurEcran(QRect rectangle) const {
    const QMargins cadre = Cadre();
    const QPoint titre(rectangle.center().x(), rectangle.top());
    const QScreen* ecran = QGuiApplication::screenAt(titre);
    const QRect zone = (ecran ? ecran : screen())->availableGeometry();
    const QSize habillage(cadre.left() + cadre.right(), cadre.top() + cadre.bottom());
    rectangle.setSize(rectangle.size().boundedTo(zone.size() - habillage));
    const QSize exterieur = rectangle.size() + habillage;
    rectangle.moveLeft(
        std::clamp(rectangle.left(), zone.left(), zone.right() - exterieur.width() + 1));
    rectangle.moveTop(
        std::clamp(rectangle.top(), zone.top(), zone.bottom() - exterieur.height() + 1));
    return rectangle;
}

void frmCorvelle::showEvent(QShowEvent* evenement) {
    QMainWindow::showEvent(evenement);
    LimiteMinimumAEcran();
    // The real frame is known now: a restored place is checked again with it.
    if (windowState() == Qt::WindowNoState && !placeVerifiee_) {
        placeVerifiee_ = true;
        const QRect place = RameneSurEcran(QRect(pos(), size()));
        if (place != QRect(pos(), size())) {
            resize(place.size());
            move(place.topLeft());
        }
    }
}

void frmCorvelle::ShowInitial() {
    const std::int16_t etatFenetre =
        etat_.Fenetre.FenetreMemoriserTaille ? etat_.Fenetre.FenetreEtat : std::int16_t{0};
    if (etatFenetre == 2) {
        showMaximized();
    } else if (etatFenetre == 1) {
        showMinimized();
    } else {
        show();
    }
    Form_Activate();
}

void frmCorvelle::Form_Activate() {
    if (EstVersionBeta()) {
        dialogue_.Affiche({etat_.Langage.Texte("MSG_VERSION_BETA"), kTitreApplication,
                           Icone::Aucune, Boutons::Ok, Reponse::Ok});
    }
    txtDestinataires_[0]->setFocus();
}

bool frmCorvelle::AuDessus() const {
    return mnuOptionsToujoursAuDessus_->isChecked();
}

void frmCorvelle::AppliqueAuDessus() {
    const bool dessus = mnuOptionsToujoursAuDessus_->isChecked();
    if (dessus == windowFlags().testFlag(Qt::WindowStaysOnTopHint)) {
        return;
    }
    const bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, dessus);
    if (visible) {
        show();  // changing the flags hides a shown window
    }
}

void frmCorvelle::BasculeOption(QAction& action) {
    // The action has already inverted its own check mark.
    etat_.OptionsModifiees = true;
    if (&action == mnuOptionsToujoursAuDessus_) {
        AppliqueAuDessus();
    }
}

void frmCorvelle::AppliqueDisposition() {
    for (std::size_t i = 0; i < widgets_.size(); ++i) {
        const Rectangle& r = disposition_[static_cast<C>(i)];
        PlaceEnPixels(*widgets_[i],
                      QRect(Pixels(r.gauche), Pixels(r.haut), std::max(0, Pixels(r.largeur)),
                            std::max(0, Pixels(r.hauteur))));
    }
}

void frmCorvelle::Redimensionne() {
    const QSize client = centralWidget()->size();
    disposition_.Redimensionne(Twips(client.width()), Twips(client.height()));
    for (int i = 0; i < 3; ++i) {
        AjusteHauteurDestinataires(i);
    }
}

void frmCorvelle::AjusteHauteurDestinataires(int index) {
    // What the field needs to show its wrapped text, frame and margins included.
    QPlainTextEdit& champ = *txtDestinataires_[index];
    const QFontMetrics mesure(champ.font());
    const int largeur = std::max(1, Pixels(disposition_.LargeurMesureDestinataires()));
    const QString texte = champ.toPlainText();
    const int hauteurTexte =
        texte.isEmpty()
            ? mesure.height()
            : mesure.boundingRect(QRect(0, 0, largeur, INT_MAX / 2), Qt::TextWordWrap, texte)
                  .height();
    const int habillage =
        2 * champ.frameWidth() + static_cast<int>(2 * champ.document()->documentMargin());
    disposition_.AjusteHauteurDestinataires(index, Twips(hauteurTexte + habillage + 1));
    AppliqueDisposition();
}

void frmCorvelle::resizeEvent(QResizeEvent* evenement) {
    QMainWindow::resizeEvent(evenement);
    if (isMinimized()) {
        return;
    }
    if (windowState() == Qt::WindowNoState && isVisible()) {
        rectangleNormal_.setSize(size());
    }
    Redimensionne();
}

void frmCorvelle::moveEvent(QMoveEvent* evenement) {
    QMainWindow::moveEvent(evenement);
    if (windowState() == Qt::WindowNoState && isVisible()) {
        rectangleNormal_.moveTopLeft(pos());
    }
}

void frmCorvelle::changeEvent(QEvent* evenement) {
    QMainWindow::changeEvent(evenement);
    if (evenement->type() != QEvent::WindowStateChange) {
        return;
    }
    if (isMinimized()) {
        if (mnuOptionsMinimiserSystray_->isChecked() && !dansSystray_) {
            MinimiseDansSystray();
        }
    } else if (dansSystray_) {
        RestaureDepuisSystray();  // brought back some other way than the icon
    }
}

void frmCorvelle::MinimiseDansSystray() {
    // Without a notification area a hidden window could not be brought back.
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        return;
    }
    if (!icone_) {
        icone_ = std::make_unique<QSystemTrayIcon>(windowIcon(), this);
        icone_->setContextMenu(mnuSystray_);
        connect(icone_.get(), &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason raison) {
                    if (raison == QSystemTrayIcon::DoubleClick) {
                        mnuSystrayRestaurer_Click();
                    }
                });
    }
    icone_->setToolTip(windowTitle().left(63));
    hide();
    icone_->show();
    dansSystray_ = true;
}

void frmCorvelle::RestaureDepuisSystray() {
    show();
    if (icone_) {
        icone_->hide();
    }
    dansSystray_ = false;
}

void frmCorvelle::mnuSystrayRestaurer_Click() {
    RestaureDepuisSystray();
    showNormal();
    raise();
    activateWindow();
}

void frmCorvelle::closeEvent(QCloseEvent* evenement) {
    if (envoi_ && !FermeturePendantEnvoi()) {
        evenement->ignore();
        return;
    }
    EnregistreEtat();
    if (etat_.RedemarrageRequis) {
        try {
            plateforme::RelanceProgramme();
        } catch (const Erreur& erreur) {
            dialogue_.Affiche({erreur.Description(), kTitreApplication, Icone::Critique,
                               Boutons::Ok, Reponse::Ok});
        }
    }
    evenement->accept();
}

void frmCorvelle::EnregistreEtat() {
    const bool position = mnuOptionsMemoriserPosition_->isChecked();
    const bool taille = mnuOptionsMemoriserTaille_->isChecked();
    if (!etat_.OptionsModifiees && !position && !taille) {
        return;
    }
    try {
        ModifieProfil(etat_.FichierConfiguration, [&](FichierProfil& profil) {
            auto ecrit = [&](const char* cle, const std::string& valeur) {
                profil.Ecrit(kSectionConfiguration, cle, valeur);
            };
            if (etat_.OptionsModifiees) {
                ecrit("FenêtreMémoriserTaille", Drapeau(taille));
                ecrit("FenêtreMémoriserPosition", Drapeau(position));
                ecrit("MinimiserSystray", Drapeau(mnuOptionsMinimiserSystray_->isChecked()));
                ecrit("ToujoursAuDessus", Drapeau(mnuOptionsToujoursAuDessus_->isChecked()));
            }
            if (position) {
                if (windowState() == Qt::WindowNoState && !dansSystray_) {
                    rectangleNormal_.moveTopLeft(pos());
                }
                ecrit("FenêtreGauche", std::to_string(Twips(rectangleNormal_.x())));
                ecrit("FenêtreHaut", std::to_string(Twips(rectangleNormal_.y())));
            }
            if (taille) {
                const bool minimise = isMinimized() || dansSystray_;
                ecrit("FenêtreEtat", isMaximized() && !minimise ? "2" : "0");
                ecrit("FenêtreLargeur", std::to_string(Twips(rectangleNormal_.width())));
                ecrit("FenêtreHauteur", std::to_string(Twips(rectangleNormal_.height())));
            }
            return true;
        });
    } catch (const Erreur& erreur) {
        dialogue_.Affiche({erreur.Description(), kTitreApplication, Icone::Exclamation, Boutons::Ok,
                           Reponse::Ok});
    }
}

bool frmCorvelle::eventFilter(QObject* objet, QEvent* evenement) {
    if (evenement->type() == QEvent::FocusIn) {
        if (auto* ligne = qobject_cast<QLineEdit*>(objet)) {
            ligne->selectAll();
        } else if (auto* zone = qobject_cast<QPlainTextEdit*>(objet)) {
            zone->selectAll();
        }
    }
    return QMainWindow::eventFilter(objet, evenement);
}

}  // namespace corvelle::ui
