#pragma once

// The bytes of an SMTP session once libcurl has opened it (greeting, EHLO,
// TLS, AUTH): commands written and replies read over the same connection.
// Every wait (a reply, a write that cannot go on) has its own time-out.

#include <cstdint>
#include <string>
#include <string_view>

#include "sending/smtp/EchecEnvoi.h"
#include "sending/smtp/RessourcesCurl.h"
#include "sending/smtp/Trace.h"

namespace corvelle::smtp {

// The connection is gone or stalled: the session cannot be used again.
class CanalRompu : public EchecEnvoi {
  public:
    using EchecEnvoi::EchecEnvoi;
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

class Canal {
  public:
    // `trace`, when given, sees every command and reply; it must outlive the
    // channel.
    Canal(CURL* curl, std::int32_t timeoutMs, TraceSMTP* trace);

    // Writes every byte, or raises CanalRompu. Replies that arrive meanwhile
    // are kept, so a server answering a long pipelined group never blocks.
    // Commands are traced; content is not (`commandes` false).
    void Ecrit(std::string_view octets, bool commandes = true);
    // Nothing came unasked since the last reply: the server has neither
    // closed the connection nor announced it (421).
    [[nodiscard]] bool Ouvert() const noexcept;
    // The next whole reply, or raises CanalRompu (CanalMuet after a time-out).
    [[nodiscard]] Reponse LitReponse();
    [[nodiscard]] TraceSMTP* Trace() const noexcept { return trace_; }

  private:
    [[nodiscard]] bool Recoit();  // false when nothing was waiting
    [[nodiscard]] bool ExtraitLigne(std::string& ligne);

    CURL* curl_;
    std::int64_t socket_ = -1;
    std::int32_t timeoutMs_;
    TraceSMTP* trace_;
    std::string recu_;
    std::size_t debut_ = 0;  // first byte of recu_ not yet read as a line
};

}  // namespace corvelle::smtp
