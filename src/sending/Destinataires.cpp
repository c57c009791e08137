#include "sending/Destinataires.h"

#include <algorithm>
#include <deque>
#include <iterator>
#include <optional>
#include <string_view>
#include <unordered_set>

#include "core/Adresse.h"
#include "core/Chemins.h"
#include "core/Encodage.h"
#include "core/Erreur.h"
#include "core/Listes.h"
#include "core/Plateforme.h"
#include "core/Texte.h"
#include "i18n/Langue.h"
#include "i18n/Traduction.h"
#include "sending/Annuaire.h"
#include "sending/Bilan.h"

namespace corvelle {

namespace {

constexpr std::string_view kPrefixeGroupe = "grp:";
constexpr std::string_view kPrefixeFichier = "fic:";

// A group lookup that failed: unreachable or out of time may pass later; a
// directory that refuses the query, or a group nested too deep or too vast,
// will do so again.
GenreEchec GenreAnnuaire(std::int32_t statut) {
    return statut == kAnnuaireInjoignable || statut == kAnnuaireDelaiDepasse
               ? GenreEchec::Temporaire
               : GenreEchec::Permanent;
}

class Expansion {
  public:
    explicit Expansion(const ContexteExpansion& contexte)
        : c_(contexte),
          suffixeErreur_(" " + contexte.langue.Texte(contexte.ligneCommande
                                                         ? "TXT_FERMETURE_OUTIL"
                                                         : "TXT_ABANDON_ENVOI")) {}

    // Nothing once an error stopped the expansion: what stopped it.
    std::optional<Arret> Developpe(std::deque<std::string>& attente, Liste& resultat) {
        while (!attente.empty()) {
            std::string entree = std::move(attente.front());
            attente.pop_front();
            std::optional<Arret> echec;
            if (entree.starts_with(kPrefixeGroupe)) {
                echec = DeveloppeGroupe(entree.substr(kPrefixeGroupe.size()), attente);
            } else if (entree.starts_with(kPrefixeFichier)) {
                echec = DeveloppeFichier(entree.substr(kPrefixeFichier.size()), attente);
            } else if (std::optional<Liste> parties = Parties(entree);
                       parties && (parties->size() != 1 || parties->front() != entree)) {
                // Shorter each time: "a@x;" gives "a@x", which is kept.
                AjouteEnTete(attente, std::move(*parties));
            } else {
                resultat.push_back(std::move(entree));
            }
            if (echec) {
                return echec;
            }
        }
        return std::nullopt;
    }

  private:
    // A file line or a directory entry holding "a@x; b@x" or "a@x, b@x": each
    // address is counted, compared and batched on its own. A comma cuts only
    // after an address, so that "Dupont, Jean <jd@x.fr>" stays one; neither
    // cuts inside quotes or a (comment). Most entries hold neither, and a mass
    // dispatch reads tens of thousands, so those are not split at all.
    static std::optional<Liste> Parties(const std::string& entree) {
        if (entree.find_first_of(",;") == std::string::npos) {
            return std::nullopt;
        }
        Liste parties;
        std::size_t debut = 0;
        bool arobase = false;  // in the part so far, outside quotes
        LecteurStructure lecteur;
        const auto coupe = [&](std::size_t fin) {
            if (std::string partie = Elague(entree.substr(debut, fin - debut)); !partie.empty()) {
                parties.push_back(std::move(partie));
            }
            debut = fin + 1;
            arobase = false;
        };
        for (std::size_t i = 0; i < entree.size(); ++i) {
            if (!lecteur.Libre(entree, i)) {
                continue;
            }
            const char c = entree[i];
            if (c == '@') {
                arobase = true;
            } else if (c == ';' || (c == ',' && arobase)) {
                coupe(i);
            }
        }
        coupe(entree.size());
        return parties;
    }

    static void AjouteEnTete(std::deque<std::string>& attente, Liste&& entrees) {
        attente.insert(attente.begin(), std::make_move_iterator(entrees.begin()),
                       std::make_move_iterator(entrees.end()));
    }

    Arret Arrete(const std::string& message, Etape etape, GenreEchec genre) const {
        return {etape, {genre, message + suffixeErreur_, {}}};
    }

    void Avertit(const std::string& message) const {
        if (c_.avertit) {
            c_.avertit(message);
        }
    }

    std::string Texte(std::string_view cle) const { return c_.langue.Texte(cle); }

    std::optional<Arret> DeveloppeGroupe(const std::string& groupe,
                                         std::deque<std::string>& attente) {
        if (!c_.annuaire) {
            return Arrete(Texte("MSG_ERREUR_CMD_GRP_SANS_AD"), Etape::Groupes,
                          GenreEchec::Configuration);
        }
        Liste membres;
        const std::int32_t statut =
            c_.annuaire->MembresGroupe(groupe, groupesVus_, membres, c_.suivi);
        if (statut == kGroupeTrouve) {
            AjouteEnTete(attente, std::move(membres));
            return std::nullopt;
        }
        if (statut == kGroupeInconnu) {
            Avertit(FormateMessage(Texte("MSG_ERREUR_GROUPE_INTROUVABLE"), Lisible(groupe)));
            return std::nullopt;
        }
        if (statut == kAnnuaireInjoignable) {
            return Arrete(FormateMessage(Texte("MSG_ERREUR_RECUP_MEMBRES"), Lisible(groupe)),
                          Etape::Groupes, GenreAnnuaire(statut));
        }
        if (statut == kGroupeTropImbrique) {
            return Arrete(FormateMessage(Texte("MSG_ERREUR_GROUPE_IMBRICATION"), Lisible(groupe),
                                         kProfondeurMaxGroupes),
                          Etape::Groupes, GenreAnnuaire(statut));
        }
        if (statut == kGroupeTropVaste) {
            return Arrete(FormateMessage(Texte("MSG_ERREUR_GROUPE_RECHERCHES"), Lisible(groupe),
                                         kRecherchesMaxGroupe),
                          Etape::Groupes, GenreAnnuaire(statut));
        }
        return Arrete(FormateMessage(Texte("MSG_ERREUR_RECUP_MEMBRES2"), statut, Lisible(groupe)),
                      Etape::Groupes, GenreAnnuaire(statut));
    }

