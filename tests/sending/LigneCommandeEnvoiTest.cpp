#include "sending/LigneCommandeEnvoi.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "i18n/Langue.h"
#include "sending/HtmlVersTexte.h"
#include "support/DossierTemporaire.h"

namespace corvelle {
namespace {

TEST(LigneCommandeTexte, ValuesRunToTheNextSlashUnlessQuoted) {
    struct Cas {
        std::string ligne;
        std::size_t debut;
        std::string valeur;
        std::string reste;
    };
    for (const Cas& c : std::vector<Cas>{
             {"/o:Hello world /ct:x", 4, "Hello world", "/ct:x"},
             {"/o:  a b  /l", 4, "  a b", "/l"},
             {"/o:\"a/b \" /l", 4, "a/b", "/l"},
             {"/o:\" x\"", 4, " x", ""},
             {"/o:a/b /l", 4, "a", "/b /l"},
             {"/o:\"never closed /l", 4, "", ""},
             {"/a:", 4, "", ""},
             {"/a: /o:x", 4, "", "/o:x"},
         }) {
        std::string reste = c.ligne;
        EXPECT_EQ(ExtraitValeur(reste, c.debut), c.valeur) << c.ligne;
        EXPECT_EQ(reste, c.reste) << c.ligne;
    }
}

TEST(LigneCommandeTexte, HtmlBecomesPlainText) {
    for (const auto& [html, texte] : std::vector<std::pair<std::string, std::string>>{
             {"<b>Hi</b>", "Hi"},
             {"a<br/>b<BR>c<br />d", "a\r\nb\r\nc\r\nd"},
             {"x&NBSP;y &amp;", "x y &amp;"},
             {"x < y", "x < y"},
             {"a < b <i>c</i> >", "a < b c >"},
             {"<p<b>q</b>", "<pq"},
             {"<<<>>>", "<<>>"},
         }) {
        EXPECT_EQ(HtmlVersTexte(html), texte) << html;
    }
    // Large bodies: each tag used to be erased in place and each lone "<"
    // looked for a ">" to the end again, which never finished.
    std::string html;
    for (int i = 0; i < 100000; ++i) {
        html += "<br><i>x</i><";
    }
    EXPECT_EQ(HtmlVersTexte(html).size(), 400000u);
    EXPECT_EQ(HtmlVersTexte(std::string(200000, '<') + ">").size(), 199999u);
}

using Arguments = std::vector<std::string>;

class LigneCommande : public ::testing::Test {
  protected:
    LigneCommande() {
        ChargeTraductions(langue);
        configs.resize(3);
        configs[0].Nom = "Principal";
        configs[1].Nom = "Main";
        configs[2].Nom = "MAIN";
        depart.dossierCourant = dossier.Chemin();
        depart.expediteur = "defaut@x.fr";
    }

    AnalyseCommande Analyse(const Arguments& arguments) const {
        return AnalyseArguments(depart, configs, langue, arguments);
    }

