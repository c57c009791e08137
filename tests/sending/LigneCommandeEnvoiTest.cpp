#include "sending/LigneCommandeEnvoi.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/Dialogue.h"
#include "core/EtatProgramme.h"
#include "core/Texte.h"
#include "support/DossierTemporaire.h"

namespace corvelle {
namespace {

TEST(LigneCommande, ValuesRunToTheNextSlashUnlessQuoted) {
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

TEST(LigneCommande, HtmlBecomesPlainText) {
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

// Errors found while reading the command line: message, then exit code 1.
TEST(LigneCommande, ErrorsAreReportedWithTheirMessageAndExitCode1) {
    test::DossierTemporaire dossier;
    test::EcritFichier(dossier / "corps.txt", "Bonjour");
    test::EcritFichier(dossier / "vide.txt", "");
    const std::string fin = " L'outil va être fermé.";
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
         "Une erreur (62) est survenue durant le traitement :"},
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
        // A switch placed after the error does not redirect it.
        {{"/X", "/l"}, "Paramètre '/X' inconnu..."},
    };
    for (const auto& [arguments, message] : cas) {
        EtatProgramme etat;
        etat.DossierCourant = dossier.Chemin();
        etat.ListeConfigsSMTP.resize(1);
        etat.ListeConfigsSMTP[0].Nom = "Principal";
        ChargeTraductions(etat.Langage);
        DialogueEnregistreur dialogue;
        EXPECT_EQ(TraiteLigneCommande(etat, dialogue, arguments), 1) << Joint(arguments, " ");
        ASSERT_EQ(dialogue.boites.size(), 1u) << Joint(arguments, " ");
        EXPECT_TRUE(dialogue.boites[0].texte.starts_with(message)) << dialogue.boites[0].texte;
        EXPECT_TRUE(dialogue.boites[0].texte.ends_with(fin)) << dialogue.boites[0].texte;
        EXPECT_EQ(dialogue.boites[0].icone, Icone::Exclamation);
    }
}

TEST(LigneCommande, ParametersChangeTheRunsSettings) {
    test::DossierTemporaire dossier;
    std::filesystem::create_directories(dossier / "journaux");
    EtatProgramme etat;
    etat.DossierCourant = dossier.Chemin();
    etat.ListeConfigsSMTP.resize(3);
    etat.ListeConfigsSMTP[1].Nom = "Main";
    etat.ListeConfigsSMTP[2].Nom = "MAIN";
    ChargeTraductions(etat.Langage);
    DialogueEnregistreur dialogue;
    // No recipient: everything is read, then the check fails before any send.
    (void)TraiteLigneCommande(etat, dialogue,
                              {"/conf:main", "/nde:2.5", "/de:Moi <m@x.fr>", "/@:y.fr", "", "/arl",
                               "/r", "/l:" + (dossier / "journaux"), "/iep", "/o:x"});
    EXPECT_EQ(etat.NumConfigSMTP, 2);
    EXPECT_EQ(etat.Reglages.NbDest, 2);
    EXPECT_EQ(etat.Reglages.ExpediteurParDefaut, "Moi <m@x.fr>");
    EXPECT_EQ(etat.Reglages.Suffixe, "y.fr");
    EXPECT_EQ(etat.Reglages.ARParDefaut, 3);
    EXPECT_EQ(etat.OptionsRapport, 3);
    EXPECT_EQ(etat.FichierLog, dossier / "journaux/Corvelle.log");
    EXPECT_TRUE(etat.IgnorerPJManquantes);
    EXPECT_TRUE(etat.ModeLigneCommande);
}

// The request as the dispatch receives it, built without sending anything.
// Each argument is one parameter: quotes, slashes and parameter names inside
// a value stay in it.
TEST(LigneCommande, AnalysisBuildsTheRequestWithoutSending) {
    test::DossierTemporaire dossier;
    EtatProgramme etat;
    etat.DossierCourant = dossier.Chemin();
    ChargeTraductions(etat.Langage);
    const auto analyse = AnalyseArguments(
        etat, {"/a:bob,fic:l.txt", "/cci:\"c, d\"", "/o:a/b \"c\"",
               "/ct:{\"path\": \"/api/orders\", \"status\": 500}", "/ch:\"x§<i>y</i>\"",
               "/pj: p1 ,q", "/de:\"Dupont, Jean\" <j@x.fr>", "/rep:\"non fermé"});
    const RequeteEnvoi* requete = std::get_if<RequeteEnvoi>(&analyse);
    ASSERT_NE(requete, nullptr) << std::get<std::string>(analyse);
    EXPECT_EQ(requete->destinataires, "bob,fic:l.txt");
    EXPECT_EQ(requete->copieCachee, "c, d");
    EXPECT_EQ(requete->objet, "a/b \"c\"");
    EXPECT_EQ(requete->corpsTexte, "{\"path\": \"/api/orders\", \"status\": 500}");
    EXPECT_EQ(requete->corpsHTML, "x<BR /><i>y</i>");
    EXPECT_EQ(requete->expediteur, "\"Dupont, Jean\" <j@x.fr>");
    EXPECT_EQ(requete->reponse, "\"non fermé");
    EXPECT_EQ(requete->piecesJointes, (std::vector<std::string>{dossier / "p1", dossier / "q"}));

    // One text, where a value runs to the next slash unless quoted.
    const auto texte = AnalyseLigneCommande(etat, "/a:bob /o:\"a/b\" /ch:<i>y /de:m@x.fr");
    ASSERT_TRUE(std::holds_alternative<RequeteEnvoi>(texte)) << std::get<std::string>(texte);
    EXPECT_EQ(std::get<RequeteEnvoi>(texte).objet, "a/b");
    EXPECT_EQ(std::get<RequeteEnvoi>(texte).corpsTexte, "y");
}

}  // namespace
}  // namespace corvelle
