#include "sending/Envoi.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <map>
#include <optional>
#include <ostream>
#include <streambuf>
#include <utility>
#include <vector>

#include "config/MotDePasse.h"
#include "core/Chemins.h"
#include "core/Dialogue.h"
#include "core/Erreur.h"
#include "core/Plateforme.h"
#include "core/Texte.h"
#include "core/Version.h"
#include "i18n/Langue.h"
#include "i18n/Traduction.h"
#include "sending/Apercu.h"
#include "sending/Demande.h"
#include "sending/Destinataires.h"
#include "sending/Lots.h"
#include "sending/Serveur.h"
#include "sending/outbox/FileAttente.h"
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

// The message goes into its outbox entry as it is built, once the envelope
// opened the entry; past the entry's cap, or with no entry, the writing fails.
class SortieDepot : public std::streambuf {
  public:
    explicit SortieDepot(std::optional<outbox::Depot>& depot) : depot_(depot) {}

  protected:
    std::streamsize xsputn(const char* octets, std::streamsize taille) override {
        const bool ecrit = depot_ && depot_->Ecrit({octets, static_cast<std::size_t>(taille)});
        return ecrit ? taille : 0;
    }
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) {
            return traits_type::not_eof(c);
        }
        const char octet = traits_type::to_char_type(c);
        return xsputn(&octet, 1) == 1 ? c : traits_type::eof();
    }

  private:
    std::optional<outbox::Depot>& depot_;
};

class Dispatch {
  public:
    Dispatch(const ContexteEnvoi& contexte, Demande& demande) : c_(contexte), demande_(demande) {}

    Bilan Execute() {
        Attente attente(c_.dialogue);
        c_.dialogue.TraiteEvenements();
        std::array<ListeAdresses, 3> adresses;
        if (std::optional<Arret> arret = Developpe(adresses)) {
            return Arrete(std::move(*arret));
        }
        RetireDoublonsEntreChamps(adresses);
        const Repartition totaux = {adresses[0].size(), adresses[1].size(), adresses[2].size()};
        Bilan bilan;
        bilan.destinataires = totaux[0] + totaux[1] + totaux[2];
        if (bilan.destinataires == 0) {
            return Arrete({Etape::Destinataires,
                           {GenreEchec::Permanent, Texte("MSG_ERREUR_AUCUN_DESTINATAIRE"), {}}});
        }
        if (std::optional<std::string> absente = TrouvePiecesJointes()) {
            return Arrete({Etape::PiecesJointes, {GenreEchec::Local, std::move(*absente), {}}});
        }
        // The report says what was sent before it broke.
        ComposantSMTP smtp;
        try {
            EnvoieLesLots(smtp, adresses, totaux, bilan);
        } catch (const smtp::EchecEnvoi& e) {
            bilan.incident = Defaillance{e.Genre(), e.what(), {}};
        } catch (const std::exception& e) {
            bilan.incident = Defaillance{GenreEchec::Local, e.what(), {}};
        }
        if (c_.metEnAttente) {
            GardeLesLots(smtp, bilan);
        }
        return bilan;
    }

    // With a new component, the files found again: a file gone since is
    // never left out of the message.
    void GardeApres(Bilan& bilan) {
        ComposantSMTP smtp;
        std::optional<std::string> absente = TrouvePiecesJointes();
        if (!absente) {
            try {
                Prepare(smtp);
            } catch (const std::exception& e) {
                absente = Lisible(e.what());
            }
        }
        if (!absente) {
            return GardeLesLots(smtp, bilan);
        }
        for (Lot& lot : bilan.lots) {
            if (lot.adresses) {
                lot.adresses.reset();
                lot.statut += "; " + FormateMessage(Texte("MSG_ATTENTE_IMPOSSIBLE"), *absente);
            }
        }
    }

  private:
    std::string Texte(std::string_view cle) const { return c_.langue.Texte(cle); }

    static Bilan Arrete(Arret arret) {
        Bilan bilan;
        bilan.arret = std::move(arret);
        return bilan;
    }

