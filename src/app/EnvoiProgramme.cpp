#include "app/EnvoiProgramme.h"

#include <iostream>

#include "app/Programme.h"
#include "core/Dialogue.h"
#include "sending/Envoi.h"
#include "sending/Rapport.h"
#include "sending/Serveur.h"

namespace corvelle {

Demande DemandeParDefaut(const Programme& programme) {
    const Parametres& r = programme.Reglages;
    Demande demande;
    demande.expediteur = r.ExpediteurParDefaut;
    demande.reponse = r.ReponseParDefaut;
    demande.encodage = r.EncodageParDefaut;
    demande.notification = r.ARParDefaut;
    demande.importance = r.ImportanceParDefaut;
    demande.sensibilite = r.SensibiliteParDefaut;
    if (!programme.ListeConfigsSMTP.empty()) {
        demande.configuration = programme.ListeConfigsSMTP.front();
    }
    demande.nbDest = r.NbDest;
    demande.repartition = r.RepartitionDestinataires;
    demande.suffixe = r.Suffixe;
    demande.timeoutSecondes = r.TimeoutSMTP;
    demande.dossierCourant = programme.DossierCourant;
    demande.fichierLog = programme.FichierLog;
    demande.fichierJetons = FichierJetons(programme.FichierConfiguration);
    return demande;
}

int Envoie(const Programme& programme, Dialogue& dialogue, Demande& demande) {
    const Langue& langue = programme.Langage;
    // Run once, before anything connects: the report mail then uses it too.
    // A preview connects to nothing and needs no password.
    if (!demande.apercu) {
        Resultat<clsConfigSMTP> configuration = ResoutMotDePasse(demande.configuration, langue);
        if (!configuration.Reussi()) {
            EcritLog(langue, dialogue, demande,
                     langue.Texte("MSG_ERREUR_ENVOI") + "\r\n - " + configuration.Erreur().texte,
                     Gravite::Echec);
            return SortieEchecEnvoi;
        }
        demande.configuration = std::move(configuration.Valeur());
    }
    ContexteEnvoi contexte{langue, dialogue,
                           programme.Reglages.UtiliserAD ? programme.ConnexionAD.get() : nullptr,
                           [&](const std::string& avis) {
                               EcritLog(langue, dialogue, demande, avis, Gravite::Avertissement);
                           },
                           [](std::string_view ligne) { std::cerr << ligne << '\n'; }};
    const Bilan bilan = EnvoiMessage(contexte, demande);
    EcritLog(langue, dialogue, demande, TexteBilan(langue, demande, bilan),
             bilan.Accepte() ? Gravite::Reussite : Gravite::Echec);
    return bilan.code;
}

}  // namespace corvelle
