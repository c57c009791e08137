#include "sending/smtp/RessourcesCurl.h"

#include <mutex>
#include <new>

#include "core/Plateforme.h"

namespace corvelle::smtp {

PoigneeCurl NouvellePoigneeCurl() {
    static std::once_flag fait;
    std::call_once(fait, [] {
        if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
            throw std::bad_alloc();
        }
    });
    PoigneeCurl poignee(curl_easy_init());
    if (!poignee) {
        throw std::bad_alloc();
    }
    return poignee;
}

namespace {
constexpr std::int32_t kTimeoutParDefautMs = 60000;
}  // namespace

std::int32_t AttenteMs(std::int32_t timeoutMs) {
    return timeoutMs > 0 ? timeoutMs : kTimeoutParDefautMs;
}

void ConfigureAttentes(CURL* curl, std::int32_t timeoutMs) {
    const long ms = AttenteMs(timeoutMs);
    const long secondes = (ms + 999) / 1000;
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, ms);
    curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, secondes);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, secondes);
    // Time-outs without alarm signals: the resolver runs in its own thread,
    // and signal handling on every round trip costs a long dispatch dearly.
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
}

// libcurl reads no CA variable itself; people and tests set these to trust
// their own authority, as for the curl program. Read when a handle is made.
void ConfigureConfiance(CURL* curl) {
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    for (const char* variable : {"CURL_CA_BUNDLE", "SSL_CERT_FILE"}) {
        const std::string fichier = plateforme::VariableEnvironnement(variable);
        if (!fichier.empty()) {
            curl_easy_setopt(curl, CURLOPT_CAINFO, fichier.c_str());
            return;
        }
    }
}

GenreEchec GenreCurl(CURLcode code) noexcept {
    switch (code) {
        case CURLE_LOGIN_DENIED:
        case CURLE_AUTH_ERROR:
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSL_CACERT_BADFILE:
        case CURLE_SSL_CRL_BADFILE:
        case CURLE_SSL_ISSUER_ERROR:
        case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
        case CURLE_SSL_CERTPROBLEM:
        case CURLE_SSL_CLIENTCERT:
        case CURLE_USE_SSL_FAILED:
        case CURLE_URL_MALFORMAT:
        case CURLE_UNSUPPORTED_PROTOCOL:
            return GenreEchec::Configuration;
        case CURLE_OUT_OF_MEMORY:
            return GenreEchec::Local;
        default:
            return GenreEchec::Temporaire;
    }
}

void ListeCurl::Ajoute(const std::string& texte) {
    // curl_slist_append returns the list it was given (a new node for an
    // empty one), or null leaving the list as it was.
    curl_slist* resultat = curl_slist_append(queue_, texte.c_str());
    if (!resultat) {
        throw std::bad_alloc();
    }
    if (!tete_) {
        tete_.reset(resultat);
        queue_ = resultat;
    } else {
        queue_ = queue_->next;
    }
}

}  // namespace corvelle::smtp
