#include "sending/Destinataires.h"

#include <algorithm>
#include <deque>
#include <iterator>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "core/Chemins.h"
#include "core/Dialogue.h"
#include "core/Encodage.h"
#include "core/Erreur.h"
#include "core/EtatProgramme.h"
#include "core/FinProgramme.h"
#include "core/Listes.h"
#include "core/Plateforme.h"
#include "i18n/Traduction.h"
#include "sending/Annuaire.h"
#include "sending/Rapport.h"

namespace corvelle {

namespace {

constexpr std::string_view kPrefixeGroupe = "grp:";
constexpr std::string_view kPrefixeFichier = "fic:";
constexpr int kSortieErreurGroupe = 2;
constexpr int kSortieErreurFichier = 3;

class Expansion {
  public:
    Expansion(EtatProgramme& etat, Dialogue& dialogue)
        : etat_(etat), dialogue_(dialogue), suffixeErreur_(" ") {
        suffixeErreur_ += etat_.Langage.Texte(etat_.ModeLigneCommande ? "TXT_FERMETURE_OUTIL"
                                                                      : "TXT_ABANDON_ENVOI");
    }

    // False once an error stopped the expansion (window mode).
    bool Developpe(std::deque<std::string>& attente, Liste& resultat) {
        while (!attente.empty()) {
            std::string entree = std::move(attente.front());
            attente.pop_front();
            if (entree.starts_with(kPrefixeGroupe)) {
                if (!DeveloppeGroupe(entree.substr(kPrefixeGroupe.size()), attente)) {
                    return false;
                }
            } else if (entree.starts_with(kPrefixeFichier)) {
                if (!DeveloppeFichier(entree.substr(kPrefixeFichier.size()), attente)) {
                    return false;
                }
            } else {
                resultat.push_back(std::move(entree));
            }
        }
        return true;
    }

  private:
    static void AjouteEnTete(std::deque<std::string>& attente, Liste&& entrees) {
        attente.insert(attente.begin(), std::make_move_iterator(entrees.begin()),
                       std::make_move_iterator(entrees.end()));
    }

    // Reports an error that stops the expansion.
    bool Arrete(const std::string& message, int codeSortie) {
        Signale(etat_, dialogue_, message + suffixeErreur_);
        if (etat_.ModeLigneCommande) {
            throw FinProgramme{codeSortie};
        }
        return false;
    }

    bool DeveloppeGroupe(const std::string& groupe, std::deque<std::string>& attente) {
        if (!etat_.Reglages.UtiliserAD || !etat_.ConnexionAD) {
            return Arrete(etat_.Langage.Texte("MSG_ERREUR_CMD_GRP_SANS_AD"), kSortieErreurGroupe);
        }
        Liste membres;
        const std::int32_t statut =
            etat_.ConnexionAD->MembresGroupe(groupe, etat_.DejaVus, membres);
        if (statut == kGroupeTrouve) {
            AjouteEnTete(attente, std::move(membres));
            return true;
        }
        if (statut == kGroupeInconnu) {
            Signale(etat_, dialogue_,
                    FormateMessage(etat_.Langage.Texte("MSG_ERREUR_GROUPE_INTROUVABLE"), groupe));
            return true;
        }
        if (statut == kAnnuaireInjoignable) {
            return Arrete(FormateMessage(etat_.Langage.Texte("MSG_ERREUR_RECUP_MEMBRES"), groupe),
                          kSortieErreurGroupe);
        }
        return Arrete(
            FormateMessage(etat_.Langage.Texte("MSG_ERREUR_RECUP_MEMBRES2"), statut, groupe),
            kSortieErreurGroupe);
    }

