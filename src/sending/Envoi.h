#pragma once

#include <string>

namespace corvelle {

class Dialogue;
struct EtatProgramme;

// Exit code of a command-line error.
inline constexpr int kCodeSortieErreurLigneCommande = 1;

// Sends the message a command line describes and returns the exit code.
[[nodiscard]] int TraiteLigneCommande(EtatProgramme& etat, Dialogue& dialogue,
                                      const std::string& ligneCommande);

}  // namespace corvelle
