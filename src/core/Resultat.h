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

template <typename T>
class Resultat {
  public:
    Resultat(T valeur) : contenu_(std::move(valeur)) {}    // NOLINT: implicit on purpose
    Resultat(Echec echec) : contenu_(std::move(echec)) {}  // NOLINT

    [[nodiscard]] bool Reussi() const noexcept { return contenu_.index() == 0; }
    [[nodiscard]] T& Valeur() { return std::get<0>(contenu_); }
    [[nodiscard]] const T& Valeur() const { return std::get<0>(contenu_); }
    [[nodiscard]] const Echec& Erreur() const { return std::get<1>(contenu_); }

  private:
    std::variant<T, Echec> contenu_;
};

}  // namespace corvelle
