// Server replies as libcurl hands them over: whole lines, pieces of lines,
// several lines at once.

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace corvelle::smtp
