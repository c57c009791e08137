#include "core/Collection.h"

#include <iterator>

#include "core/Erreur.h"
#include "core/Texte.h"

namespace corvelle {

void Collection::Ajoute(std::string element, std::optional<std::string_view> cle) {
    std::optional<std::string> cleMinuscule;
    if (cle) {
        cleMinuscule = Minuscules(*cle);
        if (!cles_.insert(*cleMinuscule).second) {
            throw Erreur(ErrCleDejaPresente, std::string(*cle));
        }
    }
    elements_.push_back(std::move(element));
    clesDesElements_.push_back(std::move(cleMinuscule));
}

bool Collection::ContientCle(std::string_view cle) const noexcept {
    try {
        return cles_.count(Minuscules(cle)) != 0;
    } catch (...) {
        return false;  // a lookup that cannot be made finds nothing
    }
}

std::deque<std::string> Collection::RetirePremiers(std::size_t n) {
    if (n > elements_.size()) {
        throw Erreur(ErrIndiceHorsLimites, "taking " + std::to_string(n) + " items of " +
                                               std::to_string(elements_.size()));
    }
    std::deque<std::string> retires(
        std::make_move_iterator(elements_.begin()),
        std::make_move_iterator(elements_.begin() + static_cast<long>(n)));
    for (std::size_t i = 0; i < n; ++i) {
        if (clesDesElements_[i]) {
            cles_.erase(*clesDesElements_[i]);
        }
    }
    elements_.erase(elements_.begin(), elements_.begin() + static_cast<long>(n));
    clesDesElements_.erase(clesDesElements_.begin(),
                           clesDesElements_.begin() + static_cast<long>(n));
    return retires;
}

}  // namespace corvelle
