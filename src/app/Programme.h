#pragma once

// The program's state: built by start-up, then read by what runs; only a
// window that saves settings changes it afterwards.

#include <memory>
#include <string>
#include <vector>

#include "config/ConfigSMTP.h"
#include "config/Parametres.h"
#include "i18n/Langue.h"

namespace corvelle {

class Annuaire;

struct Programme {
    // Paths; folders end with a separator.
    std::string DossierCourant;
    std::string DossierConfiguration;
    std::string FichierConfiguration;
    std::string FichierLog;
    std::string DossierProgramme;            // where the translation files are
    bool FichierConfigurationDonne = false;  // by --config or CORVELLE_CONFIG
    // The whole machine's settings, read only: a send never rewrites them.
    bool ReglagesMachine = false;
    // A copy run from outside the install prefix: its files stay beside it.
    bool Portable = false;

    Langue Langage;
    ListeConfigs ListeConfigsSMTP;
    // Only in a run that may fix them (EnvironnementDemarrage::reparationSMTP):
    // the configurations that did not read whole.
    std::vector<RecordIllisible> ConfigsIllisibles;
    Parametres Reglages;
    ParametresFenetre Fenetre;  // the compose window's remembered state

    // The directory connection when directory access is on.
    std::shared_ptr<Annuaire> ConnexionAD;

    // Window-level flags.
    bool RedemarrageRequis = false;
    bool OptionsModifiees = false;  // a check mark of the Options menu was toggled
    bool DialogueAnnule = false;
    bool ConfigurerAccesAD = false;
};

}  // namespace corvelle
