#pragma once

// What a dispatch did, for its caller to report: each batch with its
// recipients and the server's reply, or why nothing could be sent.

#include <cstddef>
#include <string>
#include <vector>

namespace corvelle {

// Exit codes of a command-line run.
enum CodeSortie : int {
    SortieEnvoye = 0,
    SortieErreurLigneCommande = 1,
    SortieErreurGroupe = 2,
    SortieErreurDestinataires = 3,
    SortiePieceJointeIntrouvable = 4,
    SortieEchecEnvoi = 5,
};

struct Lot {
    // To, Cc and Bcc of the batch, joined with ", "; kept for a refused one.
    std::string destinataires;
    std::string copie;
    std::string copieCachee;
    bool accepte = false;
    std::string statut;  // the server's reply, or what failed
};

struct Bilan {
    CodeSortie code = SortieEnvoye;
    // Why the dispatch stopped before any batch, worded for the person.
    std::string erreur;
    std::vector<Lot> lots;
    std::size_t destinataires = 0;  // addresses after expansion
    std::string incident;           // what broke the dispatch between batches

    [[nodiscard]] bool Accepte() const noexcept { return code == SortieEnvoye; }
};

}  // namespace corvelle
