#include <gtest/gtest.h>

#include "core/Texte.h"

namespace corvelle {
namespace {

TEST(Texte, Placeholder) {
    EXPECT_EQ(Elague("  a "), "a");
}

}  // namespace
}  // namespace corvelle
