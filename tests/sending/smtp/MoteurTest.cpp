// The engine against a scripted server: every reply must reach its own
// command and its own batch, whatever the server does.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "sending/smtp/PairScripte.h"
#include "sending/smtp/Transaction.h"

namespace corvelle::smtp {
namespace {

const std::string kMessage = "Subject: t\r\n\r\nbody\r\n";
const std::string kBdat = "BDAT " + std::to_string(kMessage.size()) + " LAST\r\n";
const Login kPlain{"PLAIN", "AGoAcw==", "*"};

std::string Enveloppe(const std::vector<std::string>& destinataires) {
    std::string commandes = "MAIL FROM:<a@x.test>\r\n";
    for (const std::string& d : destinataires) {
        commandes += "RCPT TO:<" + d + ">\r\n";
    }
    return commandes;
}

struct LotEnvoye {
    IdLot id;
    std::vector<std::string> destinataires;
    Suite suite;
};

struct Attendu {
    bool accepte = false;
    std::string contient;  // in the status
    bool rejouable = false;
    GenreEchec genre = GenreEchec::Temporaire;  // when not accepted
    std::string reponse{};                      // the reply that decided it, when given
    bool loginRefuse = false;
};

struct Cas {
    const char* nom;
    bool chunking;
    std::vector<LotEnvoye> lots;
    std::optional<bool> conclut;  // Conclut(quitte) after the batches
    std::vector<Pas> script;
    std::map<IdLot, Attendu> verdicts;
    int ecritures = -1;  // when the number of writes matters
    std::optional<Login> login = std::nullopt;
    std::vector<std::string> trace = {};  // lines the trace must show
};

void Verifie(const Cas& cas) {
    SCOPED_TRACE(cas.nom);
    PairScripte pair(cas.script);
    Capacites capacites;
    capacites.pipelining = true;
    capacites.chunking = cas.chunking;
    std::vector<std::string> lignes;
    TraceSMTP trace([&lignes](std::string_view ligne) { lignes.emplace_back(ligne); });
    Moteur moteur(pair, capacites, 50, &trace, cas.login);
    std::map<IdLot, Issue> recus;
    const auto recoit = [&](std::vector<Verdict> verdicts) {
        for (Verdict& verdict : verdicts) {
            EXPECT_FALSE(recus.contains(verdict.lot)) << "two verdicts for batch " << verdict.lot;
            recus[verdict.lot] = std::move(verdict.issue);
        }
    };
    for (const LotEnvoye& lot : cas.lots) {
        recoit(moteur.Envoie(lot.id, {.expediteur = "a@x.test", .destinataires = lot.destinataires},
                             std::string_view(kMessage), lot.suite));
    }
    if (cas.conclut) {
        recoit(moteur.Conclut(*cas.conclut));
    }
    EXPECT_EQ(pair.EnTrop(), "");
    EXPECT_EQ(pair.PasRestants(), 0U);
    if (cas.ecritures >= 0) {
        EXPECT_EQ(pair.Ecritures(), cas.ecritures);
    }
    ASSERT_EQ(recus.size(), cas.lots.size());  // one verdict for every batch, none lost
    for (const auto& [id, attendu] : cas.verdicts) {
        ASSERT_TRUE(recus.contains(id)) << "no verdict for batch " << id;
        const Issue& issue = recus[id];
        EXPECT_EQ(issue.accepte, attendu.accepte) << "batch " << id << ": " << issue.statut;
        EXPECT_NE(issue.statut.find(attendu.contient), std::string::npos)
            << "batch " << id << ": " << issue.statut;
        EXPECT_EQ(issue.rejouable, attendu.rejouable) << "batch " << id;
        if (!attendu.accepte) {
            EXPECT_EQ(issue.genre, attendu.genre) << "batch " << id << ": " << issue.statut;
        }
        if (!attendu.reponse.empty()) {
            EXPECT_EQ(issue.reponse, attendu.reponse) << "batch " << id;
        }
        EXPECT_EQ(issue.loginRefuse, attendu.loginRefuse) << "batch " << id;
    }
    for (const std::string& ligne : cas.trace) {
        EXPECT_NE(std::find(lignes.begin(), lignes.end(), ligne), lignes.end()) << ligne;
    }
}

// Batches de to a by BDAT, one recipient each: what they write, and the
// replies that accept n of them.
std::string Groupes(IdLot de, IdLot a) {
    std::string groupes;
    for (IdLot i = de; i <= a; ++i) {
        groupes += Enveloppe({"r" + std::to_string(i) + "@y.test"}) + kBdat + kMessage;
    }
    return groupes;
}

std::string Acceptes(std::size_t n) {
    std::string reponses;
    while (n-- > 0) {
        reponses += "250 ok\r\n250 ok\r\n250 queued\r\n";
    }
    return reponses;
}

std::vector<LotEnvoye> Serie(IdLot n) {
    std::vector<LotEnvoye> lots;
    for (IdLot i = 1; i <= n; ++i) {
        lots.push_back({i, {"r" + std::to_string(i) + "@y.test"}, Suite::Serie});
    }
    return lots;
}

TEST(MoteurTest, EachReplyReachesItsCommandAndEachVerdictItsBatch) {
    const std::string data = "DATA\r\n";
    const std::string point = kMessage + ".\r\n";
    const std::vector<Cas> cas = {
        {"a RCPT refused mid-group: the others still get the message",
         false,
         {{7, {"b@y.test", "c@y.test", "d@y.test"}, Suite::Seul}},
         std::nullopt,
         {{Enveloppe({"b@y.test", "c@y.test", "d@y.test"}) + data,
           "250 ok\r\n250 ok\r\n550 5.1.1 no such user\r\n250 ok\r\n354 go\r\n"},
          {point, "250 queued\r\n"}},
         {{7,
           {false, "Sent to 2 of 3 recipients; refused: c@y.test: 550 5.1.1", false,
            GenreEchec::Permanent, "550 5.1.1 no such user"}}}},

        {"a 554 after the dot goes to that batch and no other",
         false,
         {{1, {"b@y.test"}, Suite::Serie}, {2, {"c@y.test"}, Suite::FinDeSerie}},
         true,
         {{Enveloppe({"b@y.test"}) + data, "250 ok\r\n250 ok\r\n354 go\r\n"},
          {point + Enveloppe({"c@y.test"}) + data,
           "554 5.7.1 content refused\r\n250 ok\r\n250 ok\r\n354 go\r\n"},
          {point + "QUIT\r\n", "250 queued\r\n221 bye\r\n"}},
         {{1,
           {false, "Message refused: 554 5.7.1", false, GenreEchec::Permanent,
            "554 5.7.1 content refused"}},
          {2, {true, "250 queued"}}}},

        {"421 at MAIL: nothing taken, the batch may go again on a new connection",
         true,
         {{3, {"b@y.test"}, Suite::Seul}},
         std::nullopt,
         {{Enveloppe({"b@y.test"}) + kBdat + kMessage, "421 4.3.2 busy\r\n", true}},
         {{3, {false, "421 4.3.2 busy", true, GenreEchec::Temporaire, "421 4.3.2 busy"}}}},

        {"an address that would end its command line: nothing written, never sent",
         false,
         {{9, {"b@y.test>"}, Suite::Seul}},
         std::nullopt,
         {},
         {{9, {false, "Invalid address", false, GenreEchec::Permanent}}}},

        {"every recipient refused, one for now: the batch may go later",
         false,
         {{4, {"b@y.test", "c@y.test"}, Suite::Seul}},
         std::nullopt,
         {{Enveloppe({"b@y.test", "c@y.test"}) + data,
           "250 ok\r\n550 5.1.1 no such user\r\n450 4.2.1 try later\r\n554 no valid "
           "recipients\r\n"},
          {"RSET\r\n", "250 ok\r\n"}},
         {{4,
           {false, "No recipient accepted", false, GenreEchec::Temporaire,
            "450 4.2.1 try later"}}}},

        {"a RCPT answered twice: neither that batch nor the one read with it is sent",
         false,
         {{1, {"b@y.test"}, Suite::Serie}, {2, {"c@y.test", "d@y.test"}, Suite::Serie}},
         std::nullopt,
         {{Enveloppe({"b@y.test"}) + data, "250 ok\r\n250 ok\r\n354 go\r\n"},
          {point + Enveloppe({"c@y.test", "d@y.test"}) + data,
           "250 queued\r\n250 ok\r\n250 ok\r\n250 ok\r\n250 ok\r\n354 go\r\n"}},
         {{1, {false, "may or may not have been delivered", false, GenreEchec::Permanent}},
          {2, {false, "does not fit the command", false, GenreEchec::Permanent}}}},

        {"an unsolicited 250 after the final dot's reply",
         false,
         {{5, {"b@y.test"}, Suite::Seul}},
         std::nullopt,
         {{Enveloppe({"b@y.test"}) + data, "250 ok\r\n250 ok\r\n354 go\r\n"},
          {point, "250 queued\r\n250 2.0.0 and again\r\n"}},
         {{5, {false, "answers no command", false, GenreEchec::Permanent}}}},

        {"the last batch by BDAT takes QUIT in the same write; an extra 250 lands on QUIT",
         true,
         {{6, {"b@y.test"}, Suite::FinDeSerie}},
         std::nullopt,
         {{Enveloppe({"b@y.test"}) + kBdat + kMessage + "QUIT\r\n",
           "250 ok\r\n250 ok\r\n250 queued\r\n250 extra\r\n221 bye\r\n"}},
         {{6, {false, "may or may not have been delivered", false, GenreEchec::Permanent}}},
         1},

        {"452 after some recipients: the rest go in a new transaction, as many as it took",
         false,
         {{8, {"b@y.test", "c@y.test", "d@y.test"}, Suite::Seul}},
         std::nullopt,
         {{Enveloppe({"b@y.test", "c@y.test", "d@y.test"}) + data,
           "250 ok\r\n250 ok\r\n250 ok\r\n452 4.5.3 too many\r\n354 go\r\n"},
          {point, "250 queued\r\n"},
          {Enveloppe({"d@y.test"}) + data, "250 ok\r\n250 ok\r\n354 go\r\n"},
          {point, "250 queued again\r\n"}},
         {{8, {true, "250 queued again"}}}},

        {"a window of BDAT transactions, all written before a verdict is read",
         true,
         Serie(3),
         true,
         {{Groupes(1, 3) + "QUIT\r\n",
           "250 ok\r\n250 ok\r\n250 queued\r\n250 ok\r\n250 ok\r\n554 5.7.1 refused\r\n" +
               Acceptes(1) + "221 bye\r\n"}},
         {{1, {true, "250 queued"}},
          {2, {false, "554 5.7.1 refused", false, GenreEchec::Permanent}},
          {3, {true, "250 queued"}}},
         4},

        {"no more than 8 in flight: after the ninth, a verdict is read first",
         true,
         Serie(9),
         true,
         {{Groupes(1, 8), Acceptes(1)},
          {Groupes(9, 9), Acceptes(1)},
          {"QUIT\r\n", Acceptes(7) + "221 bye\r\n"}},
         {{1, {true, "queued"}}, {5, {true, "queued"}}, {9, {true, "queued"}}}},

        {"421 in a window: the batches after it may go again",
         true,
         Serie(3),
         false,
         {{Groupes(1, 3), Acceptes(1) + "421 4.3.2 busy\r\n", true}},
         {{1, {true, "250 queued"}},
          {2, {false, "421 4.3.2 busy", true}},
          {3, {false, "421", true}}}},

        {"connection lost with verdicts owed: the sent one is not sent again",
         false,
         {{1, {"b@y.test"}, Suite::Serie}, {2, {"c@y.test"}, Suite::Serie}},
         std::nullopt,
         {{Enveloppe({"b@y.test"}) + data, "250 ok\r\n250 ok\r\n354 go\r\n"},
          {point + Enveloppe({"c@y.test"}) + data, "", true}},
         {{1, {false, "the server did not confirm it"}}, {2, {false, "closed", true}}}},

        {"AUTH opens the first group: one write, one round trip before the content",
         false,
         {{1, {"b@y.test"}, Suite::Seul}},
         std::nullopt,
         {{"AUTH PLAIN AGoAcw==\r\n" + Enveloppe({"b@y.test"}) + data,
           "235 ok\r\n250 ok\r\n250 ok\r\n354 go\r\n"},
          {point, "250 queued\r\n"}},
         {{1, {true, "250 queued"}}},
         2,
         kPlain,
         {"> AUTH PLAIN ****", "> MAIL FROM:<a@x.test>"}},

        {"AUTH refused: the 354 that still comes gets no content",
         false,
         {{1, {"b@y.test"}, Suite::Seul}},
         std::nullopt,
         {{"AUTH PLAIN AGoAcw==\r\n" + Enveloppe({"b@y.test"}) + data,
           "535 5.7.8 bad credentials\r\n250 ok\r\n250 ok\r\n354 go\r\n"}},
         {{1,
           {false, "Login denied - server reply: 535 5.7.8 bad credentials", false,
            GenreEchec::Configuration, "", true}}},
         -1,
         kPlain},

        {"with BDAT, AUTH goes alone: no content before its verdict",
         true,
         {{1, {"b@y.test"}, Suite::Seul}},
         std::nullopt,
         {{"AUTH PLAIN AGoAcw==\r\n", "235 ok\r\n"},
          {Enveloppe({"b@y.test"}) + kBdat + kMessage, "250 ok\r\n250 ok\r\n250 queued\r\n"}},
         {{1, {true, "250 queued"}}},
         -1,
         kPlain},

        {"OAuth2 alone: the challenge is answered, the refusal after it read",
         true,
         {{1, {"b@y.test"}, Suite::Seul}},
         std::nullopt,
         {{"AUTH OAUTHBEARER dG9r\r\n", "334 eyJzdGF0dXMiOiI0MDEifQ==\r\n"},
          {"AQ==\r\n", "535 5.7.8 invalid token\r\n"}},
         {{1, {false, "535 5.7.8 invalid token", false, GenreEchec::Configuration, "", true}}},
         -1,
         Login{"OAUTHBEARER", "dG9r", "AQ=="},
         {"> AUTH OAUTHBEARER ****", "> ****"}},

        {"OAuth2 in the group: MAIL, read as the challenge's answer, ends the login",
         false,
         {{1, {"b@y.test"}, Suite::Seul}},
         std::nullopt,
         {{"AUTH XOAUTH2 dG9r\r\n" + Enveloppe({"b@y.test"}) + data,
           "334 eyJzdGF0dXMiOiI0MDEifQ==\r\n"},
          {"", "535 5.7.8 invalid token\r\n503 5.5.1 MAIL first\r\n503 5.5.1 RCPT first\r\n"}},
         {{1, {false, "535 5.7.8 invalid token", false, GenreEchec::Configuration, "", true}}},
         -1,
         Login{"XOAUTH2", "dG9r", ""}},
    };
    for (const Cas& c : cas) {
        Verifie(c);
    }
}

// A server that never reads while it floods replies, sends one endless reply
// or seems readable with nothing to read, is given up: memory does not grow
// and the write's time-out still holds.
class PairInondant : public Canal {
  public:
    explicit PairInondant(std::string motif) : motif_(std::move(motif)) {}
    std::size_t Envoie(std::string_view) override { return 0; }
    std::size_t Recoit(char* tampon, std::size_t taille) override {
        const std::size_t n = std::min(taille, motif_.size());
        std::memcpy(tampon, motif_.data(), n);
        lus_ += n;
        return n;
    }
    EtatCanal Attend(bool ecriture, std::int32_t) override { return {true, ecriture}; }
    std::size_t lus_ = 0;

  private:
    std::string motif_;
};

TEST(MoteurTest, AFloodingServerIsCutOffWithBoundedMemory) {
    for (const std::string& motif : {std::string("250 ok\r\n"), std::string("250-more\r\n"),
                                     std::string(4096, 'x'), std::string()}) {
        SCOPED_TRACE(motif.substr(0, 10));
        PairInondant pair(motif);
        Capacites capacites;
        capacites.pipelining = true;
        capacites.chunking = true;
        Moteur moteur(pair, capacites, 50, nullptr);
        const std::string gros(1 << 20, 'a');
        const std::vector<Verdict> verdicts =
            moteur.Envoie(1, {.expediteur = "a@x.test", .destinataires = {"b@y.test"}},
                          std::string_view(gros), Suite::Seul);
        ASSERT_EQ(verdicts.size(), 1U);
        EXPECT_FALSE(verdicts[0].issue.accepte);
        EXPECT_TRUE(moteur.Fermee());
        EXPECT_LT(pair.lus_, 200U * 1024) << verdicts[0].issue.statut;
    }
}

}  // namespace
}  // namespace corvelle::smtp
