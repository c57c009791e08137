#include <gtest/gtest.h>

#include "core/LigneCommande.h"
#include "core/Version.h"

namespace corvelle {
namespace {

TEST(Version, TexteVersionEtBeta) {
    EXPECT_EQ(TexteVersion(2, 1, 0), "v2.1");
    EXPECT_EQ(TexteVersion(2, 1, 5), "v2.1.5");
    EXPECT_EQ(TexteVersion(2, 10, 99), "v2.10.99");
    // Beta builds spell their number in the revision's digits alone.
    EXPECT_EQ(TexteVersion(7, 7, 1203), "v1.2 beta 3");
    EXPECT_EQ(TexteVersion(7, 7, 1234), "v1.2.3 beta 4");
    EXPECT_EQ(TexteVersion(7, 7, 100), "v0.1 beta 0");
    EXPECT_EQ(TexteVersion(7, 7, 12305), "v1.2.3 beta 5");
    EXPECT_EQ(TitreFenetre(), "Corvelle " + TexteVersion());
    EXPECT_EQ(EstVersionBeta(), TexteVersion().find(" beta ") != std::string::npos);
}

TEST(LigneCommande, ValeursEntreGuillemets) {
    EXPECT_EQ(LigneCommandeDepuisArguments({"/o:Hello world", "/l"}), R"(/o:"Hello world" /l)");
    // A slash would end an unquoted value.
    EXPECT_EQ(LigneCommandeDepuisArguments({"/l:/var/log/x"}), R"(/l:"/var/log/x")");
    EXPECT_EQ(LigneCommandeDepuisArguments({"/s:a:b", "/?"}), R"(/s:"a:b" /?)");
    EXPECT_EQ(LigneCommandeDepuisArguments({"/a:", "libre"}), "/a: libre");
    EXPECT_EQ(LigneCommandeDepuisArguments({}), "");
}

}  // namespace
}  // namespace corvelle
