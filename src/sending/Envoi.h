#pragma once

// The dispatch: one message to every recipient of a request, in batches.

namespace corvelle {

class Dialogue;
struct EtatProgramme;
struct RequeteEnvoi;

// Exit codes of a command-line run.
enum CodeSortie : int {
    SortieEnvoye = 0,
    SortieErreurLigneCommande = 1,
    SortieErreurGroupe = 2,
    SortieErreurDestinataires = 3,
    SortiePieceJointeIntrouvable = 4,
    SortieEchecEnvoi = 5,
};

// Expands the recipients, checks the attachments, sends the batches through
// one SMTP session and reports the outcome. Returns the exit code that tells
// the outcome (the command line ends with it; the compose window ignores it).
// In command-line mode an expansion error throws FinProgramme. The request is
// taken, so its bodies go to the sending without a copy.
[[nodiscard]] int EnvoiMessage(EtatProgramme& etat, Dialogue& dialogue, RequeteEnvoi requete);

}  // namespace corvelle
