// The management commands' own logic, without a process: the launch options,
// the --smtp options and the edits of the list.

#include <gtest/gtest.h>

#include "app/GestionSMTP.h"
#include "app/OptionsLancement.h"
#include "config/MotDePasse.h"
#include "config/Parametres.h"
#include "i18n/Langue.h"

namespace corvelle {
namespace {

using Arguments = std::vector<std::string>;

TEST(Gestion, ConfigIsTakenOutWhereverItStandsAndOnlyOnce) {
    OptionsLancement o = LitOptionsLancement({"--smtp", "list", "--config", "a.ini"}, "env.ini");
    EXPECT_EQ(o.arguments, (Arguments{"--smtp", "list"}));
    EXPECT_EQ(o.fichierConfiguration, "a.ini");
    EXPECT_TRUE(o.gestion);
    o = LitOptionsLancement({"--config=b.ini", "/a:x", "/o:--config"}, "env.ini");
    EXPECT_EQ(o.arguments, (Arguments{"/a:x", "/o:--config"}));
    EXPECT_EQ(o.fichierConfiguration, "b.ini");
    EXPECT_FALSE(o.gestion);
    EXPECT_EQ(LitOptionsLancement({}, "env.ini").fichierConfiguration, "env.ini");
    for (const Arguments& fautifs : {Arguments{"--get", "--config"}, Arguments{"--config="},
                                     Arguments{"--config", "a", "--config", "b"}}) {
        EXPECT_EQ(LitOptionsLancement(fautifs, "").optionFautive, "--config") << fautifs.back();
    }
}

class GestionSMTP : public ::testing::Test {
  protected:
    Langue langue;

    Resultat<ListeConfigs> Applique(ListeConfigs liste, const Arguments& arguments,
                                    const std::string& motDePasse = "") {
        const Resultat<OperationSMTP> op = AnalyseSMTP(arguments, langue);
        if (!op.Reussi()) {
            return op.Erreur();
        }
        return AppliqueSMTP(std::move(liste), op.Valeur(), motDePasse, langue);
    }

