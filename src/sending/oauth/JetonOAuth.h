#pragma once

// OAuth2 bearer tokens for SMTP (RFC 6749, 4.4: client credentials): asked of
// the provider's token endpoint over verified HTTPS.

#include <cstdint>
#include <string>
#include <string_view>

#include "sending/smtp/EchecEnvoi.h"

namespace corvelle::oauth {

struct ClientOAuth {
    std::string urlJeton;     // the endpoint, https only
    std::string identifiant;  // client id
    std::string secret;       // client secret, in clear
    std::string portee;       // scope, e.g. https://outlook.office365.com/.default
    // Or, instead of the secret, a certificate and its key (PEM) that sign a
    // client assertion.
    std::string certificat = {};
    std::string cle = {};

    bool operator==(const ClientOAuth&) const = default;
};

struct Jeton {
    std::string valeur;
    std::int64_t expiration = 0;  // seconds since the epoch
};

// Seconds since the epoch, the clock every expiry is read against.
[[nodiscard]] std::int64_t Maintenant();

// The token the endpoint grants, or a failure that shows the endpoint's
// `error` and `error_description`, never the secret: temporary when the
// endpoint cannot be reached or fails for now, else a matter of
// configuration. The whole request takes three time-outs at most.
[[nodiscard]] ResultatEnvoi<Jeton> DemandeJeton(const ClientOAuth& client, std::int32_t timeoutMs);

// The endpoint's reply: its HTTP status and body, read at `maintenant`.
[[nodiscard]] ResultatEnvoi<Jeton> LitReponseJeton(const std::string& url, long statut,
                                                   std::string_view corps, std::int64_t maintenant);

}  // namespace corvelle::oauth
