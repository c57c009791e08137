#include "i18n/Catalogue.h"

#include "core/Erreur.h"
#include "core/Texte.h"

namespace corvelle {

std::string colTraductions::Add(std::string_view code, std::string valeur) {
    std::string cle = Minuscules(code);
    if (index_.count(cle) != 0) {
        throw Erreur(ErrCleDejaPresente, std::string(code));
    }
    index_.emplace(cle, cles_.size());
    cles_.push_back(std::move(cle));
    valeurs_.push_back(std::move(valeur));
    return {};
}

std::string colTraductions::Item(std::string_view cle) const noexcept {
    try {
        const auto it = index_.find(Minuscules(cle));
        return it == index_.end() ? std::string() : valeurs_[it->second];
    } catch (...) {
        return {};
    }
}

std::string colTraductions::Item(std::size_t position) const noexcept {
    try {
        return position >= 1 && position <= valeurs_.size() ? valeurs_[position - 1]
                                                            : std::string();
    } catch (...) {
        return {};
    }
}

bool colTraductions::Contient(std::string_view cle) const noexcept {
    try {
        return index_.count(Minuscules(cle)) != 0;
    } catch (...) {
        return false;
    }
}

}  // namespace corvelle
