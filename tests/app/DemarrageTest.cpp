#include "app/Demarrage.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "app/Programme.h"
#include "core/Dialogue.h"
#include "core/Texte.h"
#include "support/DialogueEnregistreur.h"
#include "support/DossierTemporaire.h"

namespace corvelle {
namespace {

using test::DossierTemporaire;
using test::EcritFichier;
using test::LitFichier;

// A start-up in a fresh folder: "prog" holds the binary, "prefixe" is the
// install prefix and "donnees" the per-user configuration folder.
class Demarrage : public ::testing::Test {
  protected:
    DossierTemporaire dossier;
    DialogueEnregistreur dialogue;
    Programme etat;

    void SetUp() override { std::filesystem::create_directories(dossier / "prog"); }

    EnvironnementDemarrage Portable(std::vector<std::string> arguments = {"/a:x"}) const {
        EnvironnementDemarrage env;
        env.arguments = std::move(arguments);
        env.cheminExecutable = dossier / "prog/corvelle";
        env.dossierProgrammes = dossier / "prefixe";
        env.dossierDonnees = dossier / "donnees";
        env.dossierTravail = dossier.Chemin();
        env.dossierTraductionsInstallees = dossier / "prefixe/share/corvelle";
        env.codeLangueSysteme = 12;
        return env;
    }

    EnvironnementDemarrage Installe() const {
        EnvironnementDemarrage env = Portable();
        env.cheminExecutable = dossier / "prefixe/bin/corvelle";
        return env;
    }

