#include "app/EnvoiProgramme.h"

#include <iostream>
#include <optional>

#include "app/CodesSortie.h"
#include "app/LigneProgression.h"
#include "app/Programme.h"
#include "core/Dialogue.h"
#include "core/Plateforme.h"
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

Bilan Expedie(const Programme& programme, Dialogue& dialogue, Demande& demande, SuiviEnvoi suivi) {
    const Langue& langue = programme.Langage;
    // Run once, before anything connects: the report mail then uses it too.
    // A preview connects to nothing and needs no password.
    if (!demande.apercu) {
        ResultatEnvoi<clsConfigSMTP> configuration =
            ResoutMotDePasse(demande.configuration, langue);
        if (!configuration.Reussi()) {
            Bilan bilan;
            bilan.arret = Arret{Etape::Serveur, configuration.Erreur()};
            bilan.arret->echec.texte =
                langue.Texte("MSG_ERREUR_ENVOI") + "\r\n - " + configuration.Erreur().texte;
            return bilan;
        }
        demande.configuration = std::move(configuration.Valeur());
    }
    std::optional<LigneProgression> progression;
    if (demande.ligneCommande && MontreProgression(demande, plateforme::ErreurEstTerminal())) {
        progression.emplace(langue, std::cerr, demande.progression == AffichageProgression::Force);
        suivi.avance = [&](const Avancement& avancement) { progression->Montre(avancement); };
    }
    ContexteEnvoi contexte{langue,
                           dialogue,
                           programme.Reglages.UtiliserAD ? programme.ConnexionAD.get() : nullptr,
                           [&](const std::string& avis) {
                               if (progression) {
                                   progression->Termine();
                               }
                               EcritLog(langue, dialogue, demande, avis, Gravite::Avertissement);
                           },
                           [](std::string_view ligne) { std::cerr << ligne << '\n'; },
                           std::move(suivi.avance),
                           std::move(suivi.arrete)};
    // Ctrl-C ends the batch under way rather than the process: the
    // report then says who got the message.
    if (demande.ligneCommande) {
        plateforme::InterceptArrets();
        contexte.arrete = plateforme::ArretDemande;
    }
    Bilan bilan = EnvoiMessage(contexte, demande);
    if (progression) {
        progression->Termine();
    }
    return bilan;
}

int RapporteEnvoi(const Programme& programme, Dialogue& dialogue, const Demande& demande,
                  const Bilan& bilan) {
    EcritLog(programme.Langage, dialogue, demande, TexteBilan(programme.Langage, demande, bilan),
             bilan.Accepte() ? Gravite::Reussite : Gravite::Echec);
    return CodeSortieEnvoi(bilan);
}

int Envoie(const Programme& programme, Dialogue& dialogue, Demande& demande) {
    const Bilan bilan = Expedie(programme, dialogue, demande);
    return RapporteEnvoi(programme, dialogue, demande, bilan);
}

}  // namespace corvelle
