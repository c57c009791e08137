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
    SortieEchecTemporaire = 75,  // --sysexits: EX_TEMPFAIL, try again later
};

// The code a send ends with: 0 when every batch went or waits in the outbox;
// what stopped it before any batch went; else 5 for a failure of any kind,
// or with `sysexits` 75 when every failure may pass later (a stop on Ctrl-C
// among them: nothing was refused).
[[nodiscard]] int CodeSortieEnvoi(const Bilan& bilan, bool sysexits = false);

}  // namespace corvelle
