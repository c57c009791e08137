#include "ui/config/OperationsListe.h"

#include <algorithm>

namespace corvelle::ui {

BoutonsListe BoutonsSelon(const SelectionLignes& selection) {
    const auto premiere = std::find(selection.begin(), selection.end(), true);
    if (premiere == selection.end()) {
        return {};
    }
    const auto derniere = std::find(selection.rbegin(), selection.rend(), true);
    const auto nombre = std::count(selection.begin(), selection.end(), true);
    return {nombre == 1, true, premiere != selection.begin(), derniere != selection.rbegin()};
}

std::optional<std::size_t> LigneApresSuppression(const SelectionLignes& selection) {
    const auto premiere = std::find(selection.begin(), selection.end(), true);
    const auto restantes =
        static_cast<std::size_t>(std::count(selection.begin(), selection.end(), false));
    if (premiere == selection.end() || restantes == 0) {
        return std::nullopt;
    }
    const auto position = static_cast<std::size_t>(premiere - selection.begin());
    return std::min(position, restantes - 1);
}

std::vector<Saut> SautsMonter(SelectionLignes selection) {
    std::vector<Saut> sauts;
    for (std::size_t i = 1; i < selection.size(); ++i) {
        if (selection[i]) {
            // The row above goes just below the selected one, which rises by one.
            sauts.push_back({i - 1, i});
            SelectionLignes::swap(selection[i - 1], selection[i]);
        }
    }
    return sauts;
}

std::vector<Saut> SautsDescendre(SelectionLignes selection) {
    std::vector<Saut> sauts;
    for (std::size_t i = selection.size(); i-- > 1;) {
        if (selection[i - 1]) {
            sauts.push_back({i, i - 1});
            SelectionLignes::swap(selection[i - 1], selection[i]);
        }
    }
    return sauts;
}

}  // namespace corvelle::ui
