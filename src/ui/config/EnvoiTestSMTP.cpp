#include "ui/config/EnvoiTestSMTP.h"

#include "app/Programme.h"
#include "core/Dialogue.h"
#include "core/Version.h"
#include "i18n/Traduction.h"

namespace corvelle::ui {

void EnvoieTestSMTP(EssaiSMTP essai, const Programme& etat, Dialogue& dialogue) {
    essai.timeoutSecondes = etat.Reglages.TimeoutSMTP;
    // No token file: the configuration tried may never be saved, so an OAuth2
    // token lives only in memory for this one send.
    essai.fichierJetons.clear();
    Attente attente(dialogue);
    const Lot issue = EnvoieEssai(essai, etat.Langage);
    attente.Termine();
    if (issue.accepte) {
        dialogue.Affiche({etat.Langage.Texte("MSG_TEST_SMTP_OK"), kTitreApplication,
                          Icone::Information, Boutons::Ok, Reponse::Ok});
    } else {
        dialogue.Affiche({FormateMessage(etat.Langage.Texte("MSG_TEST_SMTP_ERREUR"), issue.statut),
                          kTitreApplication, Icone::Critique, Boutons::Ok, Reponse::Ok});
    }
}

}  // namespace corvelle::ui
