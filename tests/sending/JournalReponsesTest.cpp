// Server replies as libcurl hands them over: whole lines, pieces of lines,
// several lines at once.

#include <gtest/gtest.h>

#include "sending/smtp/Capacites.h"
#include "sending/smtp/Transport.h"

namespace corvelle::smtp {
namespace {

TEST(JournalReponsesTest, JoinsMultiLineRepliesAndKeepsTheLastRefusal) {
    JournalReponses journal;
    journal.Recoit("250-smtp.example.test\r\n");
    journal.Recoit("250-PIPELINING\r\n250 8BITMIME\r\n");
    EXPECT_EQ(journal.Derniere(), "250-smtp.example.test 250-PIPELINING 250 8BITMIME");
    EXPECT_EQ(journal.DernierRefus(), "");

    journal.Recoit("550 5.1.1 <x@y>: Recipient\r");
    journal.Recoit(" address rejected\r\n");
    journal.Recoit("221 Bye\r\n");
    EXPECT_EQ(journal.Derniere(), "221 Bye");
    EXPECT_EQ(journal.DernierRefus(), "550 5.1.1 <x@y>: Recipient address rejected");

    // A bare LF ends a line too, and a CR inside one is dropped.
    journal.Recoit("-ERR no\rsuch user\n");
    EXPECT_EQ(journal.DernierRefus(), "-ERR nosuch user");

    journal.Vide();
    EXPECT_EQ(journal.Derniere(), "");
    EXPECT_EQ(journal.DernierRefus(), "");
}

TEST(JournalReponsesTest, AnOpeningThatFailedSaysWhetherItMayPassLater) {
    const struct {
        CURLcode code;
        const char* refus;
        GenreEchec genre;
    } cas[] = {
        {CURLE_COULDNT_RESOLVE_HOST, "", GenreEchec::Temporaire},
        {CURLE_SSL_CONNECT_ERROR, "", GenreEchec::Temporaire},  // a handshake cut short
        {CURLE_PEER_FAILED_VERIFICATION, "", GenreEchec::Configuration},
        {CURLE_LOGIN_DENIED, "535 5.7.8 bad credentials", GenreEchec::Configuration},
        {CURLE_LOGIN_DENIED, "454 4.7.0 try later", GenreEchec::Temporaire},
        {CURLE_LOGIN_DENIED, "-ERR invalid password", GenreEchec::Configuration},
        {CURLE_WEIRD_SERVER_REPLY, "554 5.3.2 no service here", GenreEchec::Permanent},
        {CURLE_WEIRD_SERVER_REPLY, "421 4.3.2 busy", GenreEchec::Temporaire},
    };
    for (const auto& c : cas) {
        JournalReponses journal;
        journal.Recoit(std::string(c.refus) + "\r\n");
        EXPECT_EQ(GenreOuverture(c.code, journal), c.genre) << c.code << " " << c.refus;
    }
}

// What the server offers is what its last EHLO said: after STARTTLS it may
// offer more, or less, than in clear text.
TEST(JournalReponsesTest, CapabilitiesComeFromTheLastEhloOnly) {
    JournalReponses journal;
    journal.Recoit("250-pipelining.example.test\r\n250-CHUNKING\r\n250-DSN\r\n");
    journal.Recoit("250-SIZE 1000\r\n250 STARTTLS\r\n220 2.0.0 Ready to start TLS\r\n");
    journal.Recoit("250-pipelining.example.test\r\n250-pipelining\r\n250-SIZE 0\r\n");
    journal.Recoit("250-SmtpUtf8\r\n250-AUTH\r\n250 8BITMIME\r\n");
    Capacites capacites = LitCapacites(journal.DernierAccord());
    EXPECT_TRUE(capacites.pipelining);
    EXPECT_TRUE(capacites.smtputf8);
    EXPECT_FALSE(capacites.chunking);
    EXPECT_FALSE(capacites.dsn);
    EXPECT_FALSE(capacites.auth) << "AUTH without a mechanism";
    EXPECT_FALSE(capacites.tailleMax) << "SIZE 0 sets no limit";

    journal.Recoit("250-x.test\r\n250-AUTH PLAIN LOGIN\r\n250 SIZE 35882577\r\n");
    capacites = LitCapacites(journal.DernierAccord());
    EXPECT_TRUE(capacites.auth);
    EXPECT_FALSE(capacites.pipelining) << "the server's name is no capability";
    EXPECT_EQ(capacites.tailleMax, 35882577u);
}

}  // namespace
}  // namespace corvelle::smtp
