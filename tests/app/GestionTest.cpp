// The management commands' own logic, without a process: the launch options,
// the --smtp options and the edits of the list.

#include <gtest/gtest.h>

#include <filesystem>

#include "app/GestionSMTP.h"
#include "app/OptionsLancement.h"
#include "config/MotDePasse.h"
#include "config/Parametres.h"
#include "i18n/Langue.h"
#include "support/DossierTemporaire.h"

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

TEST_F(GestionSMTP, AdministrationFieldsAreCheckedStoredNormalisedAndCleared) {
    test::DossierTemporaire dossier;
    const std::string certificat = dossier / "client.pem";
    const std::string cle = dossier / "client.key";
    test::EcritFichier(certificat, "certificat");
    test::EcritFichier(cle, "cle");
    namespace fs = std::filesystem;
    fs::permissions(cle, fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
    const ListeConfigs liste = Applique({}, {"add", "R", "--server", "h"}).Valeur();
    for (const auto& [arguments, attendu] :
         {std::pair{Arguments{"--ehlo", "mail exemple.fr"}, std::string("--ehlo")},
          {Arguments{"--envelope-from", "Jean <j@exemple.fr>"}, std::string("--envelope-from")},
          {Arguments{"--tls-fingerprint", "SHA256:" + std::string(63, 'a')}, std::string("64")},
          {Arguments{"--tls-ca", dossier / "absent.pem"}, std::string("absent.pem")},
          {Arguments{"--tls-cert", certificat, "--tls-key", cle}, "chmod 600 " + cle}}) {
        Arguments commande = {"set", "R"};
        commande.insert(commande.end(), arguments.begin(), arguments.end());
        EXPECT_NE(Refus(liste, commande).find(attendu), std::string::npos) << arguments.front();
    }
    fs::permissions(cle, fs::perms::others_read, fs::perm_options::remove);
    std::string empreinte;
    for (int i = 0; i < 32; ++i) {
        empreinte += i == 0 ? "AB" : ":AB";
    }
    const Resultat<ListeConfigs> r =
        Applique(liste, {"set", "R", "--ehlo", "relais.exemple.fr", "--envelope-from",
                         "retours@exemple.fr", "--tls-fingerprint", "sha256:" + empreinte,
                         "--tls-cert", certificat, "--tls-key", cle});
    ASSERT_TRUE(r.Reussi()) << r.Erreur().texte;
    const clsConfigSMTP& c = r.Valeur()[0];
    EXPECT_EQ(c.NomEhlo + "|" + c.ExpediteurEnveloppe, "relais.exemple.fr|retours@exemple.fr");
    std::string attendue = "SHA256:";
    for (int i = 0; i < 32; ++i) {
        attendue += "ab";
    }
    EXPECT_EQ(c.EmpreinteTLS, attendue);
    EXPECT_EQ(c.CertificatClient + "|" + c.CleClient, certificat + "|" + cle);
    // An empty value clears one field and leaves the others.
    const clsConfigSMTP sans = Applique(r.Valeur(), {"set", "R", "--ehlo", ""}).Valeur()[0];
    EXPECT_EQ(sans.NomEhlo, "");
    EXPECT_EQ(sans.CleClient, cle);
}

}  // namespace
}  // namespace corvelle
