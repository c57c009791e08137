#include "ui/main/PopupMenu.h"

#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

namespace corvelle::ui {

namespace {

constexpr const char* kProprieteIdentifiant = "nID";

// Tells how the menu was left without a choice: Escape, or a press on the
// control it was shown at. That press only closes the menu: whether a
// platform also hands it on to the control differs (X11 does not), so it is
// never handed on, and the control's next press is always a new one.
class GuetteFermeture final : public QObject {
  public:
    GuetteFermeture(QMenu& menu, const QWidget* controle, bool& echap, bool& surControle)
        : menu_(menu), controle_(controle), echap_(echap), surControle_(surControle) {}

  protected:
    bool eventFilter(QObject* objet, QEvent* evenement) override {
        if (evenement->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(evenement)->key() == Qt::Key_Escape) {
            echap_ = true;
        } else if (evenement->type() == QEvent::MouseButtonPress && controle_) {
            const QPoint point = static_cast<QMouseEvent*>(evenement)->globalPosition().toPoint();
            const QRect zone(controle_->mapToGlobal(QPoint(0, 0)), controle_->size());
            if (!menu_.geometry().contains(point) && zone.contains(point)) {
                surControle_ = true;
                menu_.setAttribute(Qt::WA_NoMouseReplay);
            }
        }
        return QObject::eventFilter(objet, evenement);
    }

  private:
    QMenu& menu_;
    const QWidget* controle_;
    bool& echap_;
    bool& surControle_;
};

}  // namespace

clsPopupMenu::clsPopupMenu() {
    menu_.setObjectName(QStringLiteral("clsPopupMenu"));
}

void clsPopupMenu::AddItem(std::int32_t nID, const std::variant<QString, clsPopupMenu*>& varItem,
                           std::int32_t Attribut) {
    QAction* action = nullptr;
    if (const auto* texte = std::get_if<QString>(&varItem)) {
        if (*texte == QLatin1String("-")) {
            action = menu_.addSeparator();
        } else {
            action = menu_.addAction(*texte);
            if ((Attribut & kMenuCoche) != 0) {
                action->setCheckable(true);
                action->setChecked(true);
            }
        }
    } else if (clsPopupMenu* sousMenu = std::get<clsPopupMenu*>(varItem)) {
        sousMenu->menu_.setTitle(sousMenu->Caption);
        action = menu_.addMenu(&sousMenu->menu_);
    }
    if (!action) {
        return;
    }
    action->setProperty(kProprieteIdentifiant, nID);
    if ((Attribut & kMenuParDefaut) != 0) {
        menu_.setDefaultAction(action);
    }
    if ((Attribut & (kMenuGrise | kMenuDesactive)) != 0) {
        action->setEnabled(false);
    }
}

std::int32_t clsPopupMenu::TrackPopup(QWidget* controle, bool AlignerSurLaDroiteDeCeControle) {
    QPoint position = QCursor::pos();
    if (controle) {
        const QRect rectangle(controle->mapToGlobal(QPoint(0, 0)), controle->size());
        position =
            QPoint(AlignerSurLaDroiteDeCeControle ? rectangle.right() + 1 - menu_.sizeHint().width()
                                                  : rectangle.left(),
                   rectangle.bottom() + 1);
    }
    fermeParEchap_ = false;
    fermeSurControle_ = false;
    menu_.setAttribute(Qt::WA_NoMouseReplay, false);
    GuetteFermeture guetteur(menu_, controle, fermeParEchap_, fermeSurControle_);
    menu_.installEventFilter(&guetteur);
    const QAction* choisie = menu_.exec(position);
    menu_.removeEventFilter(&guetteur);
    return choisie ? IdentifiantAction(*choisie) : 0;
}

std::int32_t IdentifiantAction(const QAction& action) {
    return action.property(kProprieteIdentifiant).toInt();
}

}  // namespace corvelle::ui
