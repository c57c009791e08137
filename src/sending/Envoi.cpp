#include "sending/Envoi.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "config/MotDePasse.h"
#include "core/Chemins.h"
#include "core/Dialogue.h"
#include "core/EtatProgramme.h"
#include "core/Listes.h"
#include "core/Plateforme.h"
#include "core/Version.h"
#include "i18n/Traduction.h"
#include "sending/Destinataires.h"
#include "sending/Lots.h"
#include "sending/Rapport.h"
#include "sending/Requete.h"
#include "sending/Serveur.h"
#include "sending/smtp/ComposantSMTP.h"

namespace corvelle {

namespace {

// "Corvelle " scrambled: the name the program gives itself in every message.
constexpr const char* kIdentificationChiffree = "C30EDE9DAD3A3BA8FD";

// Appended in place: a body read from a file has room left for it, so a large
// one is not copied.
std::string AvecSautFinal(std::string corps) {
    corps += "\r\n";
    return corps;
}

struct Bilan {
    std::string erreurs;   // one line per refused batch
    bool succes = false;   // at least one batch accepted
    std::string incident;  // what broke the dispatch, if anything did
    std::size_t envois = 0;
};

class Dispatch {
  public:
    Dispatch(EtatProgramme& etat, Dialogue& dialogue, RequeteEnvoi requete)
        : etat_(etat), dialogue_(dialogue), requete_(std::move(requete)) {}

    int Execute() {
        dialogue_.DebutAttente();
        dialogue_.TraiteEvenements();
        std::array<Collection, 3> adresses;
        const std::array<const std::string*, 3> champs = {&requete_.destinataires, &requete_.copie,
                                                          &requete_.copieCachee};
        for (std::size_t type = 0; type < 3; ++type) {
            if (!ExtraitDestinataires(etat_, dialogue_, *champs[type], adresses[type])) {
                dialogue_.FinAttente();
                return SortieErreurDestinataires;  // reported; window mode only
            }
        }
        RetireDoublonsEntreChamps(adresses);
        const Repartition totaux = {adresses[0].Nombre(), adresses[1].Nombre(),
                                    adresses[2].Nombre()};
        const std::size_t total = totaux[0] + totaux[1] + totaux[2];
        if (total == 0) {
            dialogue_.FinAttente();
            Signale(etat_, dialogue_, etat_.Langage.Texte("MSG_ERREUR_AUCUN_DESTINATAIRE"));
            return SortieErreurDestinataires;
        }
        if (!PiecesJointesPresentes()) {
            return SortiePieceJointeIntrouvable;
        }
        Bilan bilan;
        try {
            EnvoieLesLots(adresses, totaux, bilan);
        } catch (const std::exception& e) {
            // The report below says what was sent before it broke.
            bilan.incident = e.what();
        }
        dialogue_.FinAttente();
        return RapportFinal(bilan, total);
    }

  private:
    // Finds the files once: every batch carries the same ones, and one that
    // vanishes fails its batch rather than dropping out of the list unseen.
    bool PiecesJointesPresentes() {
        for (const std::string& piece : requete_.piecesJointes) {
            const std::string chemin = CheminAbsolu(Elague(piece), etat_.DossierCourant);
            const std::string dossier = ExtraitDossier(chemin);
            const std::vector<std::string> noms = plateforme::FichiersCorrespondants(chemin);
            for (const std::string& nom : noms) {
                fichiersJoints_.push_back(dossier + nom);
            }
            if (noms.empty()) {
                dialogue_.FinAttente();
                Signale(etat_, dialogue_,
                        FormateMessage(etat_.Langage.Texte("MSG_ERREUR_PIECE_JOINTE_INTROUVABLE"),
                                       chemin));
                if (!etat_.IgnorerPJManquantes) {
                    return false;
                }
                dialogue_.DebutAttente();
            }
        }
        return true;
    }

