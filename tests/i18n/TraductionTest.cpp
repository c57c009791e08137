#include <gtest/gtest.h>

#include "i18n/Traduction.h"
#include "support/DossierTemporaire.h"

namespace corvelle {
namespace {

TEST(Traduction, FormesDeValeurs) {
    test::DossierTemporaire dossier;
    test::EcritFichier(dossier / "English.lng",
                       "[Traduction]\r\nCodeLangue=9\r\nTXT_SIMPLE=Text only\r\n"
                       "TXT_REF={TXT_SIMPLE}\r\nTXT_REF_REF={TXT_REF}\r\n"
                       "TXT_REF_ABSENTE={TXT_ABSENT}\r\nTXT_REF_VIDE={TXT_BLOC}\r\n"
                       // A note that names the block is not the block.
                       "  ; The text is the <TXT_BLOC> block below.\r\nTXT_BLOC=\r\n"
                       "TXT_SAUT=One§two '§' three\r\nGuillemets=\" spaced \"\r\n"
                       "<txt_bloc>First line\r\nSecond§line</TXT_BLOC>\r\n"
                       "<TXT_SANS_FIN>never closed\r\n");
    const FichierLangue fichier = FichierLangue::Charge(dossier / "English.lng");
    const char* const defaut = "Défaut\r\nfrançais";
    const std::pair<const char*, const char*> lignes[] = {
        {"TXT_SIMPLE", "Text only"},
        {"txt_simple", "Text only"},
        {"TXT_REF", "Text only"},
        // One level only: the second reference stays as written.
        {"TXT_REF_REF", "{TXT_SIMPLE}"},
        {"TXT_REF_ABSENTE", defaut},
        // The block looked up is that of the key asked for, not the one referred to.
        {"TXT_REF_VIDE", defaut},
        {"TXT_BLOC", "First line\r\nSecond\r\nline"},
        {"TXT_SAUT", "One\r\ntwo '§' three"},
        {"Guillemets", " spaced "},
        {"TXT_SANS_FIN", defaut},
        {"TXT_ABSENT", defaut}};
    for (const auto& [cle, attendu] : lignes) {
        EXPECT_EQ(fichier.TraduitTexte(cle, "Défaut§français"), attendu) << cle;
    }
    // A file with LF line ends gives its blocks the same CR LF breaks.
    test::EcritFichier(dossier / "Unix.lng", "[Traduction]\n<TXT_BLOC>a\nb</TXT_BLOC>\n");
    EXPECT_EQ(FichierLangue::Charge(dossier / "Unix.lng").TraduitTexte("TXT_BLOC", ""), "a\r\nb");
    for (const FichierLangue& francais :
         {FichierLangue(), FichierLangue::Charge(dossier / "Absent.lng")}) {
        EXPECT_EQ(francais.TraduitTexte("TXT_SIMPLE", "Défaut§français"), defaut);
    }
}

TEST(Traduction, SautsDeLigneEtValeurs) {
    for (const auto& [texte, attendu] : {std::pair{"a§b", "a\r\nb"},
                                         {"§§", "\r\n\r\n"},
                                         {"'§'", "'§'"},
                                         {"x'§'y§z", "x'§'y\r\nz"},
                                         {"{167}", "'§'"}}) {
        EXPECT_EQ(ConvertitSautsDeLigne(texte), attendu) << texte;
    }
    EXPECT_EQ(FormateMessage("Le message '%v' a été envoyé à %v destinataire(s) en %v envoi(s)...",
                             "Sujet", 3),
              "Le message 'Sujet' a été envoyé à 3 destinataire(s) en  envoi(s)...");
    EXPECT_EQ(FormateMessage("%V et %v", "un", std::string("deux"), "trois"), "un et deux");
    // Each placeholder of the message is filled once, left to right: what a
    // value brings in stays as it is.
    EXPECT_EQ(FormateMessage("a %v b %v", "x%vy", "z"), "a x%vy b z");
    EXPECT_EQ(FormateMessage("Le message '%v' a été envoyé à %v destinataire(s) en %v envoi(s)",
                             "Load 95%v of disk", 1, 1),
              "Le message 'Load 95%v of disk' a été envoyé à 1 destinataire(s) en 1 envoi(s)");
    EXPECT_EQ(FormateMessage("%%v", "v", "x"), "%v");
    EXPECT_EQ(FormateMessage("%vV", "%", "y"), "%V");
    EXPECT_EQ(FormateMessage("50%", 1), "50%");
    // A command-line parameter made of thousands of markers, named in the
    // error message.
    std::string marqueurs;
    for (int i = 0; i < 100000; ++i) {
        marqueurs += "%v";
    }
    EXPECT_EQ(FormateMessage("Paramètre '%v' inconnu", marqueurs),
              "Paramètre '" + marqueurs + "' inconnu");
    EXPECT_EQ(FormateMessage("100% %x", 1), "100% %x");
    EXPECT_EQ(FormateMessage("%v/%v/%v", -2147483647 - 1, std::int16_t{7}, 2.5),
              "-2147483648/7/2.5");
}

}  // namespace
}  // namespace corvelle
