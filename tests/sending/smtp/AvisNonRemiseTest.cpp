// The failure notice: each recipient's status read from the relay's reply,
// and only the failed message's headers quoted.

#include <gtest/gtest.h>

#include <string>

#include "sending/smtp/AvisNonRemise.h"

namespace corvelle::smtp {
namespace {

std::string Redige(const std::string& reponse, bool expire) {
    AvisNonRemise avis;
    avis.auteur = "Mail Delivery System <MAILER-DAEMON@exemple.test>";
    avis.destinataire = "auteur@exemple.test";
    avis.objet = "Undelivered message";
    avis.explication = "Not delivered.";
    avis.mta = "relais.exemple.test";
    avis.expire = expire;
    avis.destinataires = {{"a@exemple.test", reponse}};
    avis.original = "Subject: Rapport\r\nFrom: auteur@exemple.test\r\n\r\nsecret body\r\n";
    return RedigeAvisNonRemise(avis);
}

TEST(AvisNonRemise, StatusFromTheReplyElseFromWhatHappened) {
    const struct {
        const char* reponse;
        bool expire;
        const char* statut;
    } cas[] = {
        {"550 5.1.1 <a@exemple.test>: Recipient address rejected", false, "5.1.1"},
        {"554 Transaction failed", false, "5.0.0"},
        // A status whose class is not the reply's does not count.
        {"550 4.1.1 odd", false, "5.0.0"},
        {"552 5.3.4.9 too many parts", false, "5.0.0"},
        // Given up while the relay still said "later": its own reason first.
        {"451 4.7.1 Greylisted", true, "4.7.1"},
        {"", true, "4.4.7"},
        {"", false, "5.0.0"},
    };
    for (const auto& c : cas) {
        const std::string avis = Redige(c.reponse, c.expire);
        EXPECT_NE(avis.find("\r\nFinal-Recipient: rfc822; a@exemple.test\r\nAction: failed\r\n"
                            "Status: " +
                            std::string(c.statut) + "\r\n"),
                  std::string::npos)
            << c.reponse << "\n"
            << avis;
        EXPECT_EQ(
            avis.find("Diagnostic-Code: smtp; " + std::string(c.reponse)) != std::string::npos,
            *c.reponse != '\0')
            << c.reponse;
    }
}

TEST(AvisNonRemise, QuotesTheHeadersButNeverTheBody) {
    const std::string avis = Redige("550 5.1.1 no", false);
    EXPECT_NE(avis.find("Content-Type: text/rfc822-headers\r\n\r\nSubject: Rapport\r\nFrom: "
                        "auteur@exemple.test\r\n\r\n--"),
              std::string::npos)
        << avis;
    EXPECT_EQ(avis.find("secret body"), std::string::npos);
}

}  // namespace
}  // namespace corvelle::smtp
