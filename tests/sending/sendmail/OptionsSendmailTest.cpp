// The options cron, PHP, git and mail readers pass to the system's mailer.

#include <gtest/gtest.h>

#include "sending/sendmail/OptionsSendmail.h"

namespace corvelle::sendmail {
namespace {

TEST(OptionsSendmail, WhatCallersPassIsReadAsTheyMeanIt) {
    // git send-email, PHP and cron, bundled and separate values alike.
    const AnalyseSendmail a = AnalyseOptionsSendmail(
        {"-ti", "-oem", "-odi", "-B8BITMIME", "-f<bounces@x.fr>", "-F", "Cron Daemon", "-N",
         "success,Failure", "-Rhdrs", "-V", "id+42", "--conf=Relais", "--", "-a@x.fr", "b@y.fr"});
    ASSERT_EQ(a.erreur, ErreurOption::Aucune) << a.option;
    const OptionsSendmail& o = a.options;
    EXPECT_TRUE(o.lireEntetes);
    EXPECT_FALSE(o.pointFinal);
    EXPECT_EQ(o.expediteurEnveloppe, "bounces@x.fr");
    EXPECT_EQ(o.nomComplet, "Cron Daemon");
    EXPECT_EQ(o.dsn.notify, "SUCCESS,FAILURE");
    EXPECT_EQ(o.dsn.ret, "HDRS");
    EXPECT_EQ(o.dsn.envid, "id+42");
    EXPECT_EQ(o.configuration, "Relais");
    EXPECT_EQ(o.destinataires, (std::vector<std::string>{"-a@x.fr", "b@y.fr"}));

    const OptionsSendmail p =
        AnalyseOptionsSendmail({"-oi", "-r", "<>", "-C", "Autre", "-bp"}).options;
    EXPECT_FALSE(p.pointFinal);
    EXPECT_EQ(p.expediteurEnveloppe, "");
    EXPECT_EQ(p.configuration, "Autre");
    EXPECT_TRUE(p.listeFileAttente);
    EXPECT_TRUE(AnalyseOptionsSendmail({"x@y.fr"}).options.pointFinal);
}

TEST(OptionsSendmail, AnythingElseIsAUsageErrorNamingTheOption) {
    const struct {
        std::vector<std::string> arguments;
        ErreurOption erreur;
        std::string option;
    } cas[] = {
        {{"-t", "-Q"}, ErreurOption::Inconnue, "-Q"},
        {{"--verbose"}, ErreurOption::Inconnue, "--verbose"},
        {{"-f"}, ErreurOption::ValeurManquante, "-f"},
        {{"--conf"}, ErreurOption::ValeurManquante, "--conf"},
        {{"-N", "sometimes"}, ErreurOption::ValeurInvalide, "-N sometimes"},
        {{"-N", "never,success"}, ErreurOption::ValeurInvalide, "-N never,success"},
        {{"-R", "all"}, ErreurOption::ValeurInvalide, "-R all"},
        {{"-V", "a b"}, ErreurOption::ValeurInvalide, "-V a b"},
        {{"-bs"}, ErreurOption::ModeNonPrisEnCharge, "-bs"},
    };
    for (const auto& c : cas) {
        const AnalyseSendmail a = AnalyseOptionsSendmail(c.arguments);
        EXPECT_EQ(a.erreur, c.erreur) << c.arguments.back();
        EXPECT_EQ(a.option, c.option);
    }
}

}  // namespace
}  // namespace corvelle::sendmail
