#pragma once

// The test message of an SMTP configuration, as its dialog sends it: the
// values typed, one short message, no copies or files.

#include <cstdint>
#include <string>

#include "config/ConfigSMTP.h"
#include "sending/Bilan.h"

namespace corvelle {

struct Langue;

struct EssaiSMTP {
    clsConfigSMTP configuration;  // as typed; its Password field is not used
    std::string motDePasse;       // clear text; unused when the configuration has a command
    std::string encodage;
    std::string expediteur;
    std::string destinataire;
    std::int32_t timeoutSecondes = 0;
};

// Whether the server took the message, with its reply or what failed (a
// password command that gave no password included). Never throws.
[[nodiscard]] Lot EnvoieEssai(const EssaiSMTP& essai, const Langue& langue);

}  // namespace corvelle
