#include "app/EnvoiProgramme.h"

#include <algorithm>
#include <iostream>
#include <optional>

#include "app/CodesSortie.h"
#include "app/Expedition.h"
#include "app/LigneProgression.h"
#include "app/Programme.h"
#include "core/Dialogue.h"
#include "core/Plateforme.h"
#include "core/Texte.h"
#include "core/Version.h"
#include "sending/Envoi.h"
#include "sending/Rapport.h"
#include "sending/Serveur.h"
#include "sending/outbox/FileAttente.h"

namespace corvelle {

namespace {

// Into the outbox of the settings in use, tried once already: due again
// after the back-off, as the runner would have it, or at once when no retry
// fits in DureeAttente (the runner then gives it up, telling the sender).
outbox::Depot CommenceDepot(const Programme& programme, const outbox::Enveloppe& enveloppe,
                            const std::string& reponse) {
    const std::int64_t maintenant = Maintenant();
    outbox::Historique historique{maintenant, 0, maintenant, reponse};
    historique.prochaine = outbox::ProchaineTentative(historique, maintenant, DureeDeVie(programme))
                               .value_or(maintenant);
    historique.tentatives = 1;
    return outbox::FileAttente(DossierFileAttente(programme)).Commence(enveloppe, historique);
}

// What keeps a batch in the outbox of the settings in use.
auto MiseEnAttente(const Programme& programme) {
    return [&programme](const outbox::Enveloppe& enveloppe, const std::string& reponse) {
        return CommenceDepot(programme, enveloppe, reponse);
    };
}

// Kept to go later is no failure, yet not a success either.
Gravite GraviteDe(const Bilan& bilan) {
    return bilan.Accepte()  ? Gravite::Reussite
           : bilan.Abouti() ? Gravite::Avertissement
                            : Gravite::Echec;
}

// The window's outcome box, when some batch failed only for now: it offers to
// keep them in the outbox, from the request as it was sent; kept, a second box
// says so, each with its id.
void ProposeAttente(const Programme& programme, Dialogue& dialogue, Demande& copie, Bilan& bilan) {
    const Langue& langue = programme.Langage;
    const std::string issue = Lisible(TexteBilan(langue, copie, bilan), SautsDeLigne::Gardes);
    if (dialogue.Affiche({issue + "\r\n\r\n" + langue.Texte("MSG_PROPOSE_ATTENTE"),
                          kTitreApplication, Icone::Exclamation, Boutons::OuiNon, Reponse::Non}) !=
        Reponse::Oui) {
        return;
    }
    ContexteEnvoi contexte{langue, dialogue, nullptr, {}, {}};
    contexte.metEnAttente = MiseEnAttente(programme);
    MetEnAttente(contexte, copie, bilan);
    EcritLog(langue, dialogue, copie, TexteBilan(langue, copie, bilan), GraviteDe(bilan));
}

}  // namespace

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
    if (demande.attente && !demande.apercu) {
        contexte.metEnAttente = MiseEnAttente(programme);
    }
    Bilan bilan = EnvoiMessage(contexte, demande);
    if (progression) {
        progression->Termine();
    }
    return bilan;
}

std::optional<Demande> CopiePourAttente(const Demande& demande) {
    if (demande.ligneCommande || demande.rapport != 0 || demande.apercu) {
        return std::nullopt;
    }
    return demande;
}

int RapporteEnvoi(const Programme& programme, Dialogue& dialogue, const Demande& demande,
                  Bilan& bilan, Demande* copie) {
    const Langue& langue = programme.Langage;
    if (copie && std::any_of(bilan.lots.begin(), bilan.lots.end(),
                             [](const Lot& lot) { return lot.adresses.has_value(); })) {
        ProposeAttente(programme, dialogue, *copie, bilan);
    } else {
        EcritLog(langue, dialogue, demande, TexteBilan(langue, demande, bilan), GraviteDe(bilan));
    }
    return CodeSortieEnvoi(bilan, demande.sysexits);
}

int Envoie(const Programme& programme, Dialogue& dialogue, Demande& demande) {
    std::optional<Demande> copie = CopiePourAttente(demande);
    Bilan bilan = Expedie(programme, dialogue, demande);
    return RapporteEnvoi(programme, dialogue, demande, bilan, copie ? &*copie : nullptr);
}

}  // namespace corvelle
