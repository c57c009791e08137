// The checks the settings window, the SMTP dialog and the command line share.

#include <gtest/gtest.h>

#include <limits>
#include <tuple>

#include "config/ConfigSMTP.h"
#include "config/VerificationsConfiguration.h"
#include "config/VerificationsSMTP.h"

namespace corvelle::test {
namespace {

// A field, the value that mends it, the message its refusal names, the focus.
using Etape = std::tuple<std::string SaisieSMTP::*, const char*, const char*, ChampSMTP>;

// Each step's field is the one refused, until every step is applied.
template <std::size_t N>
void MendsStepByStep(SaisieSMTP s, const Etape (&etapes)[N]) {
    for (const auto& [champ, valeur, message, focus] : etapes) {
        const auto refus = VerifieSaisieSMTP(s);
        ASSERT_TRUE(refus.has_value()) << message;
        EXPECT_EQ(refus->message, "MSG_ERREUR_CONF_SMTP_" + std::string(message));
        EXPECT_EQ(refus->champ, focus) << message;
        s.*champ = valeur;
    }
    EXPECT_FALSE(VerifieSaisieSMTP(s).has_value());
}

TEST(VerificationsSMTP, ChecksStopAtTheFirstFailingFieldInOrder) {
    // Every box enabled; each step mends the field refused, the server with spaces only.
    SaisieSMTP s{"", "65536", "", "", "", true, true, false, "", "", ""};
    const Etape etapes[] = {{&SaisieSMTP::serveur, "   ", "SERVEUR", ChampSMTP::Serveur},
                            {&SaisieSMTP::port, "25", "PORT", ChampSMTP::Port},
                            {&SaisieSMTP::username, "jean", "USERNAME", ChampSMTP::Username},
                            {&SaisieSMTP::password, "x", "PASSWORD", ChampSMTP::Password},
                            {&SaisieSMTP::serveurPop, "pop", "SERVEUR_POP", ChampSMTP::ServeurPop}};
    MendsStepByStep(s, etapes);
    // Disabled boxes are never required, however empty.
    EXPECT_FALSE(
        VerifieSaisieSMTP({"smtp", "25", "", "", "", false, false, false, "", "", ""}).has_value());
    EXPECT_FALSE(VerifieSaisieSMTP({"smtp", "25", "jean", "x", "", true, false, false, "", "", ""})
                     .has_value());
}

TEST(VerificationsSMTP, OAuth2NeedsATokenCommandOrAClientWithItsSecret) {
    SaisieSMTP s{"smtp", "587", "boite@exemple.test", "", "", true, false, true, "", "", ""};
    const Etape etapes[] = {
        {&SaisieSMTP::urlJeton, "http://jetons/t", "URL_JETON", ChampSMTP::UrlJeton},
        {&SaisieSMTP::urlJeton, "contoso", "URL_JETON", ChampSMTP::UrlJeton},
        {&SaisieSMTP::clientOAuth, "id", "CLIENT_OAUTH", ChampSMTP::ClientOAuth},
        {&SaisieSMTP::password, "secret", "PASSWORD", ChampSMTP::Password}};
    MendsStepByStep(s, etapes);
    // A token command needs no client and no secret; the mailbox is still required.
    SaisieSMTP commande{"smtp", "587", "", "", "", true, false, true, "", "", "oauth2l fetch"};
    EXPECT_EQ(VerifieSaisieSMTP(commande)->champ, ChampSMTP::Username);
    commande.username = "boite@exemple.test";
    EXPECT_FALSE(VerifieSaisieSMTP(commande).has_value());
    for (const char* valide : {"contoso.onmicrosoft.com", "0f1e2d3c-4b5a", "https://h/t"}) {
        EXPECT_TRUE(UrlOuTenantValide(valide)) << valide;
    }
    for (const char* refuse : {"", "https://", "http://h/t", "a b", "a/b", "h:443"}) {
        EXPECT_FALSE(UrlOuTenantValide(refuse)) << refuse;
    }
}

TEST(VerificationsSMTP, PortAuthenticationTestRecipientAndOutcome) {
    for (const auto& [texte, port] : {std::pair{"65535", 65535}, {"0", 0}, {"025", 25}}) {
        EXPECT_EQ(PortValide(texte), port) << texte;
    }
    for (const char* texte :
         {"65536", "-1", "", "25 ", " 25", "2a", "+25", "99999999999999999999"}) {
        EXPECT_FALSE(PortValide(texte).has_value()) << texte;
    }
    // The SSL box swaps only the usual port of the other mode.
    for (const auto& [avant, ssl, apres] : {std::tuple{"25", true, "465"},
                                            {"465", false, "25"},
                                            {"587", true, "587"},
                                            {"587", false, "587"},
                                            {"025", true, "465"},
                                            {"25", false, "25"}}) {
        EXPECT_EQ(PortApresSSL(avant, ssl), apres) << avant << " " << ssl;
    }
    for (const auto& [code, identifiants, pop] : {std::tuple{AuthAucune, false, false},
                                                  {AuthLogin, true, false},
                                                  {AuthPlain, true, false},
                                                  {AuthPop3, true, true},
                                                  {AuthOAuth2, true, false}}) {
        EXPECT_EQ(IdentifiantsRequis(code), identifiants) << code;
        EXPECT_EQ(ServeurPopRequis(code), pop) << code;
    }
    EXPECT_EQ(PremierDestinataire("  paul@example.com , b@example.com"), "paul@example.com");
    EXPECT_EQ(PremierDestinataire(" seul@example.com "), "seul@example.com");
    EXPECT_EQ(PremierDestinataire(", b@example.com"), "");
}

TEST(VerificationsConfiguration, EntierBorneTakesAMinusSignOnlyWhenTheRangeGoesBelowZero) {
    EXPECT_EQ(EntierBorne("-5", -5, 5), -5);  // the minimum itself
    EXPECT_EQ(EntierBorne("-6", -5, 5), std::nullopt);
    EXPECT_EQ(EntierBorne("-", -5, 5), std::nullopt);
    EXPECT_EQ(EntierBorne("-0", 0, 5), std::nullopt);
    EXPECT_EQ(EntierBorne("-999999999", std::numeric_limits<std::int32_t>::min(), 0), -999999999);
}

TEST(VerificationsConfiguration, OkChecksEachFieldInOrderWithItsTab) {
    using C = ChampConfiguration;
    SaisieConfiguration s;
    s.accesADChoisi = 2;  // checked even with the search off
    auto refuse = [&](const char* cas, int onglet, const char* message, C champ) {
        const auto refus = VerifieConfiguration(s);
        ASSERT_TRUE(refus.has_value()) << cas;
        EXPECT_EQ(refus->onglet, onglet) << cas;
        EXPECT_EQ(refus->message, "MSG_ERREUR_" + std::string(message)) << cas;
        EXPECT_EQ(refus->champ, champ) << cas;
        // Only on the directory tab is the message shown before the tab.
        EXPECT_EQ(refus->ongletAvantMessage, onglet != 4) << cas;
    };
    refuse("no configuration", 1, "CONF_SMTP", C::ListeSMTP);
    s.nombreConfigs = 1;
    for (const char* expediteur : {"", "@x.fr", "jean@localhost"}) {
        s.expediteur = expediteur;
        refuse(expediteur, 2, "EXPEDITEUR", C::Expediteur);
    }
    s.expediteur = "Jean <j@x.fr>";
    s.suffixe = "   ";
    refuse("suffix", 3, "CONF_SUFFIXE", C::Suffixe);
    s.suffixe = "example.com";
    for (const char* nombre : {"", "101", "5a", " 5", "-1", "1234567890"}) {
        s.nbDest = nombre;
        refuse(nombre, 3, "CONF_NBDEST", C::NbDest);
    }
    s.nbDest = "100";
    for (const char* delai : {"0", "61", "1 "}) {
        s.timeout = delai;
        refuse(delai, 3, "CONF_TIMEOUT", C::Timeout);
    }
    s.timeout = "60";
    for (const char* heures : {"", "8761"}) {
        s.dureeAttente = heures;
        refuse(heures, 3, "CONF_DUREE_ATTENTE", C::DureeAttente);
    }
    s.dureeAttente = "8760";
    refuse("domain", 4, "CONF_AD_DOMAINE", C::Domaine);
    s.domaine = "ad.example.com";
    refuse("login", 4, "CONF_AD_LOGIN", C::Login);
    s.login = "jean";
    EXPECT_FALSE(VerifieConfiguration(s).has_value());
    // Another account needs no domain; the logon account, no login either.
    s.domaine.clear();
    s.accesADChoisi = 1;
    EXPECT_FALSE(VerifieConfiguration(s).has_value());
    s.login.clear();
    s.accesADChoisi = 0;
    EXPECT_FALSE(VerifieConfiguration(s).has_value());
}

}  // namespace
}  // namespace corvelle::test
