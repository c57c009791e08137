#pragma once

#include <string>

#include "config/ConfigSMTP.h"
#include "core/Resultat.h"

namespace corvelle {

class ComposantSMTP;
struct Langue;

// Sets one SMTP configuration's server settings on a component: server, SSL,
// port, authentication, then the user name and deciphered password when the
// mode asks for them, and the POP server for a POP3 login.
void AppliqueConfiguration(ComposantSMTP& smtp, const clsConfigSMTP& configuration);

// How long a password command may run.
inline constexpr std::int32_t kDelaiCommandeMotDePasseMs = 30000;

// The first line a password command prints. A command that cannot start,
// fails, prints nothing or outlasts its time-out gives the message of a failed
// send, with what it wrote on its standard error (never its output, which
// would be the password).
[[nodiscard]] Resultat<std::string> ExecuteCommandeMotDePasse(const std::string& commande,
                                                              const Langue& langue);

// The configuration for one send: with a password command, the command is run
// and its password stored in the record (scrambled, as a stored one is), so
// everything after the command sees an ordinary configuration.
[[nodiscard]] Resultat<clsConfigSMTP> ResoutMotDePasse(clsConfigSMTP configuration,
                                                       const Langue& langue);

}  // namespace corvelle
