#include <gtest/gtest.h>

#include "core/Encodage.h"
#include "core/Erreur.h"
#include "support/DossierTemporaire.h"

namespace corvelle {
namespace {

using namespace std::string_literals;

TEST(Encodage, LitFichierTexteSelonLaMarque) {
    test::DossierTemporaire dossier;
    const auto lit = [&](const std::string& octets) {
        test::EcritFichier(dossier / "f", octets);
        return LitFichierTexte(dossier / "f");
    };
    const std::string bom = "\xEF\xBB\xBF";
    EXPECT_EQ(lit("\xFF\xFE"s + "c\0a\0f\0\xE9\0"s), "café");
    EXPECT_EQ(lit("\xFE\xFF"s + "\0c\0a\0f\0\xE9"s), "café");
    EXPECT_EQ(lit("\xFF\xFE=\xD8\x00\xDE"s), "😀");  // surrogate pair
    EXPECT_EQ(lit("\xFF\xFE\x41"), "\uFFFD");       // an odd last byte does not vanish
    EXPECT_EQ(lit("\xFF\xFE"), "ÿþ");               // too short to be a marked file
    EXPECT_EQ(lit("\xFE\xFF"), "þÿ");
    EXPECT_EQ(lit(bom + "café"), "café");
    EXPECT_EQ(lit(bom), "");
    EXPECT_EQ(lit("café"), "café");
    EXPECT_EQ(lit("caf\xE9"), "café");
    EXPECT_EQ(lit("\x80\x8A\x9F"), "€ŠŸ");
    EXPECT_EQ(lit(bom + "caf\xE9"), "café");  // a mark before Windows-1252 text still goes
    test::EcritFichier(dossier / "vide", "");
    EXPECT_THROW((void)LitFichierTexte(dossier / "vide"), Erreur);
    EXPECT_THROW((void)LitFichierTexte(dossier / "absent"), Erreur);
    EXPECT_THROW((void)LitFichierTexte(dossier.Chemin()), Erreur);
}

TEST(Encodage, EstUtf8ValideRejetteLesFormesInterdites) {
    for (const char* valide : {"", "abc", "é", "€", "😀", "\xF4\x8F\xBF\xBF"}) {
        EXPECT_TRUE(EstUtf8Valide(valide)) << valide;
    }
    // Overlong forms, surrogates, values past U+10FFFF, truncated and stray bytes.
    for (const char* invalide :
         {"\xC0\xAF", "\xC1\xBF", "\xE0\x80\xAF", "\xF0\x82\x82\xAC", "\xED\xA0\x80",
          "\xED\xBF\xBF", "\xF4\x90\x80\x80", "\xF5\x80\x80\x80", "\xC3", "a\xE2\x82",
          "\xF0\x9F\x98", "\x80", "\xC3\x28", "\xFF", "\xF8\x88\x80\x80\x80"}) {
        EXPECT_FALSE(EstUtf8Valide(invalide)) << testing::PrintToString(std::string(invalide));
    }
}

}  // namespace
}  // namespace corvelle
