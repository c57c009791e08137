#pragma once

// A group's members over any directory that answers searches a page at a
// time: the paging, the nesting and their bounds. The LDAP library stays
// behind SourcePages, so the rules are tried without a server.

#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "core/Collection.h"
#include "core/Texte.h"
#include "sending/Annuaire.h"

namespace corvelle::annuaire {

struct Entree {
    std::string dn;
    std::map<std::string, std::vector<std::string>> attributs;  // names in lower case

    // The first value of the first attribute present among `noms`.
    [[nodiscard]] std::string Valeur(std::initializer_list<const char*> noms) const;
};

enum class Portee { Base, SousArbre };

struct Recherche {
    std::string racine;
    Portee portee = Portee::SousArbre;
    std::string filtre;
    std::vector<std::string> attributs;
};

// One page of a search's answer, and the cookie that asks for the next one
// (empty on the last page).
struct Page {
    std::vector<Entree> entrees;
    std::string cookie;
};

// A lookup that could not go on: its status (Annuaire.h) and what happened.
struct RechercheInterrompue {
    std::int32_t statut;
    std::string detail;
};

class SourcePages {
  public:
    virtual ~SourcePages() = default;
    // The page that `cookie` asks for (empty: the first). Raises
    // RechercheInterrompue when the search fails.
    virtual Page Cherche(const Recherche& recherche, const std::string& cookie) = 0;
};

// Every entry of a search, page after page, each DN once. A server that
// sends a cookie again, or a page with nothing new, would be asked for ever:
// that interrupts the search as a failed query (kAnnuaireInjoignable).
[[nodiscard]] std::vector<Entree> ChercheTout(SourcePages& source, const Recherche& recherche);

// Annuaire::MembresGroupe over `source`, the groups searched under `base`.
// Nesting deeper than kProfondeurMaxGroupes, or more than
// kRecherchesMaxGroupe searches, ends the lookup with its own status.
// `suivi` is told after each page and once the members are all in.
[[nodiscard]] std::int32_t DeveloppeGroupe(SourcePages& source, const std::string& base,
                                           const std::string& groupe, Collection& dejaVus,
                                           Liste& membres, const SuiviRecherches& suivi = {});

}  // namespace corvelle::annuaire
