#include "sending/oauth/SourceJetons.h"

#include "sending/oauth/CacheJetons.h"

namespace corvelle::oauth {

Resultat<std::string> SourceJetons::Jeton(std::int32_t timeoutMs) {
    if (!reglages_.jetonDonne.empty()) {
        return reglages_.jetonDonne;
    }
    const std::int64_t maintenant = Maintenant();
    if (memoire_ && memoire_->expiration > maintenant + kMargeExpiration) {
        return memoire_->valeur;
    }
    const CacheJetons cache(reglages_.cache);
    memoire_ = cache.Cherche(reglages_.client, maintenant);
    if (memoire_) {
        return memoire_->valeur;
    }
    Resultat<oauth::Jeton> nouveau = DemandeJeton(reglages_.client, timeoutMs);
    if (!nouveau.Reussi()) {
        return nouveau.Erreur();
    }
    memoire_ = std::move(nouveau.Valeur());
    // Not kept on disk: the next run asks again, nothing else changes.
    (void)cache.Garde(reglages_.client, *memoire_, maintenant);
    return memoire_->valeur;
}

}  // namespace corvelle::oauth
