#include "sending/annuaire/MembresGroupes.h"

#include <algorithm>
#include <unordered_set>

#include "sending/Annuaire.h"
#include "sending/annuaire/FiltreLDAP.h"

namespace corvelle::annuaire {

std::string Entree::Valeur(std::initializer_list<const char*> noms) const {
    for (const char* nom : noms) {
        const auto it = attributs.find(nom);
        if (it != attributs.end() && !it->second.empty()) {
            return it->second.front();
        }
    }
    return {};
}

std::vector<Entree> ChercheTout(SourcePages& source, const Recherche& recherche) {
    std::vector<Entree> entrees;
    std::unordered_set<std::string> dns;
    std::unordered_set<std::string> cookies;
    std::string cookie;
    while (true) {
        Page page = source.Cherche(recherche, cookie);
        bool nouveau = false;
        for (Entree& entree : page.entrees) {
            if (dns.insert(entree.dn).second) {
                nouveau = true;
                entrees.push_back(std::move(entree));
            }
        }
        if (page.cookie.empty()) {
            return entrees;
        }
        if (!nouveau || !cookies.insert(page.cookie).second) {
            throw RechercheInterrompue{kAnnuaireInjoignable,
                                       "the server's paged results never end"};
        }
        cookie = std::move(page.cookie);
    }
}

namespace {

void TrieParNom(std::vector<Entree>& entrees, std::initializer_list<const char*> noms) {
    std::stable_sort(entrees.begin(), entrees.end(), [&](const Entree& a, const Entree& b) {
        return Minuscules(a.Valeur(noms)) < Minuscules(b.Valeur(noms));
    });
}

// One grp: entry's expansion, nested groups included.
class Expansion {
  public:
    Expansion(SourcePages& source, const std::string& base, Collection& dejaVus, Liste& membres,
              const SuiviRecherches& suivi)
        : compteur_(source, *this, suivi), base_(base), dejaVus_(dejaVus), membres_(membres) {}

    std::int32_t Developpe(const std::string& groupe, int profondeur) {
        const std::string cle = "grp:" + groupe;
        if (dejaVus_.ContientCle(cle)) {
            return kGroupeTrouve;  // expanded already in this field: ends cycles too
        }
        // Each level is a call deeper: a directory whose groups never stop
        // nesting would exhaust the stack.
        if (profondeur > kProfondeurMaxGroupes) {
            throw RechercheInterrompue{kGroupeTropImbrique, "groups nested too deep"};
        }
        dejaVus_.Ajoute("*", cle);

        const std::vector<Entree> groupes =
            Cherche("(sAMAccountName=" + EchappeFiltre(groupe) + ")", {"distinguishedName"});
        if (groupes.empty()) {
            return profondeur == 0 ? kGroupeInconnu : kGroupeTrouve;
        }
        // OpenLDAP has no distinguishedName attribute: the entry's own DN is it.
        std::string dn = groupes.front().Valeur({"distinguishedname"});
        if (dn.empty()) {
            dn = groupes.front().dn;
        }
        const std::string membreDe = "(memberOf=" + EchappeFiltre(dn) + ")";

        std::vector<Entree> utilisateurs =
            Cherche("(&" + membreDe + "(objectClass=user))", {"sAMAccountName", "mail"});
        TrieParNom(utilisateurs, {"samaccountname"});
        for (const Entree& utilisateur : utilisateurs) {
            std::string valeur = utilisateur.Valeur({"mail"});
            if (valeur.empty()) {
                valeur = utilisateur.Valeur({"samaccountname"});
            }
            if (!valeur.empty() && presents_.insert(valeur).second) {
                membres_.push_back(std::move(valeur));
            }
        }

        // A request for "name" comes back as its subtype "cn" from OpenLDAP.
        std::vector<Entree> imbriques = Cherche("(&" + membreDe + "(objectClass=group))", {"name"});
        TrieParNom(imbriques, {"name", "cn"});
        for (const Entree& imbrique : imbriques) {
            const std::string nom = imbrique.Valeur({"name", "cn"});
            if (!nom.empty()) {
                (void)Developpe(nom, profondeur + 1);
            }
        }
        return kGroupeTrouve;
    }

    // The members added since the last call.
    std::size_t Nouveaux() {
        const std::size_t nouveaux = membres_.size() - signales_;
        signales_ = membres_.size();
        return nouveaux;
    }

  private:
    // Every page is one request to the server: bounded per expansion, so
    // that a directory with groups without end cannot keep the send waiting.
    class Compteur final : public SourcePages {
      public:
        Compteur(SourcePages& source, Expansion& expansion, const SuiviRecherches& suivi)
            : source_(source), expansion_(expansion), suivi_(suivi) {}
        Page Cherche(const Recherche& recherche, const std::string& cookie) override {
            if (++recherches_ > kRecherchesMaxGroupe) {
                throw RechercheInterrompue{kGroupeTropVaste, "too many searches"};
            }
            Page page = source_.Cherche(recherche, cookie);
            if (suivi_) {
                suivi_(1, expansion_.Nouveaux());
            }
            return page;
        }

      private:
        SourcePages& source_;
        Expansion& expansion_;
        const SuiviRecherches& suivi_;
        std::int32_t recherches_ = 0;
    };

    std::vector<Entree> Cherche(std::string filtre, std::vector<std::string> attributs) {
        return ChercheTout(compteur_,
                           {base_, Portee::SousArbre, std::move(filtre), std::move(attributs)});
    }

    Compteur compteur_;
    const std::string& base_;
    Collection& dejaVus_;
    Liste& membres_;
    std::unordered_set<std::string> presents_;
    std::size_t signales_ = 0;  // members the listener was told of
};

}  // namespace

std::int32_t DeveloppeGroupe(SourcePages& source, const std::string& base,
                             const std::string& groupe, Collection& dejaVus, Liste& membres,
                             const SuiviRecherches& suivi) {
    membres.clear();
    const std::string nom = Elague(groupe);
    if (nom.empty()) {
        return 0;
    }
    try {
        Expansion expansion(source, base, dejaVus, membres, suivi);
        const std::int32_t statut = expansion.Developpe(nom, 0);
        if (suivi) {
            suivi(0, expansion.Nouveaux());
        }
        return statut;
    } catch (const RechercheInterrompue& e) {
        membres.clear();
        return e.statut;
    }
}

}  // namespace corvelle::annuaire