    std::string Refus(const ListeConfigs& liste, const Arguments& arguments) {
        const Resultat<ListeConfigs> r = Applique(liste, arguments);
        EXPECT_FALSE(r.Reussi()) << arguments.back();
        return r.Reussi() ? std::string() : r.Erreur().texte;
    }
};

TEST_F(GestionSMTP, OptionsAreReadAsTheDialogChecksThem) {
    const ListeConfigs vide;
    for (const auto& [arguments, attendu] :
         {std::pair{Arguments{}, "--smtp list"},
          {Arguments{"ajoute"}, "--smtp list"},
          {Arguments{"add"}, "nom"},
          {Arguments{"add", "--server", "h"}, "nom"},
          {Arguments{"add", "A", "--server"}, "--server"},
          {Arguments{"add", "A", "--server", "h", "--server", "i"}, "deux fois"},
          {Arguments{"add", "A", "--ssl", "--no-ssl"}, "deux fois"},
          {Arguments{"add", "A", "--from", "a@b.c"}, "--from"},
          {Arguments{"test", "A", "--port", "25"}, "--port"},
          {Arguments{"add", "A", "--auth", "cram"}, "cram"},
          {Arguments{"add", "A", "--password-stdin", "--password-command", "x"}, "s'excluent"},
          {Arguments{"add", "A\nB", "--server", "h"}, "NOM"},
          {Arguments{"add", "A", "--server", "h\x1Ei"}, "--server"},
          {Arguments{"add", "A", "--oauth-token-url", "https://j/t\nX: y"}, "--oauth-token-url"},
          {Arguments{"test", "A", "--to", "b@c.d\r\nRCPT TO:<e@f.g>"}, "--to"}}) {
        EXPECT_NE(Refus(vide, arguments).find(attendu), std::string::npos)
            << (arguments.empty() ? "" : arguments.back());
    }
}

TEST_F(GestionSMTP, EditsReplaceThePlaceholderKeepNamesUniqueAndTheListNonEmpty) {
    clsConfigSMTP exemple;
    exemple.Nom = exemple.Serveur = kServeurSMTPParDefaut;
    exemple.Port = 25;
    Resultat<ListeConfigs> r = Applique({exemple},
                                        {"add", "Bureau", "--server", "smtp.b.fr", "--ssl",
                                         "--auth", "PLAIN", "--user", "jean", "--password-stdin"},
                                        "mdp");
    ASSERT_TRUE(r.Reussi()) << r.Erreur().texte;
    ListeConfigs liste = r.Valeur();
    ASSERT_EQ(liste.size(), 1u);  // the placeholder went
    EXPECT_EQ(liste[0].Port, 465);
    EXPECT_EQ(DechiffreMotDePasse(liste[0].Password), "mdp");
    EXPECT_NE(Refus(liste, {"add", "BUREAU", "--server", "x"}).find("--smtp set BUREAU"),
              std::string::npos);
    EXPECT_NE(Refus(liste, {"add", "Secours", "--server", "x", "--auth", "login"}).find("--user"),
              std::string::npos);
    EXPECT_NE(Refus(liste, {"add", "Secours", "--server", "x", "--port", "65536"}).find("PORT"),
              std::string::npos);
    EXPECT_NE(Refus(liste, {"remove", "Bureau"}).find("Au moins une"), std::string::npos);
    EXPECT_NE(Refus(liste, {"set", "Autre", "--port", "1"}).find("Bureau"), std::string::npos);

    liste = Applique(liste, {"add", "Secours", "--server", "smtp.s.fr"}).Valeur();
    liste = Applique(liste, {"add", "Trois", "--server", "smtp.t.fr"}).Valeur();
    // Only what is given changes; a command replaces the stored password.
    liste =
        Applique(liste, {"set", "bureau", "--no-ssl", "--password-command", "pass smtp"}).Valeur();
    EXPECT_EQ(liste[0].Port, 25);
    EXPECT_EQ(liste[0].Username, "jean");
    EXPECT_EQ(liste[0].Password, "");
    EXPECT_EQ(liste[0].CommandeMotDePasse, "pass smtp");
    liste = Applique(liste, {"default", "TROIS"}).Valeur();
    liste = Applique(liste, {"remove", "bureau"}).Valeur();
    ASSERT_EQ(liste.size(), 2u);
    EXPECT_EQ(liste[0].Nom + liste[1].Nom, "TroisSecours");
}

TEST_F(GestionSMTP, OAuth2TokenCommandAndClientReplaceEachOther) {
    ListeConfigs liste = Applique({},
                                  {"add", "M365", "--server", "smtp.o.com", "--auth", "oauth2",
                                   "--user", "boite@o.com", "--oauth-tenant", "contoso",
                                   "--oauth-client-id", "id", "--password-stdin"},
                                  "secret")
                             .Valeur();
    EXPECT_EQ(liste[0].Authentification, AuthOAuth2);
    EXPECT_EQ(liste[0].UrlJetonOAuth + "|" + liste[0].ClientOAuth, "contoso|id");
    // The token command leaves no client, and no secret, stored beside it.
    liste = Applique(liste, {"set", "M365", "--oauth-token-command", "jeton"}).Valeur();
    EXPECT_EQ(liste[0].UrlJetonOAuth + liste[0].ClientOAuth + liste[0].Password, "");
    EXPECT_EQ(liste[0].CommandeJetonOAuth, "jeton");
    // Back to the client: its endpoint, id and secret are asked for again.
    EXPECT_NE(Refus(liste, {"set", "M365", "--oauth-client-id", "id"}).find("--oauth-token-url"),
              std::string::npos);
    liste = Applique(liste, {"set", "M365", "--oauth-token-url", "https://j/t", "--oauth-client-id",
                             "id", "--password-command", "pass oauth"})
                .Valeur();
    EXPECT_EQ(liste[0].CommandeJetonOAuth, "");
    EXPECT_EQ(UrlJeton(liste[0]), "https://j/t");
}

}  // namespace
}  // namespace corvelle
