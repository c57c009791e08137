// Address lists cut and read the way the envelope and the headers need them.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "sending/smtp/Adresses.h"
#include "sending/smtp/EchecEnvoi.h"
#include "sending/smtp/RessourcesGMime.h"

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

// The header as a GMime message holding `liste` in its To writes it.
std::string EnteteSelonGMime(const std::string& liste, const JeuCaracteres& jeu) {
    const ObjetG<GMimeMessage> message(g_mime_message_new(FALSE));
    const Adresses lues = LitAdresses(liste, jeu, "To");
    internet_address_list_append(g_mime_message_get_to(message.get()), lues.liste.get());
    const ObjetG<GMimeStream> memoire(g_mime_stream_mem_new());
    const OptionsFormat options = OptionsSMTP();
    g_mime_object_write_to_stream(GMIME_OBJECT(message.get()), options.get(), memoire.get());
    const GByteArray* octets = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(memoire.get()));
    const std::string tout(reinterpret_cast<const char*>(octets->data), octets->len);
    return tout.substr(0, tout.find("\r\n\r\n") + 2);
}

TEST(Adresses, HeaderWrittenForABatchIsByteForByteWhatGMimeWrites) {
    InitialiseGMime();
    const JeuCaracteres jeu("Iso-8859-1");
    std::string longues;
    for (int i = 0; i < 12; ++i) {
        longues += "abonne-au-nom-long" + std::to_string(i) + "@exemple-de-domaine.test, ";
    }
    const std::vector<std::string> listes = {
        "a@x.fr",
        "a@x.fr; b@y.fr ,c@z.fr",
        longues,
        // Longer than a line: GMime breaks before it even when it comes first.
        std::string(74, 'a') + "@x.fr, " + std::string(71, 'b') + "@y.fr, c@z.fr",
        std::string(72, 'a') + "@x, b@y.fr",
        "Élodie Dupré <e@exämple.fr>, \"Dupont, Jean\" <jd@x.fr>, " + longues,
        "equipe: a@x.fr, b@y.fr;, vide:;, José <j@x.fr>",
        longues + "Personne au nom assez long pour être replié <p@exemple-de-domaine.test>",
    };
    for (const std::string& liste : listes) {
        SCOPED_TRACE(liste);
        std::string entete;
        std::vector<std::string> boites;
        AjouteEnteteAdresses(entete, "To", liste, jeu, boites);
        EXPECT_EQ(entete, EnteteSelonGMime(liste, jeu));
        EXPECT_EQ(boites, LitAdresses(liste, jeu, "To").boites);
        // A dispatch's batch, its entries read one by one, writes the same.
        if (liste.find(':') == std::string::npos) {
            ListeAdresses lot;
            const Entrees entrees = DecoupeAdresses(liste);
            for (const std::string& entree : entrees.value()) {
                lot.push_back(LitAdresse(entree));
            }
            std::string enteteLot;
            std::vector<std::string> boitesLot;
            AjouteEnteteAdresses(enteteLot, "To", lot, jeu, boitesLot);
            EXPECT_EQ(enteteLot, entete);
            EXPECT_EQ(boitesLot, boites);
        }
    }
}

TEST(Adresses, BatchHeadersRefuseWhatTheFullReadingRefuses) {
    const JeuCaracteres jeu("UTF-8");
    std::string entete = "De: x\r\n";
    std::vector<std::string> boites;
    AjouteEnteteAdresses(entete, "Cc", " , ;", jeu, boites);
    EXPECT_EQ(entete, "De: x\r\n") << "an empty list writes no header";
    // Longer than any SMTP path: no fold could keep its line within 998 octets.
    const std::string longue = std::string(1000, 'a') + "@x.fr";
    for (const std::string mauvaise :
         {"x@", "a b@x.fr", "\"Dupont, Jean <jd@x.fr>", "a@x.fr <b@y.fr>", longue.c_str()}) {
        EXPECT_THROW(AjouteEnteteAdresses(entete, "Cc", mauvaise, jeu, boites), EchecEnvoi)
            << mauvaise;
        EXPECT_THROW(AjouteBoites(mauvaise, jeu, "Bcc", boites), EchecEnvoi) << mauvaise;
        const ListeAdresses lot = {{"", "ok@x.fr"}, LitAdresse(mauvaise)};
        EXPECT_THROW(AjouteEnteteAdresses(entete, "Cc", lot, jeu, boites), EchecEnvoi) << mauvaise;
        EXPECT_THROW(AjouteBoites(lot, jeu, "Bcc", boites), EchecEnvoi) << mauvaise;
    }
    EXPECT_TRUE(boites.empty());
}

}  // namespace
}  // namespace corvelle::smtp