    test::DossierTemporaire dossier;
    Langue langue;
    ListeConfigs configs;
    Demande depart;
};

// The first error stops the reading: its message, and the request as far as
// it got (its report options say where the error goes).
TEST_F(LigneCommande, TheFirstErrorStopsTheReadingWithItsMessage) {
    test::EcritFichier(dossier / "corps.txt", "Bonjour");
    test::EcritFichier(dossier / "vide.txt", "");
    const std::vector<std::pair<Arguments, std::string>> cas = {
        {{"/A:bob"}, "Paramètre '/A:' inconnu..."},
        {{"/a:bob", "/rx"}, "Paramètre '/rx' inconnu..."},
        {{"/a:bob", "/r:x"}, "Paramètre '/r:' inconnu..."},
        {{"/a:bob", "Bonjour"}, "Paramètre 'Bonjour' inconnu..."},
        {{"/a:", "/o:x"}, "Le paramètre /a: a été invoqué mais aucune valeur ne l'accompagne..."},
        {{"/cci:\"\"", "/o:x"},
         "Le paramètre /cci: a été invoqué mais aucune valeur ne l'accompagne..."},
        {{"/o:x", "/ct:y"},
         "Aucun paramètre indiquant la liste des destinataires n'a été détecté..."},
        {{"/a:bob", "/ct:x"}, "Le paramètre contenant l'objet du message (/o:) est manquant..."},
        {{"/a:bob", "/o:x"},
         "Aucun paramètre indiquant le corps du message (/ct:, /ctf:, /ch: ou /chf:) n'a été "
         "détecté..."},
        {{"/a:bob", "/o:x", "/ct:a", "/ctf:corps.txt"},
         "La ligne de commande ne peut contenir plusieurs paramètres /ct: ou /ctf:..."},
        {{"/a:bob", "/o:x", "/chf:corps.txt", "/ch:b"},
         "La ligne de commande ne peut contenir plusieurs paramètres /ch: ou /chf:..."},
        {{"/a:bob", "/o:x", "/ctf:absent.txt"},
         "Le fichier contenant le corps du message ('" + (dossier / "absent.txt") +
             "') est introuvable..."},
        {{"/a:bob", "/o:x", "/ctf:vide.txt"},
         "Le fichier contenant le corps du message ('" + (dossier / "vide.txt") + "') est vide..."},
        {{"/apercu:absent", "/a:bob"},
         "Le dossier de l'aperçu ('" + (dossier / "absent") + "') est introuvable..."},
        {{"/apercu:", "/a:bob"},
         "Le paramètre /apercu: a été invoqué mais aucune valeur ne l'accompagne..."},
        {{"/nde:abc"},
         "Le paramètre /nde: doit contenir le nombre de destinataires par mail, représenté par une "
         "valeur numérique supérieure à zéro..."},
        {{"/nde:0"}, "Le paramètre /nde: doit"},
        {{"/nde:0.4"}, "Le paramètre /nde: doit"},
        {{"/nde:99999999999"}, "Le paramètre /nde: doit"},
        {{"/conf:"}, "Le paramètre /conf: a été invoqué mais aucune valeur ne l'accompagne..."},
        {{"/conf:Autre"},
         "Le paramètre /conf a été spécifié mais le nom qui l'accompagne n'a pas été trouvé dans "
         "la liste des configurations SMTP déclarées dans l'application..."},
    };
    for (const auto& [arguments, message] : cas) {
        const AnalyseCommande analyse = Analyse(arguments);
        EXPECT_TRUE(analyse.erreur.starts_with(message)) << analyse.erreur;
    }
    // A switch placed after the error does not redirect it; one before does.
    EXPECT_EQ(Analyse({"/X", "/l"}).demande.rapport, 0);
    EXPECT_EQ(Analyse({"/r", "/X", "/l"}).demande.rapport, RapportParMail);
}

// Each argument is one parameter: quotes, slashes and parameter names inside
// a value stay in it. Run options go into the request, never the settings.
TEST_F(LigneCommande, ParametersFillTheRequest) {
    std::filesystem::create_directories(dossier / "journaux");
    const AnalyseCommande analyse =
        Analyse({"/a:bob,fic:l.txt", "/cci:\"c, d\"", "/o:a/b \"c\"",
                 "/ct:{\"path\": \"/api/orders\", \"status\": 500}", "/ch:\"x§<i>y</i>\"",
                 "/pj: p1 ,q", "/de:\"Dupont, Jean\" <j@x.fr>", "/rep:\"non fermé", "/conf:main",
                 "/nde:2.5", "/@:y.fr", "", "/arl", "/r", "/l:" + (dossier / "journaux"), "/iep"});
    ASSERT_EQ(analyse.erreur, "");
    const Demande& d = analyse.demande;
    EXPECT_EQ(d.destinataires, "bob,fic:l.txt");
    EXPECT_EQ(d.copieCachee, "c, d");
    EXPECT_EQ(d.objet, "a/b \"c\"");
    EXPECT_EQ(d.corpsTexte, "{\"path\": \"/api/orders\", \"status\": 500}");
    EXPECT_EQ(d.corpsHTML, "x<BR /><i>y</i>");
    EXPECT_EQ(d.expediteur, "\"Dupont, Jean\" <j@x.fr>");
    EXPECT_EQ(d.reponse, "\"non fermé");
    EXPECT_EQ(d.piecesJointes, (std::vector<std::string>{dossier / "p1", dossier / "q"}));
    EXPECT_EQ(d.configuration.Nom, "Main");
    EXPECT_EQ(d.nbDest, 2);
    EXPECT_EQ(d.suffixe, "y.fr");
    EXPECT_EQ(d.notification, 3);
    EXPECT_EQ(d.rapport, RapportParMail | RapportFichierLog);
    EXPECT_EQ(d.fichierLog, dossier / "journaux/Corvelle.log");
    // A folder still to be created is named by its final separator.
    EXPECT_EQ(Analyse({"/l:logs/"}).demande.fichierLog, "logs/Corvelle.log");
    EXPECT_TRUE(d.ignorerPJManquantes);

    // An HTML body alone gives the text one; the defaults stay where no
    // parameter changes them.
    const AnalyseCommande html = Analyse({"/a:bob", "/o:x", "/ch:\"a<br/>b\""});
    EXPECT_EQ(html.demande.corpsTexte, "a\r\nb");
    EXPECT_EQ(html.demande.expediteur, "defaut@x.fr");
    EXPECT_EQ(html.demande.configuration.Nom, "");

    // One text, where a value runs to the next slash unless quoted.
    const AnalyseCommande texte =
        AnalyseLigneCommande(depart, configs, langue, "/a:bob /o:\"a/b\" /ch:<i>y /de:m@x.fr");
    ASSERT_EQ(texte.erreur, "");
    EXPECT_EQ(texte.demande.objet, "a/b");
    EXPECT_EQ(texte.demande.corpsTexte, "y");
}

}  // namespace
}  // namespace corvelle
