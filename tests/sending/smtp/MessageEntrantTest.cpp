// A message handed over whole: relayed as given, with only what a relay must add.

#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "sending/smtp/MessageEntrant.h"

namespace corvelle::smtp {
namespace {

MessageEntrant Lit(const std::string& texte, ReglesEntree regles = {}) {
    std::istringstream entree(texte);
    return LitMessageEntrant(entree, regles);
}

TEST(MessageEntrant, HeadersAndBodyGoAsGivenWithCrLf) {
    const std::string donne =
        "From: root (Cron Daemon)\n"
        "To: Équipe <ops@x.fr>,\n"
        "\tdev@x.fr\n"
        "Bcc: cache@x.fr\n"
        "Subject: =?UTF-8?Q?=C3=A9t=C3=A9?=\n"
        "Date: Mon, 7 Dec 2026 04:00:00 +0000\n"
        "Message-ID: <a@b>\n"
        "\n"
        "ligne 1\r\n"
        "..\n"
        "50%\r100%\n"
        ".\n"
        "après le point";
    ReglesEntree regles;
    regles.lireEntetes = true;
    regles.expediteur = "defaut@x.fr";
    const MessageEntrant m = Lit(donne, regles);
    EXPECT_EQ(m.octets,
              "From: root (Cron Daemon)\r\n"
              "To: Équipe <ops@x.fr>,\r\n"
              "\tdev@x.fr\r\n"
              "Subject: =?UTF-8?Q?=C3=A9t=C3=A9?=\r\n"
              "Date: Mon, 7 Dec 2026 04:00:00 +0000\r\n"
              "Message-ID: <a@b>\r\n"
              "\r\n"
              "ligne 1\r\n"
              "..\r\n"
              "50%\r\n100%\r\n");
    EXPECT_EQ(m.destinataires, (std::vector<std::string>{"ops@x.fr", "dev@x.fr", "cache@x.fr"}));
    EXPECT_TRUE(m.huitBits);

    // With -i the lone dot is content; a header's bare CR never starts a field.
    regles.pointFinal = false;
    regles.lireEntetes = false;
    const MessageEntrant i = Lit("Subject: a\rBcc: b@x.fr\n\n.\nfin\n", regles);
    EXPECT_NE(i.octets.find("Subject: a Bcc: b@x.fr\r\n"), std::string::npos);
    EXPECT_NE(i.octets.find("\r\n\r\n.\r\nfin\r\n"), std::string::npos);
    EXPECT_TRUE(i.destinataires.empty());
    EXPECT_FALSE(i.huitBits);
}

TEST(MessageEntrant, DateMessageIdAndFromAddedOnlyWhenAbsent) {
    ReglesEntree regles;
    regles.expediteur = "alertes@exemple.fr";
    regles.nomComplet = "Sauvegarde nocturne";
    // No header at all: the text is the body, after the added headers.
    const MessageEntrant m = Lit("RAID degraded\n", regles);
    EXPECT_TRUE(std::regex_search(
        m.octets, std::regex("^From: Sauvegarde nocturne <alertes@exemple\\.fr>\r\n"
                             "Date: [A-Z][a-z]{2}, [0-9]{1,2} [A-Z][a-z]{2} 20[0-9]{2} "
                             "[0-9:]{8} [-+][0-9]{4}\r\n"
                             "Message-ID: <[^@>]+@exemple\\.fr>\r\n\r\nRAID degraded\r\n$")))
        << m.octets;
    const MessageEntrant avec = Lit("from: a@b.fr\nDATE: x\nmessage-id: <c@d>\n\ncorps\n", regles);
    EXPECT_EQ(avec.octets, "from: a@b.fr\r\nDATE: x\r\nmessage-id: <c@d>\r\n\r\ncorps\r\n");
}

TEST(MessageEntrant, WhatCannotBeRelayedIsRefusedWithItsReason) {
    ReglesEntree t;
    t.lireEntetes = true;
    const struct {
        std::string texte;
        DefautEntree defaut;
    } cas[] = {
        {"", DefautEntree::Vide},
        {".\nSubject: x\n", DefautEntree::Vide},
        {std::string("Subject: x\n\nun\0deux\n", 20), DefautEntree::OctetNul},
        {"To: <pas une adresse\n\ncorps\n", DefautEntree::AdresseIllisible},
    };
    for (const auto& c : cas) {
        try {
            (void)Lit(c.texte, t);
            ADD_FAILURE() << c.texte;
        } catch (const EntreeRefusee& refus) {
            EXPECT_EQ(refus.Defaut(), c.defaut) << c.texte;
        }
    }
}

}  // namespace
}  // namespace corvelle::smtp
