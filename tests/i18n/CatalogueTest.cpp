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
}

}  // namespace
}  // namespace corvelle
