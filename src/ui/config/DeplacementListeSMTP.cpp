// The SMTP list's removal and reordering, by its buttons or by dragging a row.

#include <QCoreApplication>
#include <QCursor>
#include <QEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include "ui/config/ListeSMTP.h"
#include "ui/config/OperationsListe.h"

namespace corvelle::ui {

namespace {

// Drawing is suspended while rows are taken out and put back.
class SansDessin {
  public:
    explicit SansDessin(QWidget& widget) : widget_(widget) { widget_.setUpdatesEnabled(false); }
    SansDessin(const SansDessin&) = delete;
    SansDessin& operator=(const SansDessin&) = delete;
    ~SansDessin() { widget_.setUpdatesEnabled(true); }

  private:
    QWidget& widget_;
};

int Position(std::size_t index) {
    return static_cast<int>(index);
}

}  // namespace

void ListeSMTP::btnSMTPSupprimer_Click() {
    const std::vector<bool> selection = Selection();
    const std::optional<std::size_t> suivante = LigneApresSuppression(selection);
    OublieGlissement();
    {
        const SansDessin gel(*lvwConfigsSMTP_);
        for (std::size_t i = selection.size(); i-- > 0;) {
            if (selection[i]) {
                delete lvwConfigsSMTP_->takeTopLevelItem(Position(i));
            }
        }
        if (suivante) {
            SelectionneSeule(lvwConfigsSMTP_->topLevelItem(Position(*suivante)));
        }
    }
    ActualiseBoutonsSMTP();
}

void ListeSMTP::btnSMTPMonter_Click() {
    Deplace(SautsMonter(Selection()));
}

void ListeSMTP::btnSMTPDescendre_Click() {
    Deplace(SautsDescendre(Selection()));
}

// Each row jumped over is put back on the other side of the block and its
// texts rewritten from its tag. It stays the same item, so the row being
// dragged is never lost; the selected rows never leave the list.
void ListeSMTP::Deplace(const std::vector<Saut>& sauts) {
    {
        const SansDessin gel(*lvwConfigsSMTP_);
        for (const Saut& saut : sauts) {
            const bool selectionnee =
                lvwConfigsSMTP_->topLevelItem(Position(saut.depuis))->isSelected();
            QTreeWidgetItem* ligne = lvwConfigsSMTP_->takeTopLevelItem(Position(saut.depuis));
            lvwConfigsSMTP_->insertTopLevelItem(Position(saut.vers), ligne);
            EcritLigne(*ligne, LitLigne(*ligne));
            ligne->setSelected(selectionnee);
        }
    }
    lvwConfigsSMTP_->setFocus();
    ActualiseBoutonsSMTP();
}

bool ListeSMTP::eventFilter(QObject* objet, QEvent* evenement) {
    if (objet != lvwConfigsSMTP_->viewport()) {
        return QObject::eventFilter(objet, evenement);
    }
    const auto type = evenement->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove &&
        type != QEvent::MouseButtonRelease) {
        return false;
    }
    const auto& souris = static_cast<const QMouseEvent&>(*evenement);
    QTreeWidgetItem* ligne = lvwConfigsSMTP_->itemAt(souris.position().toPoint());
    switch (type) {
        case QEvent::MouseButtonPress:
            lvwConfigsSMTP_MouseDown(ligne, souris.button() == Qt::LeftButton);
            return ligne == nullptr || souris.button() != Qt::LeftButton;
        case QEvent::MouseMove:
            return lvwConfigsSMTP_MouseMove(ligne, souris.buttons().testFlag(Qt::LeftButton));
        default:
            return lvwConfigsSMTP_MouseUp(*objet, *evenement);
    }
}

void ListeSMTP::lvwConfigsSMTP_MouseDown(QTreeWidgetItem* ligne, bool gauche) {
    if (gauche && ligne != nullptr) {
        candidat_ = ligne;
        tmrRetardateur_->start();
        return;
    }
    lvwConfigsSMTP_->setCurrentItem(nullptr);
    lvwConfigsSMTP_->clearSelection();
    ActualiseBoutonsSMTP();
}

void ListeSMTP::tmrRetardateur_Timer() {
    tmrRetardateur_->stop();
    glisse_ = candidat_;
    if (glisse_ != nullptr) {
        lvwConfigsSMTP_->setCursor(Qt::SizeVerCursor);
    }
}

// While a row is dragged the view must not extend the selection itself: the
// move is the only effect of the mouse.
bool ListeSMTP::lvwConfigsSMTP_MouseMove(QTreeWidgetItem* ligne, bool gauche) {
    if (glisse_ == nullptr || !gauche) {
        return false;
    }
    if (ligne == nullptr || ligne->text(0) == glisse_->text(0)) {
        return true;
    }
    const int depart = lvwConfigsSMTP_->indexOfTopLevelItem(glisse_);
    const int arrivee = lvwConfigsSMTP_->indexOfTopLevelItem(ligne);
    if (depart < arrivee && btnSMTPDescendre_->isEnabled()) {
        btnSMTPDescendre_Click();
    } else if (depart > arrivee && btnSMTPMonter_->isEnabled()) {
        btnSMTPMonter_Click();
    }
    return true;
}

// A release over the row pressed counts, for the view, as a click that keeps
// only that row selected: after a drag, the block moved stays selected.
bool ListeSMTP::lvwConfigsSMTP_MouseUp(QObject& vue, QEvent& evenement) {
    const bool glissait = glisse_ != nullptr;
    OublieGlissement();
    if (!glissait) {
        return false;
    }
    const std::vector<bool> selection = Selection();
    vue.removeEventFilter(this);
    QCoreApplication::sendEvent(&vue, &evenement);
    vue.installEventFilter(this);
    for (std::size_t i = 0; i < selection.size(); ++i) {
        lvwConfigsSMTP_->topLevelItem(Position(i))->setSelected(selection[i]);
    }
    return true;
}

void ListeSMTP::OublieGlissement() {
    tmrRetardateur_->stop();
    candidat_ = nullptr;
    glisse_ = nullptr;
    lvwConfigsSMTP_->unsetCursor();
}

}  // namespace corvelle::ui
