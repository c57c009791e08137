#include "app/CodesSortie.h"

namespace corvelle {

int CodeSortieEnvoi(const Bilan& bilan) {
    if (bilan.Accepte()) {
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
    // Temporary, permanent, configuration or local alike.
    return SortieEchecEnvoi;
}

}  // namespace corvelle
