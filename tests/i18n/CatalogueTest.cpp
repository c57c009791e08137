#include <gtest/gtest.h>

#include <vector>

#include "core/Erreur.h"
#include "i18n/Catalogue.h"

namespace corvelle {
namespace {

TEST(Catalogue, ClesSansCasseOrdreDInsertionEtRetrait) {
    colTraductions c;
    EXPECT_EQ(c.Add("TXT_B", "bé"), "");
    c.Add("TraductionIncomplète", "incomplète");
    c.Add("txt_a", "a");
    EXPECT_EQ(c.Item("txt_b") + c.Item("TRADUCTIONINCOMPLÈTE") + c.Item(std::size_t{3}),
              "béincomplètea");
    EXPECT_EQ(std::vector<std::string>(c.begin(), c.end()),
              (std::vector<std::string>{"bé", "incomplète", "a"}));
    EXPECT_EQ(c.Item(std::size_t{0}) + c.Item(std::size_t{4}) + c.Item("TXT_INCONNU"), "");
    try {
        c.Add("Txt_A", "autre");
        ADD_FAILURE() << "duplicate key accepted";
    } catch (const Erreur& e) {
        EXPECT_EQ(e.Numero(), 457);
    }
    EXPECT_EQ(c.Item("TXT_A"), "a");

    // Removing shifts the positions after it and frees the key.
    c.Remove("TXT_b");
    EXPECT_EQ(c.Count(), 2u);
    EXPECT_EQ(c.Item("TXT_B"), "");
    EXPECT_EQ(c.Item(std::size_t{2}) + c.Item("txt_a"), "aa");
    EXPECT_THROW(c.Remove("TXT_B"), Erreur);
    c.Add("TXT_B", "de retour");
    EXPECT_EQ(c.Item(std::size_t{3}), "de retour");
}

}  // namespace
}  // namespace corvelle
