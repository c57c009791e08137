#include <gtest/gtest.h>

#include <filesystem>

#include "config/Profil.h"
#include "i18n/Langue.h"
#include "i18n/TextesIntegres.h"
#include "support/DossierTemporaire.h"

namespace corvelle {
namespace {

using test::EcritFichier;

TEST(Langue, CodeDepuisLaLocale) {
    const std::pair<const char*, int> lignes[] = {
        {"fr_FR.UTF-8", 12}, {"fr_CA", 12}, {"en_GB", 9}, {"en_US@euro", 9}, {"de", 7},
        {"DE_de", 7},        {"C", 9},      {"POSIX", 9}, {"C.UTF-8", 9},    {"pt_BR", 22}};
    for (const auto& [locale, code] : lignes) {
        EXPECT_EQ(CodeLangueDepuisLocale(locale), code) << locale;
    }
}

class ChoixLangue : public ::testing::Test {
  protected:
    void SetUp() override {
        const std::pair<const char*, const char*> fichiers[] = {
            {"b.lng", "CodeLangue=9\nTXT_FORMAT_TEXTE=B"},
            {"a.lng", "CodeLangue=9\nTXT_FORMAT_TEXTE=A"},
            {"0.lng", "CodeLangue=7"},
            {"c.lng.txt", "CodeLangue=16"},
            {"Français.lng", "TXT_FORMAT_TEXTE=jamais lu"}};
        for (const auto& [nom, contenu] : fichiers) {
            EcritFichier(programme_ + "/" + nom, std::string("[Traduction]\n") + contenu + "\n");
        }
    }
    Langue Choisit(const std::string& configuration, std::int16_t code) {
        if (!configuration.empty()) {
            EcritFichier(ini_, "[Configuration]\n" + configuration + "\n");
        }
        return ChoisitLangue(FichierProfil::Charge(ini_), programme_, code);
    }

    test::DossierTemporaire dossier_;
    std::string programme_ = dossier_ / "programme";
    std::string ini_ = dossier_ / "Corvelle.ini";
};

TEST_F(ChoixLangue, CleLangueUtiliseeTelleQuelle) {
    const Langue l = Choisit("Langue=b", 12);
    EXPECT_EQ(l.LangueCourante, "b");
    EXPECT_EQ(l.FichierTraduction, programme_ + "/b.lng");
    EXPECT_EQ(l.Traductions.Count(), kNombreTextesIntegres);
    EXPECT_EQ(l.Traductions.Item(std::size_t{2}), "B");
    EXPECT_EQ(l.Traductions.Item("TXT_FORMAT_MIXTE"), "Texte et HTML");
    // A language whose file has gone shows every text in French.
    const Langue perdue = Choisit("Langue=Klingon", 9);
    EXPECT_EQ(perdue.LangueCourante, "Klingon");
    EXPECT_EQ(perdue.Traductions.Item("TXT_FORMAT_TEXTE"), "Texte seulement");
    EXPECT_FALSE(perdue.AvisPremierDemarrage);
}

TEST_F(ChoixLangue, SystemeFrancaisOuPremierFichierCorrespondant) {
    const Langue francais = Choisit("Langue=", 12);
    EXPECT_EQ(francais.LangueCourante, "Français");
    EXPECT_EQ(francais.FichierTraduction, "");
    EXPECT_EQ(francais.Traductions.Item("TXT_FORMAT_TEXTE"), "Texte seulement");
    // Two files for the same language: the first by name.
    const Langue anglais = Choisit("", 9);
    EXPECT_EQ(anglais.LangueCourante, "a");
    EXPECT_EQ(anglais.FichierTraduction, programme_ + "/a.lng");
    EXPECT_EQ(anglais.Traductions.Item("TXT_FORMAT_TEXTE"), "A");
    EXPECT_EQ(Choisit("", 7).LangueCourante, "0");
    // A language the program does not know matches no file, not one that
    // lacks its CodeLangue.
    EcritFichier(programme_ + "/sans-code.lng", "[Traduction]\n");
    EXPECT_EQ(Choisit("", CodeLangueDepuisLocale("ga_IE")).LangueCourante, "Français");
}

TEST_F(ChoixLangue, AucunFichierCorrespondantFrancaisAvecMessage) {
    const Langue l = Choisit("", 16);
    EXPECT_EQ(l.LangueCourante, "Français");
    EXPECT_EQ(l.FichierTraduction, "");
    EXPECT_TRUE(l.AvisPremierDemarrage);
    // The choice is not stored, so the language is chosen again at the next
    // start; the notice is due only until the settings say it was shown.
    EXPECT_FALSE(std::filesystem::exists(ini_));
    EXPECT_FALSE(Choisit("AvisPremierDémarrage=-1", 16).AvisPremierDemarrage);
    EXPECT_FALSE(Choisit("", 9).AvisPremierDemarrage);
}

TEST(Langue, CatalogueFrancaisDansLOrdreDeLaTable) {
    const Langue avant;  // an error early in start-up still has texts to show
    EXPECT_EQ(avant.Texte("MSG_ERREUR_OBJET"), "Le champ OBJET DU MESSAGE doit être renseigné...");
    EXPECT_EQ(avant.Texte("TXT_INCONNU"), "");

    Langue l;
    ChargeTraductions(l);
    ASSERT_EQ(l.Traductions.Count(), kNombreTextesIntegres);
    for (std::size_t i = 0; i < kTextesIntegres.size(); ++i) {
        const std::string attendu = ConvertitSautsDeLigne(std::string(kTextesIntegres[i].francais));
        EXPECT_EQ(l.Traductions.Item(i + 1), attendu) << kTextesIntegres[i].cle;
        EXPECT_EQ(l.Traductions.Item(kTextesIntegres[i].cle), attendu);
    }
}

}  // namespace
}  // namespace corvelle
