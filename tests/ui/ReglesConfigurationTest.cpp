// The rules of the settings window and the SMTP list, without any widget.
// List rows are letters, a selected one in lower case.

#include <gtest/gtest.h>

#include <cctype>

#include "config/ConfigSMTP.h"
#include "config/Parametres.h"
#include "ui/config/OperationsListe.h"
#include "ui/config/ReglesConfiguration.h"

namespace corvelle::test {
namespace {

using namespace ui;

TEST(ReglesConfiguration, RestartOnlyWhenTheSearchIsOnAndItsAccessChangedOrWasAskedFor) {
    Parametres stockes;
    stockes.UtiliserAD = true;
    stockes.AccesAD = 1;
    stockes.AccesADLogin = "jean";
    const SaisieAnnuaire meme{true, 1, "", "jean", ""};
    EXPECT_FALSE(AnnuaireDemandeRedemarrage(meme, stockes, false));
    EXPECT_TRUE(AnnuaireDemandeRedemarrage(meme, stockes, true));  // start-up asked for it
    for (SaisieAnnuaire change : {SaisieAnnuaire{true, 2, "", "jean", ""},
                                  {true, 1, "ad", "jean", ""},
                                  {true, 1, "", "paul", ""},
                                  {true, 1, "", "jean", "x"}}) {
        EXPECT_TRUE(AnnuaireDemandeRedemarrage(change, stockes, false));
        change.utiliser = false;  // turning the search off never needs one
        EXPECT_FALSE(AnnuaireDemandeRedemarrage(change, stockes, true));
    }
    stockes.UtiliserAD = false;
    EXPECT_TRUE(AnnuaireDemandeRedemarrage(meme, stockes, false));  // turned on
}

SelectionLignes Selection(const std::string& lignes) {
    SelectionLignes selection;
    for (const char c : lignes) {
        selection.push_back(std::islower(static_cast<unsigned char>(c)) != 0);
    }
    return selection;
}

// The rows once the jumps have run, in their order.
std::string Deplace(std::string lignes, const std::vector<Saut>& sauts) {
    for (const Saut& saut : sauts) {
        const char ligne = lignes.at(saut.depuis);
        lignes.erase(saut.depuis, 1);
        lignes.insert(saut.vers, 1, ligne);
    }
    return lignes;
}

TEST(OperationsListe, ButtonsRemovalAndMovesFollowTheSelection) {
    // Modifier, Supprimer, Monter, Descendre: '1' when they apply.
    for (const auto& [lignes, attendus] :
         {std::pair{"ABCD", "...."}, {"AbcD", ".111"}, {"aBCD", "11.1"}, {"ABCd", "111."}}) {
        const BoutonsListe b = BoutonsSelon(Selection(lignes));
        std::string actifs;
        for (const bool actif : {b.modifier, b.supprimer, b.monter, b.descendre}) {
            actifs += actif ? '1' : '.';
        }
        EXPECT_EQ(actifs, attendus) << lignes;
    }
    // The row that took the topmost removed place, or the new last one.
    EXPECT_EQ(LigneApresSuppression(Selection("ABCde")), 2u);
    EXPECT_EQ(LigneApresSuppression(Selection("AbCdE")), 1u);
    EXPECT_FALSE(LigneApresSuppression(Selection("ace")).has_value());
    EXPECT_FALSE(LigneApresSuppression(Selection("ABC")).has_value());
    // A block moves as a whole; separate blocks each jump the row next to them.
    EXPECT_EQ(Deplace("AbcD", SautsMonter(Selection("AbcD"))), "bcAD");
    EXPECT_EQ(Deplace("bcAD", SautsDescendre(Selection("bcAD"))), "AbcD");
    EXPECT_EQ(Deplace("AbCde", SautsMonter(Selection("AbCde"))), "bAdeC");
    EXPECT_EQ(Deplace("aBcD", SautsDescendre(Selection("aBcD"))), "BaDc");
}

}  // namespace
}  // namespace corvelle::test
