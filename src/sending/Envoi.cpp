#include "sending/Envoi.h"

#include "core/Dialogue.h"
#include "core/EtatProgramme.h"
#include "core/Version.h"

namespace corvelle {

int TraiteLigneCommande(EtatProgramme& etat, Dialogue& dialogue, const std::string& ligneCommande) {
    (void)ligneCommande;
    etat.ModeLigneCommande = true;
    // The sending engine is not part of this build yet: say so and fail, so
    // a script never takes this run for a sent message.
    dialogue.Affiche(
        {"L'envoi depuis la ligne de commande n'est pas encore disponible dans cette "
         "version. " +
             etat.Langage.Texte("TXT_FERMETURE_OUTIL"),
         kTitreApplication, Icone::Critique, Boutons::Ok, Reponse::Ok});
    return kCodeSortieErreurLigneCommande;
}

}  // namespace corvelle