    // The bodies move to the component, which keeps them for every batch.
    void Prepare(ComposantSMTP& smtp) {
        AppliqueConfiguration(
            smtp, etat_.ListeConfigsSMTP.at(static_cast<std::size_t>(etat_.NumConfigSMTP) - 1));
        smtp.SetTimeout(etat_.Reglages.TimeoutSMTP * 1000);
        smtp.SetExpediteur(requete_.expediteur);
        smtp.SetReponse(requete_.reponse);
        smtp.SetObjet(requete_.objet);
        if (!requete_.corpsTexte.empty()) {
            smtp.SetCorpsTexte(AvecSautFinal(std::move(requete_.corpsTexte)));
        }
        if (!requete_.corpsHTML.empty()) {
            smtp.SetCorpsHTML(AvecSautFinal(std::move(requete_.corpsHTML)));
        }
        smtp.SetNotification(requete_.notification);
        smtp.SetImportance(requete_.importance);
        smtp.SetSensibilite(requete_.sensibilite);
        smtp.SetEncodage(requete_.encodage);
        smtp.Extras().push_back(DechiffreMotDePasse(kIdentificationChiffree) + TexteVersion());
    }

    // Again before each batch: the component empties its list after a send.
    void AjoutePiecesJointes(ComposantSMTP& smtp) const { smtp.PiecesJointes() = fichiersJoints_; }

    void EnvoieLesLots(std::array<Collection, 3>& adresses, const Repartition& totaux,
                       Bilan& bilan) {
        // The SMTP library refuses the replies of much more than 20,000
        // recipients in one transaction, so larger batches are cut.
        constexpr std::int32_t kMaxDestinatairesParEnvoi = 20000;
        const std::int32_t nbDest =
            etat_.Reglages.NbDest < 1 ? kMaxDestinatairesParEnvoi
                                      : std::min(etat_.Reglages.NbDest, kMaxDestinatairesParEnvoi);
        const bool repartition = etat_.Reglages.RepartitionDestinataires;
        const std::array<float, 3> parts = PartsDesTypes(totaux);
        ComposantSMTP smtp;
        Prepare(smtp);
        Repartition restants = totaux;
        while (restants[0] + restants[1] + restants[2] > 0) {
            const Repartition tailles = TaillesLot(restants, parts, nbDest, repartition);
            smtp.SetDestinataires(ExtraitLot(adresses[0], tailles[0], ", "));
            smtp.SetCopie(ExtraitLot(adresses[1], tailles[1], ", "));
            smtp.SetCopieCachee(ExtraitLot(adresses[2], tailles[2], ", "));
            restants = {adresses[0].Nombre(), adresses[1].Nombre(), adresses[2].Nombre()};
            ++bilan.envois;
            AjoutePiecesJointes(smtp);
            smtp.Envoie();
            const std::string statut = smtp.Statut();
            const std::string minuscules = Minuscules(statut);
            if (minuscules.ends_with("session closed") ||
                minuscules.ends_with("connection closed")) {
                bilan.succes = true;
            } else {
                bilan.erreurs += "\r\n - " + statut;
            }
        }
    }

    int RapportFinal(const Bilan& bilan, std::size_t total) {
        const std::string echec = etat_.Langage.Texte("MSG_ERREUR_ENVOI");
        if (!bilan.erreurs.empty()) {
            Signale(etat_, dialogue_, echec + bilan.erreurs);
            return SortieEchecEnvoi;
        }
        if (!bilan.succes) {
            std::string message = echec + " " + etat_.Langage.Texte("MSG_ERREUR_CREATION_OBJET");
            if (!bilan.incident.empty()) {
                message += "\r\n - " + bilan.incident;
            }
            Signale(etat_, dialogue_, message);
            return SortieEchecEnvoi;
        }
        Signale(etat_, dialogue_,
                FormateMessage(etat_.Langage.Texte("MSG_SUCCES_ENVOI"), requete_.objet, total,
                               bilan.envois));
        return SortieEnvoye;
    }

    EtatProgramme& etat_;
    Dialogue& dialogue_;
    RequeteEnvoi requete_;
    std::vector<std::string> fichiersJoints_;
};

}  // namespace

int EnvoiMessage(EtatProgramme& etat, Dialogue& dialogue, RequeteEnvoi requete) {
    return Dispatch(etat, dialogue, std::move(requete)).Execute();
}

}  // namespace corvelle
