#pragma once

// What the server offers, read from its last EHLO reply.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace corvelle::smtp {

struct Capacites {
    bool pipelining = false;    // RFC 2920
    bool chunking = false;      // RFC 3030, BDAT
    bool dsn = false;           // RFC 3461
    bool smtputf8 = false;      // RFC 6531
    bool huitBitsMime = false;  // RFC 6152, BODY=8BITMIME
    bool auth = false;
    std::vector<std::string> mecanismes;     // AUTH's, in lower case
    std::optional<std::uint64_t> tailleMax;  // SIZE with a limit (RFC 1870)
};

// From the reply's lines ("250-PIPELINING", "250 SIZE 1000"); the first line
// names the server.
[[nodiscard]] Capacites LitCapacites(const std::vector<std::string>& lignes);

}  // namespace corvelle::smtp