    std::optional<Arret> Developpe(std::array<ListeAdresses, 3>& adresses) {
        ContexteExpansion expansion{c_.langue,
                                    c_.annuaire,
                                    demande_.dossierCourant,
                                    demande_.suffixe,
                                    demande_.ligneCommande,
                                    c_.avertit};
        if (c_.avance) {
            expansion.suivi = [this](std::size_t recherches, std::size_t membres) {
                avancement_.recherches += recherches;
                avancement_.membres += membres;
                c_.avance(avancement_);
            };
        }
        const std::array<const std::string*, 3> champs = {&demande_.destinataires, &demande_.copie,
                                                          &demande_.copieCachee};
        for (std::size_t type = 0; type < 3; ++type) {
            Resultat<ListeAdresses, Arret> champ = ExtraitDestinataires(expansion, *champs[type]);
            if (!champ.Reussi()) {
                return champ.Erreur();
            }
            adresses[type] = std::move(champ.Valeur());
        }
        return std::nullopt;
    }

    // Finds the files once: every batch carries the same ones, and one that
    // vanishes fails its batch rather than dropping out of the list unseen.
    // The message naming a missing one, unless /iep lets the send go on.
    std::optional<std::string> TrouvePiecesJointes() {
        for (const std::string& piece : demande_.piecesJointes) {
            const std::string chemin = CheminAbsolu(Elague(piece), demande_.dossierCourant);
            const std::string dossier = ExtraitDossier(chemin);
            const std::vector<std::string> noms = plateforme::FichiersCorrespondants(chemin);
            for (const std::string& nom : noms) {
                fichiersJoints_.push_back(dossier + nom);
            }
            if (noms.empty()) {
                std::string message =
                    FormateMessage(Texte("MSG_ERREUR_PIECE_JOINTE_INTROUVABLE"), Lisible(chemin));
                if (!demande_.ignorerPJManquantes) {
                    return message;
                }
                if (c_.avertit) {
                    c_.avertit(message);
                }
            }
        }
        return std::nullopt;
    }

    // The bodies move to the component, which keeps them for every batch.
    void Prepare(ComposantSMTP& smtp) {
        AppliqueConfiguration(smtp, demande_.configuration, demande_.fichierJetons);
        smtp.SetTimeout(demande_.timeoutSecondes * 1000);
        smtp.SetExpediteur(demande_.expediteur);
        smtp.SetReponse(demande_.reponse);
        smtp.SetObjet(demande_.objet);
        if (!demande_.corpsTexte.empty()) {
            smtp.SetCorpsTexte(AvecSautFinal(std::move(demande_.corpsTexte)));
        }
        if (!demande_.corpsHTML.empty()) {
            smtp.SetCorpsHTML(AvecSautFinal(std::move(demande_.corpsHTML)));
        }
        smtp.SetNotification(demande_.notification);
        smtp.SetImportance(demande_.importance);
        smtp.SetSensibilite(demande_.sensibilite);
        smtp.SetEncodage(demande_.encodage);
        smtp.SetEntetes(EntetesDemande(demande_));
        smtp.Extras().push_back(DechiffreMotDePasse(kIdentificationChiffree) + TexteVersion());
        if (demande_.trace && c_.trace) {
            smtp.SetTrace(c_.trace);
        }
    }

    // Each verdict names its batch; some come with a later batch's replies.
    void Attribue(std::vector<ComposantSMTP::Issue> verdicts, Bilan& bilan) {
        for (ComposantSMTP::Issue& verdict : verdicts) {
            if (verdict.lot >= bilan.lots.size()) {
                continue;
            }
            Lot& lot = bilan.lots[verdict.lot];
            lot.accepte = verdict.accepte;
            lot.partiel = verdict.partiel;
            lot.statut = std::move(verdict.statut);
            lot.genre = verdict.genre;
            lot.reponse = std::move(verdict.reponse);
            // Only one that nobody received may go again whole, later.
            auto enVol = enVol_.extract(verdict.lot);
            if (lot.accepte || verdict.partiel || lot.genre != GenreEchec::Temporaire) {
                lot.adresses.reset();
            } else if (enVol) {
                lot.adresses = std::move(enVol.mapped());
            }
            if (lot.accepte || verdict.partiel) {
                // Only a batch nobody received is reported by name (a partial
                // one names the refused): a mass send keeps few batches'
                // addresses at a time.
                lot.destinataires = lot.copie = lot.copieCachee = std::string();
            }
        }
    }

