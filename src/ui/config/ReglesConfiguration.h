#pragma once

// When the settings window's OK needs a restart; its field checks are shared
// with the command line (config/VerificationsConfiguration).

#include <string>

#include "config/VerificationsConfiguration.h"

namespace corvelle {
struct Parametres;
}

namespace corvelle::ui {

// What the directory part of the window holds on OK.
struct SaisieAnnuaire {
    bool utiliser = false;
    int acces = 0;
    std::string domaine;
    std::string login;
    std::string motDePasse;
};

// Turning the search on or changing how it connects needs a restart; turning
// it off never does.
[[nodiscard]] bool AnnuaireDemandeRedemarrage(const SaisieAnnuaire& saisie,
                                              const Parametres& stockes, bool configurerAccesAD);

}  // namespace corvelle::ui
