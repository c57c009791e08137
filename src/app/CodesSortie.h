#pragma once

// The exit codes of a command-line run, chosen here only: the sending says
// what happened and of which kind, the program how it ends.

#include "sending/Bilan.h"

namespace corvelle {

enum CodeSortie : int {
    SortieEnvoye = 0,
    SortieErreurLigneCommande = 1,
    SortieErreurGroupe = 2,
    SortieErreurDestinataires = 3,
    SortiePieceJointeIntrouvable = 4,
    SortieEchecEnvoi = 5,
};

// The code a send ends with: what stopped it before any batch went, else 5
// for a failure of any kind.
[[nodiscard]] int CodeSortieEnvoi(const Bilan& bilan);

}  // namespace corvelle
