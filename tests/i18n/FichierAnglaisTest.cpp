#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "app/APropos.h"
#include "config/Profil.h"
#include "core/Texte.h"
#include "core/Version.h"
#include "i18n/Langue.h"
#include "i18n/TextesIntegres.h"
#include "support/DossierTemporaire.h"

namespace corvelle {
namespace {

const std::string kFichierAnglais = std::string(CORVELLE_TRADUCTIONS) + "/English.lng";

std::size_t Compte(std::string_view texte, std::string_view motif) {
    std::size_t n = 0;
    for (std::size_t p = texte.find(motif); p != std::string_view::npos;
         p = texte.find(motif, p + motif.size())) {
        ++n;
    }
    return n;
}

// Command-line parameters a message names ("/conf", "/nde:"): a translation
// that changes them sends the reader to a parameter that does not exist.
std::vector<std::string> Parametres(std::string_view texte) {
    std::vector<std::string> parametres;
    for (std::size_t p = texte.find('/'); p != std::string_view::npos; p = texte.find('/', p + 1)) {
        if (p > 0 && std::isalnum(static_cast<unsigned char>(texte[p - 1]))) {
            continue;  // "du/des" is a word, not a parameter
        }
        std::size_t fin = p + 1;
        while (fin < texte.size() &&
               (std::isalpha(static_cast<unsigned char>(texte[fin])) || texte[fin] == '@')) {
            ++fin;
        }
        if (fin < texte.size() && texte[fin] == ':') {
            ++fin;
        }
        if (fin > p + 1) {
            parametres.emplace_back(texte.substr(p, fin - p));
        }
    }
    return parametres;
}

TEST(FichierAnglais, ChaqueTexteDuCatalogueTraduit) {
    const FichierProfil profil = FichierProfil::Charge(kFichierAnglais);
    ASSERT_TRUE(profil.Existe()) << kFichierAnglais;
    const FichierLangue fichier = FichierLangue::Charge(kFichierAnglais);
    // Protocol names, the same in both languages.
    const std::set<std::string_view> identiques = {
        "TXT_AUTHENTIFICATION_LOGIN", "TXT_AUTHENTIFICATION_PLAIN", "TXT_AUTHENTIFICATION_POP3",
        "TXT_AUTHENTIFICATION_OAUTH2"};

    for (const TexteIntegre& t : kTextesIntegres) {
        SCOPED_TRACE(std::string(t.cle));
        const auto brut = profil.Lit(kSectionTraduction, t.cle);
        ASSERT_TRUE(brut.has_value()) << "key missing from the file";
        if (t.francais.empty()) {
            // Only the incomplete-translation flag, which a complete file leaves empty.
            EXPECT_EQ(*brut, "");
            continue;
        }
        const std::string anglais = fichier.TraduitTexte(t.cle, "");
        ASSERT_FALSE(anglais.empty());
        if (!identiques.contains(t.cle)) {
            EXPECT_NE(anglais, ConvertitSautsDeLigne(std::string(t.francais)));
        }
        // The program fills "%v" in either case, one value each, in order.
        EXPECT_EQ(Compte(Minuscules(anglais), "%v"), Compte(Minuscules(t.francais), "%v"));
        // An empty value is a <KEY> block, whose quoted signs the reading keeps.
        EXPECT_EQ(Compte(brut->empty() ? anglais : *brut, "§"), Compte(t.francais, "§"));
        for (const std::string& parametre : Parametres(t.francais)) {
            EXPECT_NE(anglais.find(parametre), std::string::npos) << parametre;
        }
    }
}

TEST(FichierAnglais, ChoisiSurUnSystemeAnglaisSansMessage) {
    test::DossierTemporaire dossier;
    const std::string programme = dossier / "programme";
    std::filesystem::create_directories(programme);
    std::filesystem::copy_file(kFichierAnglais, programme + "/English.lng");
    const FichierProfil vide = FichierProfil::Charge(dossier / "Corvelle.ini");
    const Langue l = ChoisitLangue(vide, programme, 9);
    EXPECT_EQ(l.LangueCourante, "English");
    EXPECT_EQ(l.FichierTraduction, programme + "/English.lng");
    EXPECT_FALSE(l.AvisPremierDemarrage);
    ASSERT_EQ(l.Traductions.Count(), kTextesIntegres.size());
    EXPECT_EQ(FormateMessage(l.Texte("MSG_SUCCES_ENVOI"), "Report", 3, 1),
              "The message 'Report' was sent to 3 recipient(s) in 1 send(s)...");
    EXPECT_EQ(FormateMessage(l.Texte("MSG_ERREUR"), 53, "File not found"),
              "An error (53) occurred during processing:\r\n\r\nFile not found\r\n\r\nPlease "
              "contact the author of the software if the problem persists...");
    // A French system keeps the built-in texts even with the file beside the program.
    EXPECT_EQ(ChoisitLangue(vide, programme, 12).Texte("TXT_FORMAT_TEXTE"), "Texte seulement");
}

TEST(FichierAnglais, AideDeLaFenetreAPropos) {
    const std::string aide = FichierLangue::Charge(kFichierAnglais).TraduitTexte("TXT_AIDE", "");
    ASSERT_FALSE(aide.empty()) << "no <TXT_AIDE> block";
    // The title line carries the version, which the window shows elsewhere.
    EXPECT_EQ(aide.find(TitreFenetre()), std::string::npos);

    // Every parameter and exit code of the French help, which lists them all.
    const std::string francais = TexteSyntaxe();
    std::vector<std::string> parametres = Parametres(francais);
    ASSERT_GE(parametres.size(), 20u);
    parametres.insert(parametres.end(), {"/?", "--help", "--version", "fic:", "grp:"});
    for (const std::string& parametre : parametres) {
        EXPECT_NE(aide.find(parametre), std::string::npos) << parametre;
    }
    for (char code = '0'; code <= '6'; ++code) {
        EXPECT_NE(aide.find(std::string("\r\n  ") + code + "  "), std::string::npos) << code;
    }
    // Examples are commands: they are copied, not translated.
    const std::size_t debutExemples = francais.find("\nExemples :\n");
    ASSERT_NE(debutExemples, std::string::npos);
    std::size_t exemples = 0;
    for (const std::string& ligne : Decoupe(francais.substr(debutExemples), "\n")) {
        if (ligne.starts_with("  corvelle /")) {
            ++exemples;
            EXPECT_NE(aide.find("\r\n" + ligne), std::string::npos) << ligne;
        }
    }
    EXPECT_GE(exemples, 3u);
    // Texts from the file turn a bare section sign into a line break: the help
    // must still show the sign the /ct: and /ch: parameters use.
    EXPECT_EQ(Compte(aide, "§"), Compte(francais, "§"));
}

}  // namespace
}  // namespace corvelle
