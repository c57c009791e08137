#pragma once

// The test message of the SMTP configuration dialog: one send through the SMTP
// component with the values typed, then a box saying whether it went out.

#include <string>

#include "config/ConfigSMTP.h"

namespace corvelle {
class Dialogue;
struct EtatProgramme;
}  // namespace corvelle

namespace corvelle::ui {

struct EnvoiTestSMTP {
    clsConfigSMTP config;    // as typed; its Password field is not used
    std::string motDePasse;  // clear text
    std::string encodage;
    std::string expediteur;
    std::string destinataire;
};

// Never throws: a failure of the component is shown as a failed send.
void EnvoieTestSMTP(const EnvoiTestSMTP& envoi, const EtatProgramme& etat, Dialogue& dialogue);

}  // namespace corvelle::ui
