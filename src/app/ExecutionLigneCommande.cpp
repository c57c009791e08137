#include "app/ExecutionLigneCommande.h"

#include <exception>

#include "app/CodesSortie.h"
#include "app/EnvoiProgramme.h"
#include "app/Programme.h"
#include "config/Parametres.h"
#include "core/Dialogue.h"
#include "core/Erreur.h"
#include "core/Texte.h"
#include "core/Version.h"
#include "i18n/Traduction.h"
#include "sending/LigneCommandeEnvoi.h"
#include "sending/Rapport.h"

namespace corvelle {

namespace {

int Execute(const Programme& programme, Dialogue& dialogue, Demande& demande,
            const std::vector<std::string>& arguments) {
    const Langue& langue = programme.Langage;
    AnalyseCommande analyse =
        AnalyseArguments(demande, programme.ListeConfigsSMTP, langue, arguments);
    demande = std::move(analyse.demande);
    if (!analyse.erreur.empty()) {
        EcritLog(langue, dialogue, demande,
                 analyse.erreur + " " + langue.Texte("TXT_FERMETURE_OUTIL"));
        return SortieErreurLigneCommande;
    }
    // A first start's placeholder cannot send anything: saying how to set a
    // real server beats the resolver's error about an example name.
    if (EstListeExemple(programme.ListeConfigsSMTP)) {
        Bilan bilan;
        bilan.arret =
            Arret{Etape::Serveur,
                  {GenreEchec::Configuration,
                   FormateMessage(langue.Texte("MSG_ERREUR_AUCUN_SERVEUR"), kServeurSMTPParDefaut),
                   {}}};
        EcritLog(langue, dialogue, demande, bilan.arret->echec.texte);
        return CodeSortieEnvoi(bilan, demande.sysexits);
    }
    return Envoie(programme, dialogue, demande);
}

}  // namespace

int ExecuteLigneCommande(const Programme& programme, Dialogue& dialogue,
                         const std::vector<std::string>& arguments) {
    const Langue& langue = programme.Langage;
    if (EstVersionBeta()) {
        dialogue.Affiche({langue.Texte("MSG_VERSION_BETA"), kTitreApplication, Icone::Aucune,
                          Boutons::Ok, Reponse::Ok});
    }
    Demande demande = DemandeParDefaut(programme);
    demande.ligneCommande = true;
    demande.automatique = programme.Reglages.AutoSubmitted;
    std::string message;
    try {
        return Execute(programme, dialogue, demande, arguments);
    } catch (const Erreur& e) {
        message = FormateMessage(langue.Texte("MSG_ERREUR"), e.Numero(), Lisible(e.Description()));
    } catch (const std::exception& e) {
        message = FormateMessage(langue.Texte("MSG_ERREUR"), ErrInterne,
                                 TexteErreur(ErrInterne) + " (" + Lisible(e.what()) + ")");
    }
    // The report options read so far decide where this goes.
    EcritLog(langue, dialogue, demande, message);
    return SortieEchecEnvoi;
}

}  // namespace corvelle
