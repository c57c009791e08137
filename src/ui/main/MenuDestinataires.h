#pragma once

// The items of a recipient field's menu and what choosing one does to the
// field, apart from any widget.

#include <string>
#include <string_view>
#include <vector>

#include "core/Texte.h"

namespace corvelle {
struct Parametres;
}

namespace corvelle::ui {

enum IdentifiantMenuDestinataires : int {
    kMenuAucunChoix = 0,  // also the separator's identifier
    kMenuDestinatairesDefaut = 1,
    kMenuGroupesDefaut = 2,
    kMenuFichiersDefaut = 3,
    kMenuAjouterFichier = 4,
    kMenuEffacer = 5,
};

struct ElementMenu {
    int identifiant = kMenuAucunChoix;
    std::string texte;  // "-" for the separator
    Liste entrees;      // what items 1 to 3 insert or remove
    bool coche = false;
    bool grise = false;
};

// The items for a field holding `champ`; `ajouterFichier` and `effacer` are
// the catalogue texts of items 4 and 5.
[[nodiscard]] std::vector<ElementMenu> ElementsMenu(const Parametres& reglages,
                                                    std::string_view champ,
                                                    const std::string& ajouterFichier,
                                                    const std::string& effacer);

// The field after choosing a default item: its entries removed when it was
// checked, else appended.
[[nodiscard]] std::string AppliqueElement(const ElementMenu& element, std::string_view champ);

// The field with one more entry (a chosen recipient file).
[[nodiscard]] std::string AjouteEntree(std::string_view champ, const std::string& entree);

}  // namespace corvelle::ui
