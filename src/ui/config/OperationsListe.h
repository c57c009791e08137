#pragma once

// The index rules of a reorderable list with several rows selected, kept free
// of widgets: which buttons apply, which row to select after a removal, and
// which rows a move makes jump over the selected block.

#include <cstddef>
#include <optional>
#include <vector>

namespace corvelle::ui {

// One flag per row, top to bottom.
using SelectionLignes = std::vector<bool>;

struct BoutonsListe {
    bool modifier = false;
    bool supprimer = false;
    bool monter = false;
    bool descendre = false;
};

[[nodiscard]] BoutonsListe BoutonsSelon(const SelectionLignes& selection);

// The row to select once every selected row is gone: the topmost removed
// position, or the new last row when that position is past the end. Nothing
// when no row remains or none was selected.
[[nodiscard]] std::optional<std::size_t> LigneApresSuppression(const SelectionLignes& selection);

// A row jumped over: taken out at `depuis` and put back at `vers`, the
// positions counted when the step runs.
struct Saut {
    std::size_t depuis;
    std::size_t vers;
};

// The steps that move every selected block one row up (or down), in the order
// they must run. The selected rows themselves never move out of the list.
[[nodiscard]] std::vector<Saut> SautsMonter(SelectionLignes selection);
[[nodiscard]] std::vector<Saut> SautsDescendre(SelectionLignes selection);

}  // namespace corvelle::ui
