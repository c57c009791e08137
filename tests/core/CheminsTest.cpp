#include <gtest/gtest.h>

#include <filesystem>

#include "core/Chemins.h"
#include "support/DossierTemporaire.h"

namespace corvelle {
namespace {

TEST(Chemins, BarreFinaleEtDossier) {
    EXPECT_EQ(AjouteBarre("/x/"), "/x/");
    EXPECT_EQ(AjouteBarre("/x"), "/x/");
    EXPECT_EQ(AjouteBarre(""), "/");
    EXPECT_EQ(ExtraitDossier("/a/b/f.txt"), "/a/b/");
    EXPECT_EQ(ExtraitDossier("f.txt"), "");
}

TEST(Chemins, CheminAbsoluEtRelatif) {
    EXPECT_EQ(CheminAbsolu("d.txt", "/w"), "/w/d.txt");
    EXPECT_EQ(CheminAbsolu("sub/d.txt", "/w/"), "/w/sub/d.txt");
    EXPECT_EQ(CheminAbsolu(".cache", "/w"), "/w/.cache");
    EXPECT_EQ(CheminAbsolu("..x", "/w"), "/w/..x");
    for (const char* ancre : {"/x", "./x", "../x", ""}) {
        EXPECT_EQ(CheminAbsolu(ancre, "/w"), ancre);
    }
    EXPECT_EQ(CheminRelatif("/W/Sub/f.txt", "/W"), "Sub/f.txt");
    EXPECT_EQ(CheminRelatif("/w/sub/f.txt", "/w/"), "sub/f.txt");
    // Another folder where names keep their letter case.
    EXPECT_EQ(CheminRelatif("/W/f.txt", "/w"), "/W/f.txt");
    EXPECT_EQ(CheminRelatif("/Été/f", "/été"), "/Été/f");
    EXPECT_EQ(CheminRelatif("/wx/f.txt", "/w"), "/wx/f.txt");  // a sibling is not inside
    EXPECT_EQ(CheminRelatif("/w", "/w"), "/w");
    EXPECT_EQ(CheminRelatif("", "/w"), "");
}

TEST(Chemins, ExisteFichierSelonLeMasque) {
    test::DossierTemporaire dossier;
    const std::string fichier = dossier / "f.txt";
    const std::string cache = dossier / ".cache";
    const std::string protege = dossier / "protege.txt";
    for (const std::string& chemin : {fichier, cache, protege}) {
        test::EcritFichier(chemin, "x");
    }
    std::filesystem::permissions(protege, std::filesystem::perms::owner_read);

    EXPECT_TRUE(ExisteFichier(fichier, 0));
    EXPECT_FALSE(ExisteFichier(fichier, 16));
    EXPECT_FALSE(ExisteFichier(dossier.Chemin(), 0));
    EXPECT_TRUE(ExisteFichier(dossier.Chemin(), 16));
    EXPECT_FALSE(ExisteFichier(dossier / "absent", 0));
    EXPECT_FALSE(ExisteFichier(dossier / "absent", 16));
    EXPECT_FALSE(ExisteFichier(fichier + "/sous", 0));
    EXPECT_FALSE(ExisteFichier(std::string(10000, 'a'), 0));
    EXPECT_TRUE(ExisteFichier(cache, 2));
    EXPECT_FALSE(ExisteFichier(fichier, 2));
    EXPECT_TRUE(ExisteFichier(protege, 1));
    EXPECT_FALSE(ExisteFichier(fichier, 1));
}

}  // namespace
}  // namespace corvelle
