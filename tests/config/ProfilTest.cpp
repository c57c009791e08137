#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "config/Profil.h"
#include "core/Erreur.h"
#include "core/Plateforme.h"
#include "support/DossierTemporaire.h"

namespace corvelle {
namespace {

namespace fs = std::filesystem;
using test::EcritFichier;
using test::LitFichier;

constexpr const char* kSection = "Configuration";

class Profil : public ::testing::Test {
  protected:
    std::string Lit(const char* cle, const char* section = kSection) {
        return LitParametre(ini_, section, cle, "défaut");
    }

    test::DossierTemporaire dossier_;
    std::string ini_ = dossier_ / "c.ini";
};

TEST_F(Profil, LectureSansCasseNiCommentairesNiEspacesNiGuillemets) {
    std::string longue;
    for (int i = 0; i < 32000; ++i) {
        longue += "é";
    }
    EcritFichier(ini_,
                 "; [Configuration]\n[configuration]\n;Langue=commentée\n"
                 "  EXPÉDITEURPARDÉFAUT =  André  \nGuillemets=\"  entre guillemets \"\n"
                 "Simples='x'\nMixtes=\"x'\nVide=\nEgal=a=b\nLongue=" +
                     longue + "\n[Autre]\nCle=autre\n");
    EXPECT_EQ(Lit("expéditeurpardéfaut"), "André");
    EXPECT_EQ(Lit("Langue"), "défaut");
    EXPECT_EQ(Lit("Guillemets"), "  entre guillemets ");
    EXPECT_EQ(Lit("Simples") + Lit("Mixtes") + Lit("Vide") + Lit("Egal"), "x\"x'a=b");
    // The reader's buffer keeps 31999 characters, whatever their byte length.
    EXPECT_EQ(Lit("Longue"), longue.substr(0, 2 * 31999));
    EXPECT_EQ(Lit("Cle"), "défaut");
    EXPECT_EQ(Lit("CLE", "AUTRE"), "autre");
    EXPECT_EQ(Lit("Cle", "Absente"), "défaut");
    EXPECT_EQ(LitParametre(dossier_ / "absent.ini", kSection, "Cle", "d"), "d");
}

TEST_F(Profil, EcritureCreeRemplaceEtSupprime) {
    ASSERT_TRUE(EcritParametre(ini_, kSection, "Langue", "English"));
    EXPECT_EQ(LitFichier(ini_), "[Configuration]\nLangue=English\n");
    EXPECT_EQ(fs::status(ini_).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    // An existing file keeps the permissions its owner gave it.
    fs::permissions(ini_, fs::perms::others_read, fs::perm_options::add);
    EXPECT_TRUE(EcritParametre(ini_, "CONFIGURATION", "LANGUE", "Deutsch"));
    EXPECT_EQ(Lit("Langue"), "Deutsch");
    EXPECT_EQ(LitFichier(ini_).find("English"), std::string::npos);
    EXPECT_EQ(fs::status(ini_).permissions() & fs::perms::others_read, fs::perms::others_read);

    EXPECT_TRUE(EcritParametre(ini_, kSection, "Vide", ""));
    EXPECT_EQ(Lit("Vide"), "");
    EXPECT_TRUE(EcritParametre(ini_, kSection, "Vide", std::nullopt));
    EXPECT_EQ(Lit("Vide"), "défaut");
    // Deleting in a missing section must not create it.
    EXPECT_TRUE(EcritParametre(ini_, "Autre", "Cle", std::nullopt));
    EXPECT_EQ(LitFichier(ini_).find("Autre"), std::string::npos);

    // A key written twice by hand is deleted for good, not replaced by its
    // other copy; the same key in another section stays.
    EcritFichier(ini_, "[Configuration]\nLangue=A\nX=1\nlangue=B\n[Autre]\nLangue=C\n");
    EXPECT_TRUE(EcritParametre(ini_, kSection, "Langue", std::nullopt));
    EXPECT_EQ(LitFichier(ini_), "[Configuration]\nX=1\n[Autre]\nLangue=C\n");
}

TEST_F(Profil, UneReecritureNeRetireQueSesPropresTemporairesAbandonnes) {
    // What a writer killed before its rename leaves, what one at work has, and
    // the user's own files beside the profile, as old.
    const std::string abandonne = dossier_ / ".c.ini.corvelle-Ab12Cd.tmp";
    const std::string enCours = dossier_ / ".c.ini.corvelle-Xy34Zt.tmp";
    const std::vector<std::string> aLUtilisateur = {
        ini_ + ".backup", ini_ + ".201224", ini_ + ".Ab12Cd", dossier_ / ".c.ini.corvelle-1.tmp",
        dossier_ / ".d.ini.corvelle-Ab12Cd.tmp"};
    for (const std::string& fichier : aLUtilisateur) {
        EcritFichier(fichier, "[Configuration]\n");
        fs::last_write_time(fichier, fs::file_time_type::clock::now() - std::chrono::hours(1));
    }
    EcritFichier(abandonne, "[Configuration]\n");
    EcritFichier(enCours, "[Configuration]\n");
    fs::last_write_time(abandonne, fs::file_time_type::clock::now() - std::chrono::hours(1));
    ASSERT_TRUE(EcritParametre(ini_, kSection, "Langue", "English"));
    EXPECT_FALSE(fs::exists(abandonne));
    EXPECT_TRUE(fs::exists(enCours));
    for (const std::string& fichier : aLUtilisateur) {
        EXPECT_TRUE(fs::exists(fichier)) << fichier;
    }
    EXPECT_EQ(Lit("Langue"), "English");
}

// Its owner made it read-only: the write is lost, the file stays as it was.
TEST_F(Profil, FichierEnLectureSeuleLaisseIntact) {
    EcritFichier(ini_, "[Configuration]\nLangue=Français\n");
    fs::permissions(ini_, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_FALSE(EcritParametre(ini_, kSection, "Langue", "English"));
    EXPECT_EQ(LitFichier(ini_), "[Configuration]\nLangue=Français\n");
    EXPECT_EQ(fs::status(ini_).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
}

TEST_F(Profil, NouvelleCleDansSaSectionAvecLesFinsDeLigneDuFichier) {
    EcritFichier(ini_, "[Configuration]\nA=1\n\n[Autre]\nB=2\n");
    ASSERT_TRUE(EcritParametre(ini_, kSection, "C", "3"));
    EXPECT_EQ(LitFichier(ini_), "[Configuration]\nA=1\nC=3\n\n[Autre]\nB=2\n");
    EcritFichier(ini_, "[Configuration]\r\nA=1\r\n");
    ASSERT_TRUE(EcritParametre(ini_, kSection, "B", "2"));
    EXPECT_EQ(LitFichier(ini_), "[Configuration]\r\nA=1\r\nB=2\r\n");
}

TEST_F(Profil, SautDeLigneRefuseSansRienChanger) {
    EcritFichier(ini_, "[Configuration]\nA=1\n");
    FichierProfil profil = FichierProfil::Charge(ini_);
    // A NUL would be saved, and the file then refused as not being text.
    using namespace std::string_view_literals;
    for (const auto& [cle, valeur] : {std::pair{"A"sv, "x\nB=2"sv},
                                      {"A"sv, "x\rB=2"sv},
                                      {"B=2\nA"sv, "1"sv},
                                      {"A"sv, "x\0y"sv},
                                      {"A\0"sv, "1"sv}}) {
        try {
            profil.Ecrit(kSection, cle, valeur);
            ADD_FAILURE() << "line break or NUL accepted";
        } catch (const Erreur& e) {
            EXPECT_EQ(e.Numero(), 5);
        }
    }
    EXPECT_EQ(profil.TexteComplet(), "[Configuration]\nA=1\n");
    EXPECT_FALSE(EcritParametre(ini_, kSection, "A", "x\r\nB=2"));
    EXPECT_EQ(LitFichier(ini_), "[Configuration]\nA=1\n");
}

// A file written in UTF-8 with one line edited by hand in Windows-1252: each
// line is read in its own encoding, and a rewrite keeps the lines it did not
// change byte for byte.
TEST_F(Profil, FichiersWindows1252MelesEtUtf16) {
    const std::string avant =
        "[Configuration]\r\nExpéditeurParDéfaut=André\r\nR\351ponse=\200 5\r\nNbDest=3\r\n";
    EcritFichier(ini_, avant);
    EXPECT_EQ(Lit("EXPÉDITEURPARDÉFAUT"), "André");
    EXPECT_EQ(Lit("Réponse"), "€ 5");
    ASSERT_TRUE(EcritParametre(ini_, kSection, "NbDest", "5"));
    ASSERT_TRUE(EcritParametre(ini_, kSection, "Suffixe", "é.fr"));
    EXPECT_EQ(LitFichier(ini_),
              "[Configuration]\r\nExpéditeurParDéfaut=André\r\nR\351ponse=\200 5\r\nNbDest=5\r\n"
              "Suffixe=é.fr\r\n");

    for (bool grandBout : {false, true}) {
        std::string octets = grandBout ? "\xFE\xFF" : "\xFF\xFE";
        for (char16_t c : std::u16string_view(u"[Configuration]\r\nClé=Valeur é€\r\n")) {
            const char fort = static_cast<char>(c >> 8), faible = static_cast<char>(c & 0xFF);
            octets += grandBout ? std::string{fort, faible} : std::string{faible, fort};
        }
        EcritFichier(ini_, octets);
        EXPECT_EQ(Lit("CLÉ"), "Valeur é€") << grandBout;
    }
}

// Whatever the reader would take away (blanks, one pair of enclosing quotes)
// is kept by quoting; a value the reader would cut is refused whole.
TEST_F(Profil, UneValeurEcriteSeRelitTelleQuelle) {
    FichierProfil profil = FichierProfil::Charge(ini_);
    const std::vector<std::string> valeurs = {"'Work relay\x1Fsmtp\x1Fpass 'smtp'",
                                              "\"x\"",
                                              "''",
                                              "  blancs  ",
                                              "\"x'",
                                              "a=\"b\"",
                                              std::string(FichierProfil::kLongueurMaxValeur, 'a')};
    for (std::size_t i = 0; i < valeurs.size(); ++i) {
        profil.Ecrit(kSection, "C" + std::to_string(i), valeurs[i]);
    }
    profil.Enregistre();
    const FichierProfil relu = FichierProfil::Charge(ini_);
    for (std::size_t i = 0; i < valeurs.size(); ++i) {
        EXPECT_EQ(relu.Lit(kSection, "C" + std::to_string(i)), valeurs[i]) << i;
    }
    // Quoted only when needed: files stay as older readers know them.
    EXPECT_NE(LitFichier(ini_).find("\nC4=\"x'\n"), std::string::npos);

    std::string longue;
    for (std::size_t i = 0; i <= FichierProfil::kLongueurMaxValeur; ++i) {
        longue += "é";
    }
    try {
        profil.Ecrit(kSection, "C0", longue);
        ADD_FAILURE() << "a value longer than the reader keeps was accepted";
    } catch (const ValeurRefusee& e) {
        EXPECT_EQ(e.Raison(), ValeurRefusee::Defaut::TropLongue);
        EXPECT_EQ(e.Longueur(), FichierProfil::kLongueurMaxValeur + 1);
    }
    EXPECT_EQ(profil.Lit(kSection, "C0"), valeurs[0]);
}

// A device, or a link to one, is never taken for a profile nor replaced by a
// regular file (run as root, a rewrite would replace the system's /dev/null).
// The device is the test's own copy of /dev/null, so a fault replaces only it.
TEST_F(Profil, SeulUnFichierOrdinaireEstUnProfil) {
    const std::string peripherique = dossier_ / "null";
    if (::mknod(peripherique.c_str(), S_IFCHR | 0666, ::makedev(1, 3)) != 0) {
        GTEST_SKIP() << "creating a device needs root";
    }
    const std::string lien = dossier_ / "lien.ini";
    fs::create_symlink(peripherique, lien);
    EXPECT_THROW((void)FichierProfil::Charge(lien), Erreur);
    EXPECT_FALSE(EcritParametre(lien, kSection, "A", "1"));
    EXPECT_THROW(plateforme::EcritFichierAtomique(lien, "x"), Erreur);
    EXPECT_TRUE(fs::is_character_file(peripherique));
    EXPECT_TRUE(fs::is_symlink(lien));
}

// Writers that change the file at once each see the others' changes: the
// cycle runs under a lock and reads the file under it.
TEST_F(Profil, LesEcrituresSimultaneesNePerdentRien) {
    std::vector<std::thread> ecrivains;
    for (int i = 0; i < 8; ++i) {
        ecrivains.emplace_back([this, i] {
            ModifieProfil(ini_, [i](FichierProfil& profil) {
                // Room for another writer to read the same old file.
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                profil.Ecrit(kSection, "Cle" + std::to_string(i), "x");
                return true;
            });
        });
    }
    for (std::thread& t : ecrivains) {
        t.join();
    }
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(Lit(("Cle" + std::to_string(i)).c_str()), "x") << i;
    }
    // A change that is not saved leaves the file as it was.
    const std::string avant = LitFichier(ini_);
    ModifieProfil(ini_, [](FichierProfil& profil) {
        profil.Ecrit(kSection, "Cle0", "y");
        return false;
    });
    EXPECT_EQ(LitFichier(ini_), avant);
}

TEST_F(Profil, EchecsSilencieux) {
    EXPECT_FALSE(EcritParametre(dossier_ / "absent/c.ini", kSection, "A", "1"));
    EXPECT_FALSE(fs::exists(dossier_ / "absent"));
    // A folder in place of the file cannot be read: neither read as empty nor replaced.
    fs::create_directory(ini_);
    EXPECT_EQ(Lit("A"), "défaut");
    EXPECT_THROW((void)FichierProfil::Charge(ini_), Erreur);
    EXPECT_FALSE(EcritParametre(ini_, kSection, "A", "1"));
    EXPECT_TRUE(fs::is_directory(ini_));
}

// A binary or damaged file is neither read as an empty profile nor rewritten
// with defaults over what it held.
TEST_F(Profil, FichierBinaireRefuseEtLaisseIntact) {
    constexpr char kBinaire[] = "[Configuration]\nA=1\n\0\xff\xfe\x01\nB=2\n";
    const std::string octets(kBinaire, sizeof kBinaire - 1);
    EcritFichier(ini_, octets);
    try {
        (void)FichierProfil::Charge(ini_);
        ADD_FAILURE() << "a file holding NUL bytes must be refused";
    } catch (const Erreur& e) {
        EXPECT_EQ(e.Numero(), ErrFormatFichier);
        EXPECT_NE(e.Description().find(ini_), std::string::npos) << e.Description();
    }
    EXPECT_EQ(Lit("A"), "défaut");
    EXPECT_FALSE(EcritParametre(ini_, kSection, "A", "2"));
    EXPECT_EQ(LitFichier(ini_), octets);
    // UTF-16 files hold NUL bytes, not NUL characters.
    constexpr char kUtf16[] =
        "\xFF\xFE[\0C\0]\0\n\0A\0=\0"
        "1\0";
    EcritFichier(ini_, std::string(kUtf16, sizeof kUtf16 - 1));
    EXPECT_EQ(Lit("A", "C"), "1");
}

}  // namespace
}  // namespace corvelle
