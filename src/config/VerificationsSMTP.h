#pragma once

// The rules of an SMTP configuration as its dialog checks them, shared with
// the command line that edits configurations: the field checks in their
// order, the port, the SSL port swap and the test recipient.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace corvelle {

enum class ChampSMTP { Serveur, Port, Username, Password, ServeurPop, UrlJeton, ClientOAuth };

// The fields as typed; a disabled box is never required.
struct SaisieSMTP {
    std::string serveur;
    std::string port;
    std::string username;
    std::string password;
    std::string serveurPop;
    bool identifiantsActifs = false;
    bool serveurPopActif = false;
    // OAuth2: a token command, or a token URL or tenant, a client id and the
    // secret in `password`.
    bool oauth = false;
    std::string urlJeton;
    std::string clientOAuth;
    std::string commandeJeton;
};

struct RefusSMTP {
    const char* message;  // catalogue key
    ChampSMTP champ;      // the field that gets the focus
};

// The first failing check, or nothing when every field is acceptable.
[[nodiscard]] std::optional<RefusSMTP> VerifieSaisieSMTP(const SaisieSMTP& saisie);

// Decimal digits only, from 0 to 65535; anything else is refused.
[[nodiscard]] std::optional<std::int32_t> PortValide(std::string_view texte);

// The port text after the SSL box was switched: the usual port of the other
// mode becomes that of the new one; any other port is kept as typed.
[[nodiscard]] std::string PortApresSSL(const std::string& port, bool ssl);

// A token endpoint as typed: an https URL, or a tenant (a name or an id,
// without "/", "://" or spaces).
[[nodiscard]] bool UrlOuTenantValide(std::string_view texte);

// Which boxes an authentication code needs.
[[nodiscard]] bool IdentifiantsRequis(std::int32_t code);
[[nodiscard]] bool ServeurPopRequis(std::int32_t code);

// The first entry of a comma-separated list, trimmed.
[[nodiscard]] std::string PremierDestinataire(std::string_view liste);

// A pinned certificate's SHA-256 as people copy it ("SHA256:" optional, any
// letter case, pairs of digits separated by colons or not): "SHA256:" and 64
// lowercase hex digits, or nothing when it is not one.
[[nodiscard]] std::optional<std::string> EmpreinteNormalisee(std::string_view texte);

}  // namespace corvelle
