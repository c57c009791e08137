#include "app/CodesSortie.h"

namespace corvelle {

namespace {

// Not one part of it refused for good: sent again later, it may all pass.
bool SeulementTemporaire(const Bilan& bilan) {
    if (bilan.arret) {
        return bilan.arret->echec.genre == GenreEchec::Temporaire;
    }
    if (bilan.incident && bilan.incident->genre != GenreEchec::Temporaire) {
        return false;
    }
    return std::all_of(bilan.lots.begin(), bilan.lots.end(), [](const Lot& lot) {
        return lot.accepte || !lot.attente.empty() || lot.genre == GenreEchec::Temporaire;
    });
}

// Nobody has any of it yet: run again whole later, it reaches nobody twice.
bool RienRemis(const Bilan& bilan) {
    return std::none_of(bilan.lots.begin(), bilan.lots.end(),
                        [](const Lot& lot) { return lot.accepte || lot.partiel; });
}

}  // namespace

int CodeSortieEnvoi(const Bilan& bilan, bool sysexits) {
    if (bilan.Abouti()) {
        return SortieEnvoye;
    }
    if (bilan.arret) {
        switch (bilan.arret->etape) {
            case Etape::Groupes:
                return SortieErreurGroupe;
            case Etape::Destinataires:
                return SortieErreurDestinataires;
            case Etape::PiecesJointes:
                return SortiePieceJointeIntrouvable;
            case Etape::Serveur:
                break;
        }
    }
    return sysexits && SeulementTemporaire(bilan) && RienRemis(bilan) ? SortieEchecTemporaire
                                                                      : SortieEchecEnvoi;
}

}  // namespace corvelle
