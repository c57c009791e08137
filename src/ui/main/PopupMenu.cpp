#include "ui/main/PopupMenu.h"

#include <QCursor>
#include <QKeyEvent>
#include <QWidget>

namespace corvelle::ui {

namespace {

constexpr const char* kProprieteIdentifiant = "nID";

// Tells whether the menu was left with Escape rather than by a click elsewhere.
class GuetteEchap final : public QObject {
  public:
    explicit GuetteEchap(bool& echap) : echap_(echap) {}

  protected:
    bool eventFilter(QObject* objet, QEvent* evenement) override {
        if (evenement->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(evenement)->key() == Qt::Key_Escape) {
            echap_ = true;
        }
        return QObject::eventFilter(objet, evenement);
    }

  private:
    bool& echap_;
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
    GuetteEchap guetteur(fermeParEchap_);
    menu_.installEventFilter(&guetteur);
    const QAction* choisie = menu_.exec(position);
    menu_.removeEventFilter(&guetteur);
    return choisie ? IdentifiantAction(*choisie) : 0;
}

std::int32_t IdentifiantAction(const QAction& action) {
    return action.property(kProprieteIdentifiant).toInt();
}

}  // namespace corvelle::ui
