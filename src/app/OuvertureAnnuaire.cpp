#include "app/OuvertureAnnuaire.h"

#include "app/Programme.h"
#include "core/Dialogue.h"
#include "core/Version.h"
#include "sending/annuaire/AnnuaireLDAP.h"

namespace corvelle {

bool OuvreAnnuaire(Programme& etat, Dialogue& dialogue) {
    const Parametres& r = etat.Reglages;
    const AccesAnnuaire acces{r.AccesAD, r.AccesADDomaine, r.AccesADLogin, r.AccesADPassword,
                              r.TimeoutSMTP};
    EchecOuverture echec = EchecOuverture::Aucun;
    std::string detail;
    if (std::unique_ptr<AnnuaireLDAP> annuaire = AnnuaireLDAP::OuvreADSI(acces, echec, detail)) {
        etat.ConnexionAD = std::move(annuaire);
        return true;
    }
    const Langue& l = etat.Langage;
    // What the library said helps whoever fixes the settings.
    const std::string texte =
        l.Texte(echec == EchecOuverture::RacineAD ? "MSG_ERREUR_RECHERCHE_ROOT_AD"
                                                  : "MSG_ERREUR_ACCES_AD") +
        " (" + detail + ")\r\n\r\n" + l.Texte("MSG_CONFIGURER_ACCES_AD");
    dialogue.FinAttente();
    const Reponse reponse = dialogue.Affiche(
        {texte, kTitreApplication, Icone::Critique, Boutons::OuiNon, Reponse::Non});
    dialogue.DebutAttente();
    if (reponse == Reponse::Oui) {
        etat.ConfigurerAccesAD = true;
        return false;
    }
    etat.Reglages.UtiliserAD = false;  // for this run only: the file is not changed
    return true;
}

}  // namespace corvelle
