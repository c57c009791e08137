#pragma once

namespace corvelle {

class ComposantSMTP;
class clsConfigSMTP;

// Sets one SMTP configuration's server settings on a component: server, SSL,
// port, authentication, then the user name and deciphered password when the
// mode asks for them, and the POP server for a POP3 login.
void AppliqueConfiguration(ComposantSMTP& smtp, const clsConfigSMTP& configuration);

}  // namespace corvelle
