// Address lists cut and read the way the envelope and the headers need them.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "sending/smtp/Adresses.h"
#include "sending/smtp/EchecEnvoi.h"

namespace corvelle::smtp {
namespace {

using Entrees = std::optional<std::vector<std::string>>;

TEST(Adresses, ListsAreCutAtCommasOutsideQuotesCommentsLiteralsAndGroups) {
    struct Cas {
        const char* liste;
        Entrees entrees;
    };
    const std::vector<Cas> cas = {
        {"a@x.fr, b@y.fr", {{"a@x.fr", "b@y.fr"}}},
        {"\"Dupont, Jean\" <jd@x.fr>, b@y.fr", {{"\"Dupont, Jean\" <jd@x.fr>", "b@y.fr"}}},
        {"jd@x.fr (Dupont, Jean), b@y.fr", {{"jd@x.fr (Dupont, Jean)", "b@y.fr"}}},
        // An escaped quote does not close the quoted name.
        {"\"a \\\", b\" <c@d.fr>", {{"\"a \\\", b\" <c@d.fr>"}}},
        {"equipe: a@x.fr, b@y.fr;, c@z.fr", {{"equipe: a@x.fr, b@y.fr;", "c@z.fr"}}},
        {"a@[IPv6:::1], b@y.fr", {{"a@[IPv6:::1]", "b@y.fr"}}},
        {"a@x.fr,, ,b@y.fr,", {{"a@x.fr", "b@y.fr"}}},
        {"a@x.fr; b@y.fr", {{"a@x.fr", "b@y.fr"}}},
        {"", {{}}},
        // Left open: the rest could not be told apart, so nothing is guessed.
        {"\"Dupont, Jean <jd@x.fr>, b@y.fr", std::nullopt},
        {"jd@x.fr (Dupont, b@y.fr", std::nullopt},
        {"equipe: a@x.fr, b@y.fr", std::nullopt},
    };
    for (const Cas& c : cas) {
        EXPECT_EQ(DecoupeAdresses(c.liste), c.entrees) << c.liste;
    }
}

TEST(Adresses, EveryEntryMustGiveMailboxesWithDomainsInAscii) {
    const JeuCaracteres jeu("Iso-8859-1");
    const Adresses lues =
        LitAdresses("Élodie <e@exämple.fr>, equipe: a@x.fr, b@y.fr;, vide:;", jeu, "To");
    EXPECT_EQ(lues.boites, (std::vector<std::string>{"e@xn--exmple-cua.fr", "a@x.fr", "b@y.fr"}));

    // The last one would give b@y.fr alone, "a@x.fr" taken for a display name.
    for (const char* mauvaise : {"x@", "@x.fr", "sans-arobase", "a b@x.fr", "a@x.fr <b@y.fr>"}) {
        EXPECT_THROW((void)LitAdresses(std::string("ok@x.fr, ") + mauvaise, jeu, "To"), EchecEnvoi)
            << mauvaise;
    }
}

}  // namespace
}  // namespace corvelle::smtp
