#pragma once

// The client assertion that proves an OAuth2 client by its certificate
// instead of a secret (RFC 7523, 2.2): a JWT signed with the client's key.

#include <cstdint>
#include <string>

#include "core/Resultat.h"
#include "sending/oauth/JetonOAuth.h"

namespace corvelle::oauth {

// How long an assertion holds, from its issue: long enough for a slow
// endpoint, short enough that a copy is soon worthless.
inline constexpr std::int64_t kDureeAssertion = 300;

// RS256, the certificate named by `x5t#S256`; `aud` the token URL, `iss` and
// `sub` the client id, a fresh `jti`, issued at `maintenant`. A failure
// (exit 5) names the file that cannot be used.
[[nodiscard]] ResultatEnvoi<std::string> AssertionClient(const ClientOAuth& client,
                                                         std::int64_t maintenant);

}  // namespace corvelle::oauth
