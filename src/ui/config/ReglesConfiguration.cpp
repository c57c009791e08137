#include "ui/config/ReglesConfiguration.h"

#include "config/Parametres.h"

namespace corvelle::ui {

bool AnnuaireDemandeRedemarrage(const SaisieAnnuaire& saisie, const Parametres& stockes,
                                bool configurerAccesAD) {
    if (!saisie.utiliser) {
        return false;
    }
    return saisie.motDePasse != stockes.AccesADPassword ||
           saisie.domaine != stockes.AccesADDomaine || saisie.login != stockes.AccesADLogin ||
           saisie.acces != stockes.AccesAD || configurerAccesAD || !stockes.UtiliserAD;
}

}  // namespace corvelle::ui
