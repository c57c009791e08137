#pragma once

// The bearer token of each SMTP session: the run's own while it is valid,
// else the token file's, else a new one from the endpoint.

#include <cstdint>
#include <optional>
#include <string>

#include "core/Resultat.h"
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

    [[nodiscard]] Resultat<std::string> Jeton(std::int32_t timeoutMs);

  private:
    ReglagesOAuth reglages_;
    std::optional<oauth::Jeton> memoire_;
};

}  // namespace corvelle::oauth
