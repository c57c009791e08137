// Group lookups against directories in memory that misbehave as servers can:
// pages without end, groups without end.

#include "sending/annuaire/MembresGroupes.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

#include "sending/Annuaire.h"

namespace corvelle::annuaire {
namespace {

using Repond = std::function<Page(const Recherche&, const std::string& cookie)>;

// Answers with `repond`; a lookup that would go on for ever fails the test
// instead of hanging it.
class AnnuaireFactice final : public SourcePages {
  public:
    explicit AnnuaireFactice(Repond repond) : repond_(std::move(repond)) {}
    Page Cherche(const Recherche& recherche, const std::string& cookie) override {
        if (++recherches > 100000) {
            throw std::runtime_error("the lookup never ends");
        }
        return repond_(recherche, cookie);
    }
    int recherches = 0;

  private:
    Repond repond_;
};

Entree Nomme(const std::string& nom) {
    return {"cn=" + nom, {{"cn", {nom}}, {"samaccountname", {nom}}}};
}

std::int32_t StatutDe(SourcePages& source) {
    try {
        (void)ChercheTout(source, {});
    } catch (const RechercheInterrompue& e) {
        return e.statut;
    }
    return kGroupeTrouve;
}

TEST(MembresGroupes, AServerWhosePagesNeverEndIsAFailedQuery) {
    int n = 0;
    const Repond sansFin[] = {
        // The same cookie for ever, with nothing.
        [](const Recherche&, const std::string&) {
            return Page{{}, "encore"};
        },
        // A new cookie each time, with nothing.
        [&n](const Recherche&, const std::string&) {
            return Page{{}, std::to_string(++n)};
        },
        // A new cookie each time, with the same entry again.
        [&n](const Recherche&, const std::string&) {
            return Page{{Nomme("a")}, std::to_string(++n)};
        },
        // New entries, the same cookie.
        [&n](const Recherche&, const std::string&) {
            return Page{{Nomme(std::to_string(++n))}, "encore"};
        },
    };
    for (const Repond& repond : sansFin) {
        AnnuaireFactice annuaire(repond);
        EXPECT_EQ(StatutDe(annuaire), kAnnuaireInjoignable);
        EXPECT_LE(annuaire.recherches, 2);
    }
}

// Group "<n>" holds the user "u<n>" and the groups `imbriques(n)` names.
Repond Groupes(std::function<std::vector<std::string>(const std::string&)> imbriques) {
    return [imbriques](const Recherche& r, const std::string&) {
        const std::size_t debut = r.filtre.find("=cn=");
        if (debut == std::string::npos) {  // the group itself, by name
            const std::string nom = r.filtre.substr(16, r.filtre.size() - 17);
            return Page{{Nomme(nom)}, ""};
        }
        const std::string groupe = r.filtre.substr(debut + 4, r.filtre.find(')') - debut - 4);
        Page page;
        if (r.filtre.ends_with("(objectClass=user))")) {
            page.entrees.push_back(Nomme("u" + groupe));
        } else {
            for (const std::string& nom : imbriques(groupe)) {
                page.entrees.push_back(Nomme(nom));
            }
        }
        return page;
    };
}

TEST(MembresGroupes, GroupsWithoutEndAreCutShortWithTheirOwnStatus) {
    // One more nested group at every level: it once recursed until the stack overflowed.
    AnnuaireFactice chaine(Groupes(
        [](const std::string& n) { return std::vector{std::to_string(std::stoi(n) + 1)}; }));
    Collection vus;
    Liste membres;
    EXPECT_EQ(DeveloppeGroupe(chaine, "dc=x", "0", vus, membres), kGroupeTropImbrique);
    EXPECT_TRUE(membres.empty());

    // Wide rather than deep: thousands of nested groups, each a few searches.
    AnnuaireFactice large(Groupes([](const std::string& n) {
        std::vector<std::string> noms;
        for (int i = 1; n == "0" && i <= kRecherchesMaxGroupe; ++i) {
            noms.push_back(std::to_string(i));
        }
        return noms;
    }));
    Collection vus2;
    EXPECT_EQ(DeveloppeGroupe(large, "dc=x", "0", vus2, membres), kGroupeTropVaste);
    EXPECT_EQ(large.recherches, kRecherchesMaxGroupe);
}

TEST(MembresGroupes, TheListenerCountsEverySearchAndEveryMemberOnce) {
    // Group 0 holds three groups; each of the four holds one user.
    AnnuaireFactice arbre(Groupes([](const std::string& n) {
        return n == "0" ? std::vector<std::string>{"1", "2", "3"} : std::vector<std::string>{};
    }));
    std::size_t recherches = 0;
    std::size_t trouves = 0;
    Collection vus;
    Liste membres;
    EXPECT_EQ(DeveloppeGroupe(arbre, "dc=x", "0", vus, membres,
                              [&](std::size_t r, std::size_t m) {
                                  recherches += r;
                                  trouves += m;
                              }),
              kGroupeTrouve);
    EXPECT_EQ(recherches, static_cast<std::size_t>(arbre.recherches));
    EXPECT_EQ(trouves, 4u);
    EXPECT_EQ(membres.size(), 4u);
}

}  // namespace
}  // namespace corvelle::annuaire
