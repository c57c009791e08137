#pragma once

// Tokens kept on disk while they are valid, so that a job run every few
// minutes asks the provider once an hour, not once a run. The file is the
// user's alone (0600): a token is a password for as long as it lasts. An
// entry damaged in the file reads as absent and goes at the next rewrite.

#include <optional>
#include <string>

#include "sending/oauth/JetonOAuth.h"

namespace corvelle::oauth {

class CacheJetons {
  public:
    // No file (an empty name): nothing is kept between runs.
    explicit CacheJetons(std::string fichier) : fichier_(std::move(fichier)) {}

    // The client's token when it is still valid for a minute at least.
    [[nodiscard]] std::optional<Jeton> Cherche(const ClientOAuth& client,
                                               std::int64_t maintenant) const;
    // Keeps the client's token, dropping the expired ones. False when the
    // file could not be written; the token is good all the same.
    bool Garde(const ClientOAuth& client, const Jeton& jeton, std::int64_t maintenant) const;
    // Forgets the client's token (one the server refused), dropping the
    // expired ones too. False when the file could not be written.
    bool Retire(const ClientOAuth& client, std::int64_t maintenant) const;

  private:
    std::string fichier_;
};

// A token that expires within this many seconds is asked for anew.
inline constexpr std::int64_t kMargeExpiration = 60;

}  // namespace corvelle::oauth
