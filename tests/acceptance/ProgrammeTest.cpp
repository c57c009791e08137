// The real program, copied into a fresh folder and run the way a script runs
// it: no display, a chosen locale, its output and exit code read back.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/DossierTemporaire.h"

namespace corvelle {
namespace {

using test::DossierTemporaire;
using test::EcritFichier;
using test::LitFichier;

struct Execution {
    int code = -1;
    std::string sortie;
    std::string erreurs;
};

class Programme : public ::testing::Test {
  protected:
    DossierTemporaire dossier;
    std::string binaire = dossier / "corvelle";

    void SetUp() override { std::filesystem::copy_file(CORVELLE_EXECUTABLE, binaire); }

    static std::string Cite(const std::string& texte) {
        std::string cite = "'";
        for (const char c : texte) {
            cite += c == '\'' ? std::string("'\\''") : std::string(1, c);
        }
        return cite + "'";
    }

    Execution Lance(const std::vector<std::string>& arguments,
                    const std::string& langue = "fr_FR.UTF-8", const std::string& avant = "") {
        std::string commande = "cd " + Cite(dossier.Chemin()) +
                               " && env -i PATH=/usr/bin:/bin HOME=" + Cite(dossier / "maison") +
                               " LANG=" + langue + " " + avant + Cite(binaire);
        for (const std::string& argument : arguments) {
            commande += " " + Cite(argument);
        }
        commande += " >" + Cite(dossier / "sortie.txt") + " 2>" + Cite(dossier / "erreurs.txt");
        const int statut = std::system(commande.c_str());
        Execution execution;
        execution.code = WIFEXITED(statut) ? WEXITSTATUS(statut) : -1;
        execution.sortie = LitFichier(dossier / "sortie.txt");
        execution.erreurs = LitFichier(dossier / "erreurs.txt");
        return execution;
    }
};

TEST_F(Programme, FirstStartInAnEmptyFolderCreatesAUserOnlyConfiguration) {
    // No body: the run stops at its command-line check, after start-up.
    const Execution execution = Lance({"/a:bob", "/o:Test"});
    EXPECT_EQ(execution.code, 1) << execution.erreurs;
    const std::string ini = LitFichier(dossier / "Corvelle.ini");
    EXPECT_NE(ini.find("[Configuration]\nConfigsSMTP=smtp.example.com\x1F"), std::string::npos);
    EXPECT_EQ(ini.find("ServeurSMTP="), std::string::npos);
    struct stat etat {};
    ASSERT_EQ(::stat((dossier / "Corvelle.ini").c_str(), &etat), 0);
    EXPECT_EQ(etat.st_mode & 0777, 0600u);
    EXPECT_FALSE(std::filesystem::exists(dossier / "maison/.config"));
}

TEST_F(Programme, BrokenSettingsEndWithExitCode6AndTheirErrorOnStandardError) {
    struct Cas {
        std::string ligne;
        std::string numero;
    };
    for (const Cas& cas : {Cas{"ConfigsSMTP=a\x1F"
                               "b\x1F"
                               "0\x1F"
                               "25",
                               "(9)"},
                           Cas{"ConfigsSMTP=a\x1F"
                               "b\x1F"
                               "0\x1F"
                               "abc\x1F"
                               "0",
                               "(13)"},
                           Cas{"TimeoutSMTP=40000", "(6)"}}) {
        EcritFichier(dossier / "Corvelle.ini", "[Configuration]\n" + cas.ligne + "\n");
        const Execution execution = Lance({"/a:bob", "/o:Test", "/ct:Bonjour"});
        EXPECT_EQ(execution.code, 6);
        EXPECT_NE(execution.erreurs.find("Une erreur " + cas.numero +
                                         " est survenue lors de "
                                         "l'initialisation"),
                  std::string::npos)
            << execution.erreurs;
    }
}

TEST_F(Programme, BilingualMessageOnlyWithoutAMatchingTranslation) {
    const std::string message = "First, thank you for having installed Corvelle.";
    EXPECT_NE(Lance({"/a:x"}, "en_US.UTF-8").erreurs.find(message), std::string::npos);
    EXPECT_EQ(Lance({"/a:x"}, "fr_FR.UTF-8").erreurs.find(message), std::string::npos);

    EcritFichier(dossier / "English.lng",
                 "[Traduction]\nCodeLangue=9\nTXT_FERMETURE_OUTIL=The tool will close.\n");
    const Execution execution = Lance({"/a:x"}, "en_US.UTF-8");
    EXPECT_EQ(execution.erreurs.find(message), std::string::npos);
    EXPECT_NE(execution.erreurs.find("The tool will close."), std::string::npos);
}

TEST_F(Programme, HelpAndVersionGoToStandardOutput) {
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"/?"}, std::vector<std::string>{"--help"}}) {
        const Execution execution = Lance(arguments);
        EXPECT_EQ(execution.code, 0);
        EXPECT_NE(execution.sortie.find("/cci:<liste>"), std::string::npos);
        EXPECT_NE(execution.sortie.find("Exemples :"), std::string::npos);
        EXPECT_TRUE(execution.erreurs.empty()) << execution.erreurs;
    }
    // "/?" speaks the interface language when a translation gives the help.
    std::filesystem::copy_file(CORVELLE_TRADUCTIONS "/English.lng", dossier / "English.lng");
    const Execution anglais = Lance({"/?"}, "en_US.UTF-8");
    EXPECT_EQ(anglais.code, 0);
    EXPECT_NE(anglais.sortie.find("Examples:"), std::string::npos) << anglais.sortie;
    EXPECT_NE(anglais.sortie.find("/cci:<list>"), std::string::npos);

    const Execution version = Lance({"--version"});
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.sortie.rfind("Corvelle v", 0), 0u);
}

TEST_F(Programme, WindowModeLoadsItsWindowModuleWhenADisplayExists) {
    std::filesystem::copy_file(CORVELLE_MODULE, dossier / "corvelle-ui.so");
    // Asked to leave once the compose window is shown and idle.
    const Execution execution = Lance(
        {}, "fr_FR.UTF-8", "QT_QPA_PLATFORM=offscreen CORVELLE_MESURE_AFFICHAGE=1 timeout 20 ");
    EXPECT_EQ(execution.code, 0) << execution.erreurs;
    EXPECT_EQ(execution.erreurs.find("windows unavailable"), std::string::npos)
        << execution.erreurs;
}

TEST_F(Programme, WindowModeWithoutADisplaySaysSoAndFails) {
    const Execution execution = Lance({});
    EXPECT_EQ(execution.code, 6);
    EXPECT_NE(execution.erreurs.find("--help"), std::string::npos);
}

}  // namespace
}  // namespace corvelle
