#pragma once

// What one SMTP configuration trusts, and what it shows, beyond the system's
// authorities. No library header: the component's public header takes it.

#include <string>

namespace corvelle::smtp {

struct ConfianceTLS {
    std::string fichierCA;  // PEM authorities trusted instead of the system's
    // The server certificate's SHA-256 ("SHA256:" and hex, colons allowed):
    // that certificate is trusted, whoever signed it, and no other.
    std::string empreinte;
    std::string certificatClient;  // PEM, for servers that ask for one
    std::string cleClient;

    bool operator==(const ConfianceTLS&) const = default;
};

}  // namespace corvelle::smtp
