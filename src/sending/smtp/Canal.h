#pragma once

// The connection under an SMTP session once libcurl has opened it (greeting,
// EHLO, TLS, AUTH LOGIN when chosen): bytes written and read, never blocking,
// and a wait for the connection to be ready. The engine reads the replies and
// bounds every wait above it; the program's channel is libcurl's, the tests' a
// scripted peer.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "sending/smtp/EchecEnvoi.h"
#include "sending/smtp/RessourcesCurl.h"

namespace corvelle::smtp {

// The connection is gone or stalled: the session cannot be used again. A
// temporary failure, unless the message itself could not be read (local).
class CanalRompu : public EchecEnvoi {
  public:
    explicit CanalRompu(const std::string& texte, GenreEchec genre = GenreEchec::Temporaire)
        : EchecEnvoi(genre, texte) {}
};

// The server said nothing within the time-out: the connection is given up.
class CanalMuet : public CanalRompu {
  public:
    using CanalRompu::CanalRompu;
};

struct Reponse {
    int code = 0;       // 0 for a reply that does not start with three digits
    std::string texte;  // its lines joined by spaces

    [[nodiscard]] bool Positive() const noexcept { return code >= 200 && code < 400; }
};

struct EtatCanal {
    bool lisible = false;
    bool inscriptible = false;
};

class Canal {
  public:
    virtual ~Canal() = default;

    // The bytes taken now, 0 when the connection cannot take more yet; raises
    // CanalRompu when it is broken.
    [[nodiscard]] virtual std::size_t Envoie(std::string_view octets) = 0;
    // The bytes read into `tampon`, 0 when none are waiting; raises
    // CanalRompu when the connection is broken or closed by the server.
    [[nodiscard]] virtual std::size_t Recoit(char* tampon, std::size_t taille) = 0;
    // Waits at most `ms` until something can be read (or, with `ecriture`,
    // read or written).
    [[nodiscard]] virtual EtatCanal Attend(bool ecriture, std::int32_t ms) = 0;
};

// The connection libcurl opened with CURLOPT_CONNECT_ONLY.
class CanalCurl final : public Canal {
  public:
    explicit CanalCurl(CURL* curl);

    [[nodiscard]] std::size_t Envoie(std::string_view octets) override;
    [[nodiscard]] std::size_t Recoit(char* tampon, std::size_t taille) override;
    [[nodiscard]] EtatCanal Attend(bool ecriture, std::int32_t ms) override;

  private:
    CURL* curl_;
    std::int64_t socket_ = -1;
};

}  // namespace corvelle::smtp