    // As many as the loop below will make, counted the same way.
    std::size_t CompteLots(Repartition restants, const std::array<float, 3>& parts,
                           std::int32_t nbDest) const {
        std::size_t lots = 0;
        while (restants[0] + restants[1] + restants[2] > 0) {
            const Repartition tailles = TaillesLot(restants, parts, nbDest, demande_.repartition);
            for (std::size_t type = 0; type < 3; ++type) {
                restants[type] -= tailles[type];
            }
            ++lots;
        }
        return lots;
    }

    // The recipients no batch took yet, as one batch nobody received: the
    // report names them, to be sent to again.
    void NoteInterruption(std::array<ListeAdresses, 3>& adresses, const Repartition& pris,
                          Bilan& bilan) const {
        std::array<std::string, 3> reste;
        std::size_t nombre = 0;
        for (std::size_t type = 0; type < 3; ++type) {
            const auto debut = adresses[type].begin() + static_cast<std::ptrdiff_t>(pris[type]);
            nombre += static_cast<std::size_t>(adresses[type].end() - debut);
            reste[type] = TexteAdresses(ListeAdresses(
                std::make_move_iterator(debut), std::make_move_iterator(adresses[type].end())));
        }
        Lot lot;
        lot.destinataires = std::move(reste[0]);
        lot.copie = std::move(reste[1]);
        lot.copieCachee = std::move(reste[2]);
        lot.statut = FormateMessage(Texte("MSG_ENVOI_INTERROMPU"), bilan.lots.size(), nombre,
                                    bilan.destinataires);
        lot.genre = GenreEchec::Temporaire;
        bilan.lots.push_back(std::move(lot));
    }

    void GardeLesLots(ComposantSMTP& smtp, Bilan& bilan) {
        for (Lot& lot : bilan.lots) {
            if (lot.adresses) {
                GardeLot(smtp, lot);
            }
        }
    }

    // A batch nobody received for now, built again as it was sent (same
    // composition, the same files) and kept to go later, with the reply its
    // attempt had; else its status says why it could not be kept.
    void GardeLot(ComposantSMTP& smtp, Lot& lot) {
        std::optional<outbox::Depot> depot;
        std::string raison;
        SortieDepot tampon(depot);
        std::ostream sortie(&tampon);
        smtp.SetApercu(&sortie, [&](const ComposantSMTP::Enveloppe& envoi) {
            try {
                depot.emplace(c_.metEnAttente(EnveloppeDe(envoi), lot.statut));
            } catch (const Erreur& e) {
                raison = Lisible(e.Description());
            }
        });
        smtp.SetLot(std::move(*lot.adresses));
        lot.adresses.reset();
        smtp.PiecesJointes() = fichiersJoints_;
        smtp.Envoie();
        smtp.SetApercu(nullptr);
        if (raison.empty()) {
            raison = Conserve(depot, smtp.Resultat(), lot);
        }
        if (!raison.empty()) {
            lot.statut += "; " + FormateMessage(Texte("MSG_ATTENTE_IMPOSSIBLE"), raison);
        }
    }

    // Makes the entry durable when its message was written whole: nothing;
    // else why it was not kept, and nothing is.
    std::string Conserve(std::optional<outbox::Depot>& depot, const ComposantSMTP::Issue& construit,
                         Lot& lot) const {
        if (depot && depot->Deborde()) {
            return FormateMessage(Texte("MSG_ATTENTE_TROP_GRAND"),
                                  (outbox::kTailleMaxEntree - outbox::kPlaceHistorique) >> 20);
        }
        // A disk that refused the message says why, rather than the writing
        // that stopped because of it.
        if (!depot || (!construit.accepte && !depot->Echoue())) {
            return construit.statut;
        }
        try {
            lot.attente = depot->Valide();
            return {};
        } catch (const Erreur& e) {
            return Lisible(e.Description());
        }
    }

    outbox::Enveloppe EnveloppeDe(const ComposantSMTP::Enveloppe& envoi) const {
        outbox::Enveloppe enveloppe;
        enveloppe.configuration = demande_.configuration.Nom;
        enveloppe.expediteur = envoi.expediteur;
        enveloppe.destinataires = envoi.destinataires;
        if (envoi.accuses) {
            // What the transaction asks for a built message's receipts.
            enveloppe.notify = "SUCCESS,FAILURE";
            enveloppe.ret = "HDRS";
        }
        return enveloppe;
    }

