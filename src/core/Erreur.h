#pragma once

#include <stdexcept>
#include <string>

namespace corvelle {

// Error numbers keep the historic numbering: stored configurations, messages
// and scripts written for older installations already know them.
enum NumeroErreur : int {
    ErrArgumentInvalide = 5,
    ErrDepassement = 6,
    ErrMemoire = 7,
    ErrIndiceHorsLimites = 9,
    ErrTypeIncompatible = 13,
    ErrInterne = 51,
    ErrFichierIntrouvable = 53,
    ErrFinDeFichier = 62,
    ErrEntreeSortie = 57,
    ErrPermissionRefusee = 70,
    ErrAccesChemin = 75,
    ErrCheminIntrouvable = 76,
    ErrFormatFichier = 321,
    ErrCleDejaPresente = 457,
};

// The one error type of the core: a number and a description a person can read.
class Erreur : public std::runtime_error {
  public:
    // The description is the standard text of the number, followed by the
    // detail (what was being done, on which file) when one is given.
    explicit Erreur(int numero, const std::string& detail = {});

    [[nodiscard]] int Numero() const noexcept { return numero_; }
    [[nodiscard]] std::string Description() const { return what(); }

  private:
    int numero_;
};

// The standard text of an error number ("Overflow" for 6...).
[[nodiscard]] std::string TexteErreur(int numero);

}  // namespace corvelle