    std::optional<Arret> DeveloppeFichier(const std::string& fichier,
                                          std::deque<std::string>& attente) {
        Liste entrees;
        const std::int32_t statut =
            LitFichierDestinataires(c_.dossierCourant, fichiersLus_, fichier, entrees);
        if (statut == -1) {
            AjouteEnTete(attente, std::move(entrees));
            return std::nullopt;
        }
        if (statut == ErrFichierIntrouvable) {
            Avertit(FormateMessage(Texte("MSG_ERREUR_FICHIER_DEST_INTROUVABLE"), Lisible(fichier)));
            return std::nullopt;
        }
        return Arrete(FormateMessage(Texte("MSG_ERREUR_FICHIER_DEST"), statut, Lisible(fichier)),
                      Etape::Destinataires, GenreEchec::Local);
    }

    const ContexteExpansion& c_;
    std::string suffixeErreur_;
    // Groups ("grp:" + name, letter case ignored as the directory does) and
    // files (CleNomFichier of their path) already expanded in this field.
    Collection groupesVus_;
    std::unordered_set<std::string> fichiersLus_;
};

// Sorted entries read into addresses, their mailboxes completed with the
// suffix, each mailbox once (CleAdresse). One written twice in two forms
// ("jean" and "jean@suffix", "jean@SUFFIX") sorts apart, so comparing with the
// previous one alone would send it twice.
ListeAdresses Adresses(Liste entrees, const std::string& suffixe) {
    TrieListe(entrees);
    ListeAdresses adresses;
    std::unordered_set<std::string> vues;
    vues.reserve(entrees.size());
    // Read in place: a mass dispatch reads tens of thousands of lines, each
    // moved, not copied.
    for (std::string& entree : entrees) {
        entree.erase(entree.find_last_not_of(' ') + 1);
        entree.erase(0, entree.find_first_not_of(' '));
        Adresse adresse = LitAdresse(std::move(entree));
        if (adresse.boite.find('@') == std::string::npos) {
            adresse.boite += '@';
            adresse.boite += suffixe;
        }
        if (vues.insert(CleAdresse(adresse.boite)).second) {
            adresses.push_back(std::move(adresse));
        }
    }
    return adresses;
}

}  // namespace

void RetireDoublonsEntreChamps(std::array<ListeAdresses, 3>& champs) {
    if (std::count_if(champs.begin(), champs.end(), [](auto& c) { return !c.empty(); }) < 2) {
        return;  // each field is already without duplicates
    }
    std::unordered_set<std::string> vues;
    for (ListeAdresses& champ : champs) {
        ListeAdresses gardees;
        for (Adresse& adresse : champ) {
            if (vues.insert(CleAdresse(adresse.boite)).second) {
                gardees.push_back(std::move(adresse));
            }
        }
        champ = std::move(gardees);
    }
}

Resultat<ListeAdresses, Arret> ExtraitDestinataires(const ContexteExpansion& contexte,
                                                    const std::string& champ) {
    std::deque<std::string> attente;
    if (!Elague(champ).empty()) {
        const Collection entrees = VersCollection(DecoupeListe(champ));
        attente.assign(entrees.begin(), entrees.end());
    }
    Liste resultat;
    if (std::optional<Arret> echec = Expansion(contexte).Developpe(attente, resultat)) {
        return std::move(*echec);
    }
    return Adresses(std::move(resultat), contexte.suffixe);
}

std::int32_t LitFichierDestinataires(const std::string& dossierCourant,
                                     std::unordered_set<std::string>& lus, const std::string& nom,
                                     Liste& entrees) {
    entrees.clear();
    const std::string nomElague = Elague(nom);
    if (nomElague.empty()) {
        return -1;
    }
    try {
        const std::string chemin = CheminAbsolu(nomElague, dossierCourant);
        if (!lus.insert(CleNomFichier(chemin)).second) {
            return -1;  // read already during this field: ends cycles too
        }
        if (plateforme::FichiersCorrespondants(chemin).empty()) {
            return ErrFichierIntrouvable;
        }
        std::string octets = plateforme::LitOctets(chemin);
        if (octets.empty()) {
            return -1;  // an empty file lists nobody
        }
        const std::string texte = DecodeTexte(std::move(octets));
        // A binary file would give as many garbage addresses as it has lines.
        if (texte.find('\0') != std::string::npos) {
            return ErrFormatFichier;
        }
        // Lines end with CR LF in files from Windows and LF elsewhere. Read
        // in place: a mass dispatch's file holds tens of thousands of lines.
        for (std::string_view reste = texte; !reste.empty();) {
            const std::size_t fin = std::min(reste.find('\n'), reste.size());
            std::string_view ligne = reste.substr(0, fin);
            reste.remove_prefix(std::min(fin + 1, reste.size()));
            if (ligne.ends_with('\r')) {
                ligne.remove_suffix(1);
            }
            const std::size_t debut = ligne.find_first_not_of(' ');
            if (debut != std::string_view::npos) {
                entrees.emplace_back(ligne.substr(debut, ligne.find_last_not_of(' ') - debut + 1));
            }
        }
        return -1;
    } catch (const Erreur& e) {
        entrees.clear();
        return e.Numero();
    }
}

}  // namespace corvelle
