#pragma once

// A pop-up menu built item by item, shown at a control and returning the
// identifier of the chosen item.

#include <QMenu>
#include <QString>
#include <cstdint>
#include <variant>

class QWidget;

namespace corvelle::ui {

class clsPopupMenu;

// Attribut bits of AddItem.
enum AttributMenu : std::int32_t {
    kMenuGrise = 1,
    kMenuDesactive = 2,
    kMenuParDefaut = 4,  // shown bold
    kMenuCoche = 8,
    kMenuNouvelleColonne = 16,  // no columns in this toolkit: ignored
};

class clsPopupMenu {
  public:
    clsPopupMenu();

    // The text shown when this menu is added as a sub-menu of another.
    QString Caption;

    // "-" adds a separator; another menu adds it as a sub-menu.
    void AddItem(std::int32_t nID, const std::variant<QString, clsPopupMenu*>& varItem,
                 std::int32_t Attribut = 0);

    // Shows the menu below `controle` (its right edge on the control's right
    // edge when aligned right), or at the cursor without a control. Returns
    // the chosen identifier, 0 when closed without a choice.
    std::int32_t TrackPopup(QWidget* controle = nullptr,
                            bool AlignerSurLaDroiteDeCeControle = false);

    [[nodiscard]] QMenu& Menu() { return menu_; }
    // True when the last TrackPopup was closed with Escape.
    [[nodiscard]] bool FermeParEchap() const { return fermeParEchap_; }
    // True when it was closed by a press on the control it was shown at; that
    // press went no further.
    [[nodiscard]] bool FermeSurControle() const { return fermeSurControle_; }

  private:
    QMenu menu_;
    bool fermeParEchap_ = false;
    bool fermeSurControle_ = false;
};

// The identifier an item carries.
[[nodiscard]] std::int32_t IdentifiantAction(const QAction& action);

}  // namespace corvelle::ui
