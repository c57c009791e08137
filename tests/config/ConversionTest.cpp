#include <gtest/gtest.h>

#include <utility>

#include "config/Conversion.h"
#include "core/Erreur.h"

namespace corvelle {
namespace {

int ErreurDe(auto&& appel) {
    try {
        appel();
    } catch (const Erreur& e) {
        return e.Numero();
    }
    return 0;
}

TEST(Conversion, NombreEnTeteLitLeDebutDuTexte) {
    const std::pair<const char*, double> lignes[] = {
        {"12abc", 12}, {"  -3.5e1x", -35}, {"&H1F", 31},   {"&h1f", 31}, {"&O17", 15},
        {"&O8", 0},    {"abc", 0},         {"", 0},        {"1e", 1},    {"1e+", 1},
        {"+7", 7},     {"-.5E1", -5},      {"1.5D2", 150}, {"\t4", 4},   {"-", 0},
        {".", 0},      {"&", 0},           {"1.2.3", 1.2}, {"1e-999", 0}};
    for (const auto& [texte, attendu] : lignes) {
        EXPECT_DOUBLE_EQ(NombreEnTete(texte), attendu) << texte;
    }
}

TEST(Conversion, EntiersArrondisAuPairDansLeurPlage) {
    const std::pair<double, int> lignes[] = {{2.5, 2}, {3.5, 4},         {-2.5, -2},
                                             {0.5, 0}, {32767.4, 32767}, {-32768.5, -32768}};
    for (const auto& [valeur, attendu] : lignes) {
        EXPECT_EQ(VersEntier16(valeur), attendu) << valeur;
        EXPECT_EQ(VersEntier32(valeur), attendu) << valeur;
    }
    for (double hors : {32768.0, 40000.0, -32769.0, 32767.5}) {
        EXPECT_EQ(ErreurDe([&] { (void)VersEntier16(hors); }), 6) << hors;
    }
    EXPECT_EQ(VersEntier32(2147483647.0), 2147483647);
    EXPECT_EQ(VersEntier32(-2147483648.0), -2147483647 - 1);
    for (double hors : {2147483648.0, -2147483649.0, 2147483647.5}) {
        EXPECT_EQ(ErreurDe([&] { (void)VersEntier32(hors); }), 6) << hors;
    }
    EXPECT_EQ(LitEntier16("12abc"), 12);
    EXPECT_EQ(ErreurDe([] { (void)LitEntier16("40000"); }), 6);
    EXPECT_EQ(ErreurDe([] { (void)LitEntier32("-1e999"); }), 6);
}

TEST(Conversion, BooleensEtNombresStricts) {
    for (const char* vrai : {"-1", "1", " -1 ", "0.5", "&H1"}) {
        EXPECT_TRUE(LitBooleen(vrai)) << vrai;
    }
    for (const char* faux : {"0", "", "vrai", "True", "-0"}) {
        EXPECT_FALSE(LitBooleen(faux)) << faux;
    }
    EXPECT_EQ(EcritBooleen(true) + EcritBooleen(false), "-10");
    EXPECT_EQ(NombreStrict("  -3.5e1 "), -35.0);
    EXPECT_EQ(NombreStrict("&H1F"), 31.0);
    for (const char* refuse : {"12abc", "abc", "", " ", "1e", "-", ".", "&H", "1 2"}) {
        EXPECT_FALSE(NombreStrict(refuse).has_value()) << refuse;
    }
}

}  // namespace
}  // namespace corvelle
