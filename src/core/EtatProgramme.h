#pragma once

// Program-wide state: owned by main(), set once by start-up, then read (and,
// for the run state, written) by the parts that need it.

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_set>

#include "config/ConfigSMTP.h"
#include "config/Parametres.h"
#include "core/Collection.h"
#include "i18n/Langue.h"

namespace corvelle {

class Annuaire;

// OptionsRapport bits.
enum OptionRapport : std::uint16_t {
    RapportParMail = 1,
    RapportFichierLog = 2,
};

struct EtatProgramme {
    // Paths; folders end with a separator.
    std::string DossierCourant;
    std::string DossierConfiguration;
    std::string FichierConfiguration;
    std::string FichierLog;
    std::string DossierProgramme;  // where the translation files are

    Langue Langage;
    ListeConfigs ListeConfigsSMTP;
    Parametres Reglages;
    ParametresFenetre Fenetre;  // the compose window's remembered state

    // Run state of the sending engine.
    bool ModeLigneCommande = false;
    std::uint16_t OptionsRapport = 0;
    bool IgnorerPJManquantes = false;
    int NumConfigSMTP = 1;  // 1-based position in ListeConfigsSMTP

    // The directory connection when directory access is on.
    std::shared_ptr<Annuaire> ConnexionAD;
    // Groups already expanded in the field being expanded, keyed "grp:" +
    // name (letter case ignored, as the directory does).
    Collection DejaVus;
    // Recipient files already read in that field, by CleNomFichier of their
    // absolute path: on Linux, a.txt and A.txt are two files.
    std::unordered_set<std::string> FichiersLus;

    // Window-level flags.
    bool RedemarrageRequis = false;
    bool OptionsModifiees = false;  // a check mark of the Options menu was toggled
    bool DialogueAnnule = false;
    bool ConfigurerAccesAD = false;
};

}  // namespace corvelle
