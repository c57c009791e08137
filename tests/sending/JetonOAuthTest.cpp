// What a token endpoint answers, and the tokens kept between runs.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "sending/oauth/CacheJetons.h"
#include "sending/oauth/JetonOAuth.h"
#include "support/DossierTemporaire.h"

namespace corvelle::oauth {
namespace {

constexpr const char* kUrl = "https://login.example.test/t/oauth2/v2.0/token";

TEST(JetonOAuthTest, TheEndpointsReplyGivesATokenOrSaysWhy) {
    ResultatEnvoi<Jeton> jeton = LitReponseJeton(
        kUrl, 200, R"({"token_type":"Bearer","expires_in":"3599","access_token":"eyJ0"})", 1000);
    ASSERT_TRUE(jeton.Reussi());
    EXPECT_EQ(jeton.Valeur().valeur, "eyJ0");
    EXPECT_EQ(jeton.Valeur().expiration, 4599);

    // An endpoint failing for now may give a token later; a refusal waits
    // for the settings to change.
    const struct {
        long statut;
        const char* corps;
        const char* attendu;
        GenreEchec genre;
    } echecs[] = {
        {400,
         R"({"error":"invalid_client","error_description":"AADSTS7000215: Invalid client secret.\r\nTrace ID: 1"})",
         "refused the request (HTTP 400): invalid_client: AADSTS7000215: Invalid client "
         "secret.\\r\\nTrace ID: 1",
         GenreEchec::Configuration},
        {502, "<html>Bad gateway</html>", "did not answer with a token (HTTP 502, not JSON)",
         GenreEchec::Temporaire},
        {200, R"({"token_type":"mac","access_token":"x"})", "answered without a bearer token",
         GenreEchec::Configuration},
        {200, R"({"expires_in":3600})", "answered without a bearer token",
         GenreEchec::Configuration},
        {500, "{}", "refused the request (HTTP 500)", GenreEchec::Temporaire},
    };
    for (const auto& cas : echecs) {
        const ResultatEnvoi<Jeton> refus = LitReponseJeton(kUrl, cas.statut, cas.corps, 0);
        ASSERT_FALSE(refus.Reussi()) << cas.corps;
        EXPECT_EQ(refus.Erreur().genre, cas.genre) << cas.corps;
        EXPECT_EQ(refus.Erreur().texte,
                  std::string("The token endpoint ") + kUrl + " " + cas.attendu);
    }
}

TEST(JetonOAuthTest, TokensAreKeptPerClientWhileValidInAFileOfTheUsersAlone) {
    const test::DossierTemporaire dossier;
    const std::string fichier = dossier / "Corvelle.jetons";
    const CacheJetons cache(fichier);
    const ClientOAuth a{kUrl, "app-a", "secret", "https://outlook.office365.com/.default"};
    ClientOAuth b = a;
    b.portee = "https://mail.google.com/";

    EXPECT_FALSE(cache.Cherche(a, 0));
    test::EcritFichier(fichier, "not json");
    ::chmod(fichier.c_str(), 0644);
    EXPECT_FALSE(cache.Cherche(a, 0));
    ASSERT_TRUE(cache.Garde(a, {"jeton-a", 10000}, 0));
    ASSERT_TRUE(cache.Garde(b, {"jeton-b", 500}, 0));
    struct stat etat {};
    ASSERT_EQ(::stat(fichier.c_str(), &etat), 0);
    EXPECT_EQ(etat.st_mode & 0777, 0600u);
    EXPECT_EQ(test::LitFichier(fichier).find("secret"), std::string::npos);

    EXPECT_EQ(cache.Cherche(a, 0)->valeur, "jeton-a");
    EXPECT_EQ(cache.Cherche(b, 0)->valeur, "jeton-b");
    // Within a minute of its end, a token is as good as expired.
    EXPECT_FALSE(cache.Cherche(b, 500 - kMargeExpiration));
    // A new token for one client drops the expired ones of the others.
    ASSERT_TRUE(cache.Garde(a, {"jeton-a2", 20000}, 1000));
    EXPECT_EQ(cache.Cherche(a, 1000)->valeur, "jeton-a2");
    EXPECT_EQ(test::LitFichier(fichier).find("jeton-b"), std::string::npos);
    EXPECT_FALSE(CacheJetons("").Garde(a, {"x", 10000}, 0));
}

// A file left readable by others, or edited by hand or another program.
TEST(JetonOAuthTest, AFileOpenToOthersOrWithADamagedEntryStaysUsableAndBecomesTheUsers) {
    const test::DossierTemporaire dossier;
    const std::string fichier = dossier / "Corvelle.jetons";
    const CacheJetons cache(fichier);
    const ClientOAuth a{kUrl, "app-a", "secret", "smtp"};
    ClientOAuth b = a;
    b.identifiant = "app-b";
    const std::string url = std::string(R"("url": ")") + kUrl + "\", ";
    test::EcritFichier(fichier, R"({"jetons": [{"url": null, "client": "app-a", "scope": "smtp", )"
                                R"("jeton": "nul", "expire": 10000}, 7, {)" +
                                    url +
                                    R"("client": "app-a", "scope": "smtp", "jeton": "texte", )" +
                                    R"("expire": "10000"}, {)" + url +
                                    R"("client": "app-b", "scope": "smtp", "jeton": "jeton-b", )" +
                                    R"("expire": 10000}]})");
    ::chmod(fichier.c_str(), 0644);
    EXPECT_EQ(cache.Cherche(b, 0)->valeur, "jeton-b");
    struct stat etat {};
    ASSERT_EQ(::stat(fichier.c_str(), &etat), 0);
    EXPECT_EQ(etat.st_mode & 0777, 0600u);
    EXPECT_FALSE(cache.Cherche(a, 0));
    // The damaged entries go at the next rewrite; the good one stays.
    ASSERT_TRUE(cache.Garde(a, {"jeton-a", 10000}, 0));
    EXPECT_EQ(cache.Cherche(a, 0)->valeur, "jeton-a");
    EXPECT_EQ(cache.Cherche(b, 0)->valeur, "jeton-b");
    EXPECT_EQ(test::LitFichier(fichier).find("texte"), std::string::npos);
}

}  // namespace
}  // namespace corvelle::oauth
