#include <gtest/gtest.h>

#include "config/MotDePasse.h"
#include "core/Encodage.h"

namespace corvelle {
namespace {

// The stored form computed straight from the rule, with signed arithmetic so
// that keys wrap as the rule says once a text has more than 256 bytes.
std::string Reference(std::string_view clair) {
    const int n = static_cast<int>(clair.size());
    std::string stocke;
    for (int j = 1; j <= n; ++j) {
        const int b = static_cast<unsigned char>(clair[static_cast<std::size_t>(j - 1)]);
        const int x = (((b & 0x0F) << 4) | (b >> 4)) ^ (((255 - (n - j)) % 256 + 256) % 256);
        stocke += "0123456789ABCDEF"[x >> 4];
        stocke += "0123456789ABCDEF"[x & 0x0F];
    }
    return stocke;
}

TEST(MotDePasse, ValeursConnuesEtAllersRetours) {
    // "ab": 0x61 swaps to 0x16, XOR 254 = E8; 0x62 swaps to 0x26, XOR 255 = D9.
    EXPECT_EQ(ChiffreMotDePasse("ab"), "E8D9");
    EXPECT_EQ(DechiffreMotDePasse("e8d9"), "ab");
    // "é" is C3 A9 in UTF-8: 3C XOR FE = C2, 9A XOR FF = 65.
    EXPECT_EQ(ChiffreMotDePasse("é"), "C265");
    EXPECT_EQ(ChiffreMotDePasse("") + DechiffreMotDePasse(""), "");
    // The keys depend on the length: a shared prefix is not enciphered alike.
    EXPECT_NE(ChiffreMotDePasse("abc").substr(0, 4), ChiffreMotDePasse("ab"));

    std::string tousLesOctets;
    for (int c = 1; c < 128; ++c) {
        tousLesOctets += static_cast<char>(c);
    }
    std::string long300;
    for (int i = 0; i < 50; ++i) {
        long300 += "aéZ€";
    }
    for (const std::string& clair : {std::string("Mot de passe accentué : àçéèêëîôù"),
                                     std::string("€ ∑ 日本 ' \" ; ="), tousLesOctets, long300}) {
        const std::string stocke = ChiffreMotDePasse(clair);
        EXPECT_EQ(stocke, Reference(clair)) << clair;
        EXPECT_EQ(DechiffreMotDePasse(stocke), clair) << clair;
    }
}

TEST(MotDePasse, AncienStockageWindows1252EtTexteQuelconque) {
    // One byte, key 255: 0xE9 (é) swaps to 9E, XOR FF = 61; 0x80 (€) gives F7.
    EXPECT_EQ(DechiffreMotDePasse("61"), "é");
    EXPECT_EQ(DechiffreMotDePasse("F7"), "€");
    EXPECT_EQ(DechiffreMotDePasse(Reference("caf\xE9")), "café");
    for (const char* stocke : {"zz", "E8D", "xyz1", "é!", "G0G0G0"}) {
        std::string clair;
        EXPECT_NO_THROW(clair = DechiffreMotDePasse(stocke)) << stocke;
        EXPECT_TRUE(EstUtf8Valide(clair)) << stocke;
    }
}

}  // namespace
}  // namespace corvelle
