#include <gtest/gtest.h>

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

}  // namespace
}  // namespace corvelle