    IssueDemarrage Lance(const EnvironnementDemarrage& env) {
        etat = Programme();
        IssueDemarrage issue = Demarre(env, etat, dialogue);
        EXPECT_EQ(dialogue.attentes, 0) << "busy pointer left on";
        return issue;
    }
};

TEST_F(Demarrage, FirstStartOfAPortableCopyWritesItsFileBesideTheBinary) {
    const IssueDemarrage issue = Lance(Portable());
    EXPECT_EQ(issue.mode, ModeExecution::LigneCommande);
    EXPECT_EQ(etat.FichierConfiguration, dossier / "prog/Corvelle.ini");
    EXPECT_EQ(etat.FichierLog, dossier / "prog/Corvelle.log");
    EXPECT_EQ(etat.DossierProgramme, dossier / "prog/");
    EXPECT_EQ(etat.DossierCourant, dossier.Chemin());

    const std::string ini = LitFichier(etat.FichierConfiguration);
    EXPECT_NE(ini.find("ConfigsSMTP=smtp.example.com\x1Fsmtp.example.com\x1F"
                       "0\x1F"
                       "25\x1F"
                       "0"),
              std::string::npos);
    EXPECT_EQ(ini.find("ServeurSMTP"), std::string::npos);
    EXPECT_EQ(ini.find("PortSMTP"), std::string::npos);
    ASSERT_EQ(etat.ListeConfigsSMTP.size(), 1u);
    EXPECT_EQ(etat.Reglages.ExpediteurParDefaut, "Corvelle <ne-pas-repondre@example.com>");
    EXPECT_TRUE(dialogue.boites.empty());
    // A portable copy never touches the per-user folder.
    EXPECT_FALSE(std::filesystem::exists(dossier / "donnees"));
}

TEST_F(Demarrage, InstalledProgramMovesAnOldFileIntoThePerUserFolderOnce) {
    EcritFichier(dossier / "prefixe/bin/Corvelle.ini", "[Configuration]\nSuffixe=ancien.example\n");
    Lance(Installe());
    const std::string nouveau = dossier / "donnees/Tavrin/Corvelle/Corvelle.ini";
    EXPECT_EQ(etat.FichierConfiguration, nouveau);
    EXPECT_EQ(etat.FichierLog, dossier / "donnees/Tavrin/Corvelle/Corvelle.log");
    EXPECT_EQ(etat.DossierProgramme, dossier / "prefixe/share/corvelle/");
    EXPECT_EQ(etat.Reglages.Suffixe, "ancien.example");
    EXPECT_FALSE(std::filesystem::exists(dossier / "prefixe/bin/Corvelle.ini"));
    struct stat etatFichier {};
    ASSERT_EQ(::stat(nouveau.c_str(), &etatFichier), 0);
    EXPECT_EQ(etatFichier.st_mode & 0777, 0600u);

    // Later starts keep the moved file and ignore any new old one.
    EcritFichier(dossier / "prefixe/bin/Corvelle.ini", "[Configuration]\nSuffixe=autre.example\n");
    Lance(Installe());
    EXPECT_EQ(etat.Reglages.Suffixe, "ancien.example");
    EXPECT_TRUE(std::filesystem::exists(dossier / "prefixe/bin/Corvelle.ini"));
}

TEST_F(Demarrage, APrefixThatMerelySharesLeadingCharactersIsNotAnInstallation) {
    EnvironnementDemarrage env = Portable();
    env.cheminExecutable = dossier / "prefixe2/bin/corvelle";
    Lance(env);
    EXPECT_EQ(etat.FichierConfiguration, dossier / "prefixe2/bin/Corvelle.ini");
}

TEST_F(Demarrage, RunModeFollowsTheArguments) {
    using Arguments = std::vector<std::string>;
    struct Cas {
        Arguments arguments;
        ModeExecution mode;
    };
    for (const Cas& cas :
         {Cas{{}, ModeExecution::Fenetre}, Cas{{"", "   "}, ModeExecution::Fenetre},
          Cas{{"/?"}, ModeExecution::APropos}, Cas{{"  /?  "}, ModeExecution::APropos},
          Cas{{"/?x"}, ModeExecution::LigneCommande},
          Cas{{"/a:bob", "/o:x"}, ModeExecution::LigneCommande}}) {
        const IssueDemarrage issue = Lance(Portable(cas.arguments));
        EXPECT_EQ(issue.mode, cas.mode) << Joint(cas.arguments, " ");
        EXPECT_EQ(issue.codeSortie, 0);
    }
    EXPECT_EQ(Lance(Portable({"/o:a b", "/l"})).arguments, (Arguments{"/o:a b", "/l"}));
}

TEST_F(Demarrage, UnreadableSettingsStopWithTheirErrorNumberAndExitCode6) {
    // Which value gives which number is the settings' tests'; here, that one
    // stops the start with its number and description.
    EcritFichier(dossier / "prog/Corvelle.ini", "[Configuration]\nTimeoutSMTP=40000");
    const IssueDemarrage issue = Lance(Portable());
    EXPECT_EQ(issue.mode, ModeExecution::Fin);
    EXPECT_EQ(issue.codeSortie, kCodeSortieEchecDemarrage);
    ASSERT_EQ(dialogue.boites.size(), 1u);
    const Boite& boite = dialogue.boites[0];
    EXPECT_EQ(boite.icone, Icone::Critique);
    EXPECT_EQ(boite.titre, "Corvelle");
    EXPECT_EQ(boite.texte.rfind("Une erreur (6)", 0), 0u) << boite.texte;
    EXPECT_NE(boite.texte.find("Overflow"), std::string::npos) << boite.texte;
    EXPECT_NE(boite.texte.find("\r\n\r\nVeuillez contacter"), std::string::npos);
}

TEST_F(Demarrage, MistakesInTheSettingsSayWhatToFixNotAnErrorNumber) {
    const std::string ini = dossier / "prog/Corvelle.ini";
    const std::string bon = Remplace("Relais|r|0|25|0", "|", "\x1F");
    struct Cas {
        std::string record;
        std::string attendu;
    };
    for (const Cas& cas :
         {Cas{"Bureau|b|-1|25|x",
              "La configuration SMTP « Bureau » (n° 2 dans " + ini +
                  ") ne peut pas être lue : « x » n'est pas une valeur valide pour --auth. "
                  "Corrigez-la avec :\r\n  corvelle --smtp set Bureau --auth MODE (none, pop, "
                  "login, plain ou oauth2)"},
          // Every field that does not read, the first one named; a name the
          // shell would split is quoted.
          Cas{"Mon relais|b|oui|vingt",
              "La configuration SMTP « Mon relais » (n° 2 dans " + ini +
                  ") ne peut pas être lue : « oui » n'est pas une valeur valide pour --ssl. "
                  "Corrigez-la avec :\r\n  corvelle --smtp set 'Mon relais' --ssl (ou "
                  "--no-ssl) --port NUMÉRO --auth MODE (none, pop, login, plain ou oauth2)"}}) {
        EcritFichier(ini, "[Configuration]\nConfigsSMTP=" + bon + "\x1E" +
                              Remplace(cas.record, "|", "\x1F"));
        dialogue.boites.clear();
        EXPECT_EQ(Lance(Portable()).codeSortie, kCodeSortieEchecDemarrage);
        ASSERT_EQ(dialogue.boites.size(), 1u);
        EXPECT_EQ(dialogue.boites[0].texte, cas.attendu);
        EXPECT_EQ(dialogue.boites[0].icone, Icone::Critique);
    }

    // A settings file named on the command line: the fix goes to that file.
    EnvironnementDemarrage env = Portable();
    env.fichierConfiguration = "prog/Corvelle.ini";
    dialogue.boites.clear();
    Lance(env);
    ASSERT_EQ(dialogue.boites.size(), 1u);
    EXPECT_NE(dialogue.boites[0].texte.find("corvelle --config " + ini + " --smtp set"),
              std::string::npos);
    // One that cannot be a settings file is said at once, without a number.
    ASSERT_EQ(::mkfifo((dossier / "tube").c_str(), 0644), 0);
    for (const auto& [fichier, attendu] :
         {std::pair{"absent/x.ini", "Le dossier du fichier de réglages " +
                                        (dossier / "absent/x.ini") +
                                        " est introuvable : vérifiez le chemin donné par "
                                        "--config ou CORVELLE_CONFIG."},
          {"prog", (dossier / "prog") + " est un dossier : --config et CORVELLE_CONFIG nomment "
                                        "un fichier de réglages."},
          {"tube", (dossier / "tube") + " n'est pas un fichier ordinaire (un périphérique ou un "
                                        "tube) : --config et CORVELLE_CONFIG nomment un fichier "
                                        "de réglages. Il est laissé tel quel."}}) {
        env.fichierConfiguration = fichier;
        dialogue.boites.clear();
        EXPECT_EQ(Lance(env).codeSortie, kCodeSortieEchecDemarrage);
        ASSERT_EQ(dialogue.boites.size(), 1u);
        EXPECT_EQ(dialogue.boites[0].texte, attendu);
    }
}

TEST_F(Demarrage, UnknownPerUserFolderStopsOnlyAnInstalledProgram) {
    EnvironnementDemarrage env = Installe();
    env.dossierDonnees.reset();
    const IssueDemarrage issue = Lance(env);
    EXPECT_EQ(issue.codeSortie, kCodeSortieEchecDemarrage);
    ASSERT_EQ(dialogue.boites.size(), 1u);
    EXPECT_EQ(
        dialogue.boites[0].texte.rfind("Une erreur (5) est survenue lors de l'initialisation", 0),
        0u);
    // A portable copy keeps its settings beside itself (a user with no home).
    env = Portable();
    env.dossierDonnees.reset();
    EXPECT_EQ(Lance(env).mode, ModeExecution::LigneCommande);
    EXPECT_EQ(dialogue.boites.size(), 1u);
}

TEST_F(Demarrage, InstalledProgramThatCannotCreateItsFolderFails) {
    EcritFichier(dossier / "donnees/Tavrin", "a file where the folder should be");
    const IssueDemarrage issue = Lance(Installe());
    EXPECT_EQ(issue.codeSortie, kCodeSortieEchecDemarrage);
    ASSERT_EQ(dialogue.boites.size(), 1u);
    EXPECT_NE(dialogue.boites[0].texte.find("Tavrin"), std::string::npos);
}

TEST_F(Demarrage, DirectoryAccessWithoutAnOpeningIsOffForTheRun) {
    EcritFichier(dossier / "prog/Corvelle.ini", "[Configuration]\nUtiliserAD=-1\n");
    EXPECT_EQ(Lance(Portable()).mode, ModeExecution::LigneCommande);
    EXPECT_FALSE(etat.Reglages.UtiliserAD);
    EXPECT_NE(LitFichier(dossier / "prog/Corvelle.ini").find("UtiliserAD=-1"), std::string::npos);

    // An opening that sends the person to the settings ends this instance; a
    // command-line run then reports that nothing was sent.
    int appels = 0;
    const auto versReglages = [&](Programme&, Dialogue&) { return ++appels < 0; };
    for (const char* ligne : {"/a:x", ""}) {
        etat = Programme();
        const IssueDemarrage issue = Demarre(Portable({ligne}), etat, dialogue, versReglages);
        EXPECT_EQ(issue.mode, ModeExecution::Fin);
        EXPECT_EQ(issue.codeSortie, *ligne ? kCodeSortieEchecDemarrage : 0);
    }
    EXPECT_EQ(appels, 2);
}

}  // namespace
}  // namespace corvelle
