#include "sending/annuaire/FiltreLDAP.h"

#include <gtest/gtest.h>

namespace corvelle {
namespace {

// A group name must never change the shape of the filter it is put in.
TEST(FiltreLDAP, SpecialCharactersBecomeEscapes) {
    EXPECT_EQ(EchappeFiltre("Ventes Nord"), "Ventes Nord");
    EXPECT_EQ(EchappeFiltre("Direction d'Agence"), "Direction d'Agence");
    EXPECT_EQ(EchappeFiltre("*)(objectClass=*"), "\\2a\\29\\28objectClass=\\2a");
    EXPECT_EQ(EchappeFiltre("a\\b"), "a\\5cb");
    EXPECT_EQ(EchappeFiltre(std::string("x\0y", 3)), "x\\00y");
    EXPECT_EQ(EchappeFiltre("Équipe été"), "Équipe été");
}

}  // namespace
}  // namespace corvelle
