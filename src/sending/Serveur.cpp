#include "sending/Serveur.h"

#include "config/ConfigSMTP.h"
#include "config/MotDePasse.h"
#include "sending/smtp/ComposantSMTP.h"

namespace corvelle {

void AppliqueConfiguration(ComposantSMTP& smtp, const clsConfigSMTP& configuration) {
    smtp.SetServeur(configuration.Serveur);
    smtp.SetSSL(configuration.SSL);
    smtp.SetPort(configuration.Port);
    smtp.SetAuthentification(configuration.Authentification);
    if (smtp.Authentification() != AuthAucune) {
        smtp.SetUtilisateur(configuration.Username);
        smtp.SetMotDePasse(DechiffreMotDePasse(configuration.Password));
    }
    if (smtp.Authentification() == AuthPop3) {
        smtp.SetServeurPop(configuration.ServeurPop);
    }
}

}  // namespace corvelle
