#include "sending/oauth/SourceJetons.h"

#include <utility>

#include "sending/oauth/CacheJetons.h"

namespace corvelle::oauth {

ResultatEnvoi<std::string> SourceJetons::Jeton(std::int32_t timeoutMs) {
    if (!reglages_.jetonDonne.empty()) {
        return reglages_.jetonDonne;
    }
    const std::int64_t maintenant = Maintenant();
    if (memoire_ && memoire_->expiration > maintenant + kMargeExpiration) {
        neuf_ = false;
        return memoire_->valeur;
    }
    const CacheJetons cache(reglages_.cache);
    memoire_ = cache.Cherche(reglages_.client, maintenant);
    if (memoire_) {
        neuf_ = false;
        return memoire_->valeur;
    }
    ResultatEnvoi<oauth::Jeton> nouveau = DemandeJeton(reglages_.client, timeoutMs);
    if (!nouveau.Reussi()) {
        return nouveau.Erreur();
    }
    memoire_ = std::move(nouveau.Valeur());
    neuf_ = true;
    // Not kept on disk: the next run asks again, nothing else changes.
    (void)cache.Garde(reglages_.client, *memoire_, maintenant);
    return memoire_->valeur;
}

bool SourceJetons::Oublie() {
    if (!reglages_.jetonDonne.empty() || !memoire_) {
        return false;
    }
    memoire_.reset();
    // A file that cannot be written costs the next run one more refusal.
    (void)CacheJetons(reglages_.cache).Retire(reglages_.client, Maintenant());
    return !std::exchange(neuf_, false);
}

}  // namespace corvelle::oauth
