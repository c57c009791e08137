#pragma once

#include <optional>
#include <string>

#include "config/ConfigSMTP.h"
#include "sending/smtp/EchecEnvoi.h"

namespace corvelle {

class ComposantSMTP;
struct Langue;

// Sets one SMTP configuration's server settings on a component: server, SSL,
// port, authentication, then the user name and deciphered password when the
// mode asks for them, and the POP server for a POP3 login. For OAuth2, the
// client with its secret (the password) and the token file `fichierJetons`;
// or, once ResoutMotDePasse ran the token command, the token it gave.
void AppliqueConfiguration(ComposantSMTP& smtp, const clsConfigSMTP& configuration,
                           const std::string& fichierJetons);

// The token file beside the settings file.
[[nodiscard]] std::string FichierJetons(const std::string& fichierConfiguration);

// How long a password command may run.
inline constexpr std::int32_t kDelaiCommandeMotDePasseMs = 30000;

// A private key file (TLS client or OAuth2 client) that every user may read:
// refused, at each send and wherever a configuration is set.
[[nodiscard]] std::optional<Defaillance> CleExposee(const clsConfigSMTP& configuration,
                                                    const Langue& langue);

// The configuration for one send: with a password command, the command is run
// and its password stored in the record (scrambled, as a stored one is), so
// everything after the command sees an ordinary configuration. An OAuth2 token
// command is run the same way: its token takes the password's place and the
// token endpoint is cleared, which marks the password as the token. A key
// file every user may read (CleExposee) fails it first. A command that gives
// nothing is a matter of configuration.
[[nodiscard]] ResultatEnvoi<clsConfigSMTP> ResoutMotDePasse(clsConfigSMTP configuration,
                                                            const Langue& langue);

}  // namespace corvelle
