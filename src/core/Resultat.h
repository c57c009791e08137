#pragma once

// An expected failure as a value: what was asked for, or a number and a text
// for the person. Exceptions stay for the unexpected.

#include <string>
#include <utility>
#include <variant>

namespace corvelle {

struct Echec {
    int numero = 0;  // an error number, or the exit code it leads to
    std::string texte;
};

// `E`: the failure's type where a floor needs more than a number (the
// sending's carries a kind).
template <typename T, typename E = Echec>
class Resultat {
  public:
    Resultat(T valeur) : contenu_(std::move(valeur)) {}  // NOLINT: implicit on purpose
    Resultat(E echec) : contenu_(std::move(echec)) {}    // NOLINT

    [[nodiscard]] bool Reussi() const noexcept { return contenu_.index() == 0; }
    [[nodiscard]] T& Valeur() { return std::get<0>(contenu_); }
    [[nodiscard]] const T& Valeur() const { return std::get<0>(contenu_); }
    [[nodiscard]] const E& Erreur() const { return std::get<1>(contenu_); }

  private:
    std::variant<T, E> contenu_;
};

}  // namespace corvelle
