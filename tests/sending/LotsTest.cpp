#include "sending/Lots.h"

#include <gtest/gtest.h>

#include <vector>

namespace corvelle {
namespace {

// Every batch of one dispatch, as (To, copy, blind copy) sizes.
std::vector<Repartition> Lots(Repartition totaux, std::int32_t nbDest, bool repartition) {
    const auto parts = PartsDesTypes(totaux);
    std::vector<Repartition> lots;
    while (totaux[0] + totaux[1] + totaux[2] > 0 && lots.size() < 10000) {
        const Repartition lot = TaillesLot(totaux, parts, nbDest, repartition);
        for (std::size_t t = 0; t < 3; ++t) {
            EXPECT_LE(lot[t], totaux[t]);
            totaux[t] -= lot[t];
        }
        lots.push_back(lot);
    }
    return lots;
}

TEST(Lots, WorkedExamples) {
    using L = std::vector<Repartition>;
    // Shares 0.75 and 0.25 round to 8 + 3; one To address gives way.
    EXPECT_EQ(Lots({15, 5, 0}, 10, true), (L{{7, 3, 0}, {8, 2, 0}}));
    EXPECT_EQ(Lots({15, 5, 3}, 10, false), (L{{10, 0, 0}, {5, 0, 0}, {0, 5, 3}}));
    // Blind copies fill a short batch first, then copies.
    EXPECT_EQ(Lots({1, 1, 19}, 10, true), (L{{0, 0, 10}, {0, 1, 9}, {1, 0, 0}}));
    EXPECT_EQ(Lots({15, 5, 3}, 0, true), (L{{15, 5, 3}}));
    EXPECT_EQ(Lots({3, 0, 0}, 1, true), (L{{1, 0, 0}, {1, 0, 0}, {1, 0, 0}}));
    EXPECT_EQ(Lots({6, 4, 0}, 10, true), (L{{6, 4, 0}}));
}

TEST(Lots, EveryAddressGoesOnceAndNoBatchExceedsTheLimit) {
    for (const Repartition totaux : {Repartition{997, 13, 1}, Repartition{1, 1000, 3},
                                     Repartition{0, 0, 7}, Repartition{33, 33, 34}}) {
        for (const std::int32_t nbDest : {1, 2, 7, 10, 100}) {
            for (const bool repartition : {true, false}) {
                std::size_t envoyes = 0;
                for (const Repartition& lot : Lots(totaux, nbDest, repartition)) {
                    const std::size_t taille = lot[0] + lot[1] + lot[2];
                    EXPECT_GE(taille, 1u);
                    EXPECT_LE(taille, static_cast<std::size_t>(nbDest));
                    envoyes += taille;
                }
                EXPECT_EQ(envoyes, totaux[0] + totaux[1] + totaux[2]);
            }
        }
    }
}

}  // namespace
}  // namespace corvelle
