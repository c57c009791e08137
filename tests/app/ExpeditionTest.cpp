// The outbox runner's own rules, without a relay.

#include <gtest/gtest.h>

#include "app/Expedition.h"

namespace corvelle {
namespace {

TEST(Expedition, AWindowInFlightIsBoundedInMessagesAndInBytes) {
    constexpr std::size_t kMio = std::size_t{1} << 20;
    EXPECT_FALSE(VideFenetreAvant(7, 7 * 1024, 1024));
    EXPECT_TRUE(VideFenetreAvant(8, 8 * 1024, 1024));
    // Three big entries are already too many to hold at once.
    EXPECT_FALSE(VideFenetreAvant(2, 40 * kMio, 20 * kMio));
    EXPECT_TRUE(VideFenetreAvant(3, 60 * kMio, 20 * kMio));
    // One alone goes, however big: the size cap bounds it.
    EXPECT_FALSE(VideFenetreAvant(0, 0, 250 * kMio));
}

}  // namespace
}  // namespace corvelle
