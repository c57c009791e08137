#pragma once

// The checks of what an administrator sets per server (EHLO name, envelope
// sender, TLS and OAuth2 files, pinned fingerprint), shared by the command
// line that edits configurations and the SMTP dialog's advanced settings.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace corvelle {

class clsConfigSMTP;

enum class ChampAvance {
    NomEhlo,
    ExpediteurEnveloppe,
    FichierCA,
    EmpreinteTLS,
    CertificatClient,
    CleClient,
    CertificatOAuth,
    CleOAuth,
};
inline constexpr std::size_t kNombreChampsAvances = 8;

// The record's field for each, in their stored order.
[[nodiscard]] std::string& ChampDe(clsConfigSMTP& config, ChampAvance champ);
[[nodiscard]] const std::string& ChampDe(const clsConfigSMTP& config, ChampAvance champ);

// A domain or an address literal ("[192.0.2.1]"): letters, digits and
// ".-_:[]" only. It goes into the session's URL, where anything else would
// need escaping, and a space would end the EHLO command early.
[[nodiscard]] bool NomEhloValide(std::string_view nom);

// The message is a catalogue key; its "%v" take `valeur`, then `complement`
// (why a file cannot be read, or the file's name again).
struct RefusAvance {
    ChampAvance champ;
    const char* message;
    std::string valeur;
    std::string complement;
};

// Normalises the fingerprint and makes each file name absolute (from
// `dossierCourant`), then checks every field that holds something: the
// first refusal. Each file must be readable now, and a key file must not be
// readable by everyone.
[[nodiscard]] std::optional<RefusAvance> VerifieAvance(clsConfigSMTP& config,
                                                       const std::string& dossierCourant);

}  // namespace corvelle