    bool DeveloppeFichier(const std::string& fichier, std::deque<std::string>& attente) {
        Liste entrees;
        const std::int32_t statut = LitFichierDestinataires(etat_, fichier, entrees);
        if (statut == -1) {
            AjouteEnTete(attente, std::move(entrees));
            return true;
        }
        if (statut == ErrFichierIntrouvable) {
            Signale(etat_, dialogue_,
                    FormateMessage(etat_.Langage.Texte("MSG_ERREUR_FICHIER_DEST_INTROUVABLE"),
                                   fichier));
            return true;
        }
        return Arrete(
            FormateMessage(etat_.Langage.Texte("MSG_ERREUR_FICHIER_DEST"), statut, fichier),
            kSortieErreurFichier);
    }

    EtatProgramme& etat_;
    Dialogue& dialogue_;
    std::string suffixeErreur_;
};

// Sorted entries completed with the suffix, each address once. An address
// written twice in two forms ("jean" and "jean@suffix") sorts apart, so
// comparing with the previous one alone would send it twice.
Collection Adresses(Liste entrees, const std::string& suffixe) {
    TrieListe(entrees);
    // Completed in place, then told apart through views of them: a mass
    // dispatch reads tens of thousands of lines, each copied once at most.
    for (std::string& entree : entrees) {
        const bool complete = entree.find('@') == std::string::npos;
        entree.erase(entree.find_last_not_of(' ') + 1);
        entree.erase(0, entree.find_first_not_of(' '));
        if (complete) {
            entree += '@';
            entree += suffixe;
        }
    }
    std::vector<bool> premieres(entrees.size());
    std::unordered_set<std::string_view> vues;
    vues.reserve(entrees.size());
    for (std::size_t i = 0; i < entrees.size(); ++i) {
        premieres[i] = vues.insert(entrees[i]).second;
    }
    Collection adresses;
    for (std::size_t i = 0; i < entrees.size(); ++i) {
        if (premieres[i]) {
            adresses.Ajoute(std::move(entrees[i]));
        }
    }
    return adresses;
}

// The mailbox of an entry: what its angle brackets hold, if it has them.
std::string BoiteDe(std::string_view entree) {
    const std::size_t ouvrant = entree.rfind('<');
    if (ouvrant != std::string_view::npos) {
        const std::size_t fermant = entree.find('>', ouvrant);
        entree =
            entree.substr(ouvrant + 1, fermant == std::string_view::npos ? std::string_view::npos
                                                                         : fermant - ouvrant - 1);
    }
    return Minuscules(Elague(entree));
}

}  // namespace

void RetireDoublonsEntreChamps(std::array<Collection, 3>& champs) {
    if (std::count_if(champs.begin(), champs.end(), [](auto& c) { return !c.EstVide(); }) < 2) {
        return;  // each field is already without duplicates
    }
    std::unordered_set<std::string> vues;
    for (Collection& champ : champs) {
        Collection gardees;
        for (const std::string& adresse : champ) {
            if (vues.insert(BoiteDe(adresse)).second) {
                gardees.Ajoute(adresse);
            }
        }
        champ = std::move(gardees);
    }
}

bool ExtraitDestinataires(EtatProgramme& etat, Dialogue& dialogue, const std::string& champ,
                          Collection& sortie) {
    etat.DejaVus = Collection();
    etat.FichiersLus.clear();
    std::deque<std::string> attente;
    if (!Elague(champ).empty()) {
        const Collection entrees = VersCollection(DecoupeListe(champ));
        attente.assign(entrees.begin(), entrees.end());
    }
    Liste resultat;
    if (!Expansion(etat, dialogue).Developpe(attente, resultat)) {
        return false;
    }
    sortie = Adresses(std::move(resultat), etat.Reglages.Suffixe);
    return true;
}

std::int32_t LitFichierDestinataires(EtatProgramme& etat, const std::string& nom, Liste& entrees) {
    entrees.clear();
    const std::string nomElague = Elague(nom);
    if (nomElague.empty()) {
        return -1;
    }
    try {
        const std::string chemin = CheminAbsolu(nomElague, etat.DossierCourant);
        if (!etat.FichiersLus.insert(CleNomFichier(chemin)).second) {
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