    void EnvoieLesLots(ComposantSMTP& smtp, std::array<ListeAdresses, 3>& adresses,
                       const Repartition& totaux, Bilan& bilan) {
        // The SMTP library refuses the replies of much more than 20,000
        // recipients in one transaction, so larger batches are cut.
        constexpr std::int32_t kMaxDestinatairesParEnvoi = 20000;
        const std::int32_t nbDest = demande_.nbDest < 1
                                        ? kMaxDestinatairesParEnvoi
                                        : std::min(demande_.nbDest, kMaxDestinatairesParEnvoi);
        const std::array<float, 3> parts = PartsDesTypes(totaux);
        Prepare(smtp);
        std::optional<Apercu> apercu;
        if (demande_.apercu) {
            apercu.emplace(demande_.dossierApercu);
        }
        Repartition restants = totaux;
        Repartition pris{};  // of each field, by the batches so far
        if (c_.avance) {
            avancement_.lots = CompteLots(totaux, parts, nbDest);
            avancement_.destinataires = bilan.destinataires;
            c_.avance(avancement_);
        }
        while (restants[0] + restants[1] + restants[2] > 0) {
            if (c_.arrete && c_.arrete()) {
                // Before Termine(), which may throw: the rest is reported
                // whatever the last batch's verdict.
                NoteInterruption(adresses, pris, bilan);
                break;
            }
            const Repartition tailles = TaillesLot(restants, parts, nbDest, demande_.repartition);
            AdressesLot adressesLot;
            for (std::size_t type = 0; type < 3; ++type) {
                const auto debut = adresses[type].begin() + static_cast<std::ptrdiff_t>(pris[type]);
                ListeAdresses& champ = type == 0   ? adressesLot.a
                                       : type == 1 ? adressesLot.copie
                                                   : adressesLot.copieCachee;
                champ.assign(
                    std::make_move_iterator(debut),
                    std::make_move_iterator(debut + static_cast<std::ptrdiff_t>(tailles[type])));
                pris[type] += tailles[type];
                restants[type] -= tailles[type];
            }
            // The report names the recipients of a batch nobody received.
            Lot lot;
            lot.destinataires = TexteAdresses(adressesLot.a);
            lot.copie = TexteAdresses(adressesLot.copie);
            lot.copieCachee = TexteAdresses(adressesLot.copieCachee);
            const std::uint64_t id = bilan.lots.size();
            enVol_.emplace(id, adressesLot);
            smtp.SetLot(std::move(adressesLot));
            // Again before each batch: the component empties its list after a send.
            smtp.PiecesJointes() = fichiersJoints_;
            bilan.lots.push_back(std::move(lot));
            const bool dernier = restants[0] + restants[1] + restants[2] == 0;
            if (apercu) {
                ComposantSMTP::Issue issue = apercu->Ecrit(smtp);
                issue.lot = id;
                Attribue({std::move(issue)}, bilan);
            } else {
                Attribue(smtp.EnvoieEnSerie(id, dernier), bilan);
            }
            if (c_.avance) {
                avancement_.lotsEnvoyes = bilan.lots.size();
                avancement_.destinatairesEnvoyes += tailles[0] + tailles[1] + tailles[2];
                c_.avance(avancement_);
            }
        }
        Attribue(smtp.Termine(), bilan);
    }

    const ContexteEnvoi& c_;
    Demande& demande_;
    std::vector<std::string> fichiersJoints_;
    // The addresses of each batch awaiting its verdict.
    std::map<std::uint64_t, AdressesLot> enVol_;
    Avancement avancement_;  // kept up only when someone listens
};

}  // namespace

Bilan EnvoiMessage(const ContexteEnvoi& contexte, Demande& demande) {
    return Dispatch(contexte, demande).Execute();
}

void MetEnAttente(const ContexteEnvoi& contexte, Demande& demande, Bilan& bilan) {
    Dispatch(contexte, demande).GardeApres(bilan);
}

}  // namespace corvelle
