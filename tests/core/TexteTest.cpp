#include <gtest/gtest.h>

#include "core/Erreur.h"
#include "core/Texte.h"

namespace corvelle {
namespace {

constexpr auto kExacte = Comparaison::Exacte;
constexpr auto kTexte = Comparaison::Texte;

TEST(Texte, RemplaceNeRelitJamaisCeQuIlAInsere) {
    EXPECT_EQ(Remplace("l'a'b", "'", "''"), "l''a''b");  // LDAP values: each quote doubled once
    EXPECT_EQ(Remplace("'''", "'", "''"), "''''''");
    EXPECT_EQ(Remplace("aa", "a", "aa"), "aaaa");
    EXPECT_EQ(Remplace("xxxx", "xx", "y"), "yy");
    EXPECT_EQ(Remplace("a.b.c", ".", "-", 3), "a.b-c");
    EXPECT_EQ(Remplace("Été été ÉTÉ", "été", "x", 1, kTexte), "x x x");
    EXPECT_EQ(Remplace("Été été ÉTÉ", "été", "x", 1, kExacte), "Été x ÉTÉ");
    EXPECT_EQ(Remplace("ÀB àb", "àb", "àbàb", 1, kTexte), "àbàb àbàb");
    EXPECT_EQ(Remplace("aAaA", "aa", "a", 1, kTexte), "aa");
    EXPECT_EQ(Remplace("xÉtéÉTÉ", "été", "", 2, kTexte), "x");

    // Thousands of matches: this once searched the whole text again, lower-
    // cased anew, after each one, which never finished on a large body.
    std::string breaks;
    std::string attendu;
    for (int i = 0; i < 100000; ++i) {
        breaks += "<Br>§";
        attendu += "\r\n§";
    }
    EXPECT_EQ(Remplace(breaks, "<bR>", "\r\n", 1, kTexte), attendu);
    EXPECT_EQ(Remplace(attendu, "§", "", 1, kExacte).size(), 200000u);
}

TEST(Texte, DecoupeGardeLeResteDansLaDernierePiece) {
    EXPECT_EQ(Decoupe("a,b,c", ",", 2), (Liste{"a", "b,c"}));
    EXPECT_EQ(Decoupe("a,b,c", ",", -1), (Liste{"a", "b", "c"}));
    EXPECT_EQ(Decoupe("a,b", ",", 1), Liste{"a,b"});
    EXPECT_EQ(Decoupe("", ","), Liste{""});
    EXPECT_EQ(Decoupe("a,", ","), (Liste{"a", ""}));
    EXPECT_EQ(Decoupe(",a", ","), (Liste{"", "a"}));
    EXPECT_EQ(Decoupe("a\r\n\r\nb", "\r\n"), (Liste{"a", "", "b"}));
    EXPECT_EQ(Decoupe("aXbxc", "x", -1, kExacte), (Liste{"aXb", "c"}));
    EXPECT_EQ(Decoupe("aXbxc", "x", -1, kTexte), (Liste{"a", "b", "c"}));
    EXPECT_EQ(Decoupe("1ÉTÉ2été3", "été", -1, kTexte), (Liste{"1", "2", "3"}));
    try {
        (void)Decoupe("a,b", ",", 0);
        ADD_FAILURE() << "limit 0 accepted";
    } catch (const Erreur& e) {
        EXPECT_EQ(e.Numero(), 9);
    }
}

TEST(Texte, JointNAjouteLeSeparateurQuApresDuTexte) {
    EXPECT_EQ(Joint({"", "a"}, ","), "a");
    EXPECT_EQ(Joint({"a", ""}, ","), "a,");
    EXPECT_EQ(Joint({"", "a", "", "b"}, ","), "a,,b");
    EXPECT_EQ(Joint({"", ""}, ","), "");
}

TEST(Texte, ArronditEloigneLesMoitiesDeZero) {
    EXPECT_DOUBLE_EQ(Arrondit(2.5, 0), 3);
    EXPECT_DOUBLE_EQ(Arrondit(-2.5, 0), -3);
    EXPECT_DOUBLE_EQ(Arrondit(0.125, 2), 0.13);  // exact in binary: ties-to-even would give 0.12
    EXPECT_DOUBLE_EQ(Arrondit(1.234, 2), 1.23);
    EXPECT_DOUBLE_EQ(Arrondit(1.005, 2), 1.01);
    EXPECT_DOUBLE_EQ(Arrondit(-1.005, 2), -1.01);
    EXPECT_DOUBLE_EQ(Arrondit(99.996, 2), 100);
    EXPECT_DOUBLE_EQ(Arrondit(1234.5, -2), 1235);
    EXPECT_DOUBLE_EQ(Arrondit(0, 2), 0);
}

TEST(Texte, MinusculesGardeLaLongueurEnOctets) {
    // Positions found in the lower-case copy are used in the original.
    const std::pair<const char*, const char*> cas[] = {
        {"ABC xyz", "abc xyz"}, {"ÀÉÎÕÜÞ", "àéîõüþ"}, {"Ÿ", "ÿ"},       {"ĄĲŁŊŻŽ", "ąĳłŋżž"},
        {"ΣΩΫ", "σωϋ"},         {"ДЁЯ", "дёя"},       {"×ß€😀", "×ß€😀"},
    };
    for (const auto& [texte, attendu] : cas) {
        EXPECT_EQ(Minuscules(texte), attendu);
        EXPECT_EQ(Minuscules(texte).size(), std::string_view(texte).size()) << texte;
    }
    EXPECT_TRUE(EgauxSansCasse("ÉLODIE", "élodie"));
    EXPECT_FALSE(EgauxSansCasse("e", "é"));
    EXPECT_EQ(Elague("  \ta b\t  "), "\ta b\t");  // spaces only
}

// A server's reply or a typed value reaches the log and the terminal: neither
// a second record nor an escape sequence may get through.
TEST(Texte, LisibleEchappeChaqueCaractereDeControle) {
    using namespace std::literals;
    constexpr auto kEchappes = SautsDeLigne::Echappes;
    constexpr auto kGardes = SautsDeLigne::Gardes;
    const struct {
        std::string_view texte;
        SautsDeLigne sauts;
        std::string_view attendu;
    } cas[] = {
        {"550 \x1b]2;titre\x07\x1b[2J", kEchappes, R"(550 \x1B]2;titre\x07\x1B[2J)"},
        {"x\n01/01/2020 00:00:00 : envoy\xc3\xa9", kEchappes, R"(x\n01/01/2020 00:00:00 : envoyé)"},
        {"a\r\nb\tc\x7f\x00"sv, kEchappes, R"(a\r\nb\tc\x7F\x00)"},
        {"a\r\n - b", kGardes, "a\r\n - b"},
        // Alone, a CR or LF is no line break of ours: it came with a value.
        {"a\nb\rc\r", kGardes, R"(a\nb\rc\r)"},
        // Bytes that are not UTF-8 (garbage, a cut character) keep the
        // output text.
        {"\xff\xfe ok \xc3", kEchappes, R"(\xFF\xFE ok \xC3)"},
        // C1 controls in UTF-8 (U+009B starts a sequence); other two-byte
        // characters and backslashes stay.
        {"\xc2\x9b"
         "2J \xc2\x85 \xc2\xa0 \\n",
         kEchappes, "\\u009B2J \\u0085 \xc2\xa0 \\n"},
    };
    for (const auto& [texte, sauts, attendu] : cas) {
        EXPECT_EQ(Lisible(texte, sauts), attendu) << texte;
    }
}

}  // namespace
}  // namespace corvelle
