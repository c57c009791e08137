#pragma once

// The bearer token of each SMTP session: the run's own while it is valid,
// else the token file's, else a new one from the endpoint.

#include <cstdint>
#include <optional>
#include <string>

#include "sending/oauth/JetonOAuth.h"

namespace corvelle::oauth {

struct ReglagesOAuth {
    ClientOAuth client;      // the client-credentials flow
    std::string jetonDonne;  // or a token the user's command gave, used as it is
    std::string cache;       // the token file; empty: none
};

class SourceJetons {
  public:
    explicit SourceJetons(ReglagesOAuth reglages) : reglages_(std::move(reglages)) {}

    [[nodiscard]] ResultatEnvoi<std::string> Jeton(std::int32_t timeoutMs);
    // Drops the token last given, which the server refused, here and from the
    // token file. True when it was not just issued, so that a new one may
    // fare better (revoked early, or issued before the client's rights
    // changed); a token the user's command gave is kept.
    bool Oublie();

  private:
    ReglagesOAuth reglages_;
    std::optional<oauth::Jeton> memoire_;
    bool neuf_ = false;  // the token last given came from the endpoint for that call
};

}  // namespace corvelle::oauth
