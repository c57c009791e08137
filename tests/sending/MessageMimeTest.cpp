// A dispatch's message written once and completed for each batch, against
// the message GMime builds whole.

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>
#include <vector>

#include "sending/smtp/EchecEnvoi.h"
#include "sending/smtp/MessageMime.h"

namespace corvelle::smtp {
namespace {

ContenuMessage Contenu() {
    ContenuMessage c;
    c.expediteur = "Jean Expéditeur <jean@exemple.fr>";
    c.reponse = "reponse@exemple.fr";
    c.destinataires = "Élodie <e@exemple.fr>, a@exemple.fr";
    c.copie = "b@exemple.fr";
    c.copieCachee = "cache@exemple.fr, a@EXEMPLE.fr";
    c.objet = "Résumé\r\nBcc: intrus@exemple.fr";
    c.texte = "Bonjour, été comme hiver.\r\n.\r\n";
    c.encodage = "Iso-8859-1";
    c.mailer = "Corvelle 1.0";
    c.importance = 2;
    c.sensibilite = 3;
    c.notification = 3;
    return c;
}

std::string Ecrit(const MessagePret& pret) {
    const ObjetG<GMimeStream> memoire(g_mime_stream_mem_new());
    const OptionsFormat options = OptionsSMTP();
    g_mime_object_write_to_stream(GMIME_OBJECT(pret.message.get()), options.get(), memoire.get());
    const GByteArray* octets = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(memoire.get()));
    return {reinterpret_cast<const char*>(octets->data), octets->len};
}

// What differs from one build to the next: the date, the identifier and the
// multipart boundary.
std::string SansVariable(const std::string& eml) {
    static const std::regex variables(
        "(Date|Message-Id): [^\r]*\r\n|boundary=\"[^\"]*\"|\r\n--=-[A-Za-z0-9+/]+");
    return std::regex_replace(eml, variables, "<$1>");
}

std::string Entete(const std::string& eml, const std::string& nom) {
    const std::size_t debut = eml.find("\r\n" + nom + ": ");
    if (debut == std::string::npos || debut > eml.find("\r\n\r\n")) {
        return "";
    }
    return eml.substr(debut + nom.size() + 4, eml.find("\r\n", debut + 2) - debut - nom.size() - 4);
}

TEST(GabaritMessage, EachBatchIsTheMessageGMimeBuildsWholeButForItsIdentifier) {
    for (const bool html : {false, true}) {
        SCOPED_TRACE(html);
        ContenuMessage contenu = Contenu();
        if (html) {
            contenu.html = "<p>Bonjour</p>\r\n";
        }
        const GabaritMessage gabarit(contenu);
        EXPECT_EQ(gabarit.Expediteur(), "jean@exemple.fr");
        std::string octets;
        std::vector<std::string> enveloppe;
        gabarit.Redige(contenu, octets, enveloppe);
        const MessagePret entier = ComposeMessage(contenu);
        EXPECT_EQ(SansVariable(octets), SansVariable(Ecrit(entier)));
        EXPECT_EQ(enveloppe, entier.destinataires);
        EXPECT_EQ(enveloppe, (std::vector<std::string>{"e@exemple.fr", "a@exemple.fr",
                                                       "b@exemple.fr", "cache@exemple.fr"}));
    }
}

TEST(GabaritMessage, BatchesChangeOnlyTheirRecipientsAndIdentifier) {
    ContenuMessage contenu = Contenu();
    const GabaritMessage gabarit(contenu);
    std::string octets;
    std::vector<std::string> enveloppe;
    std::set<std::string> identifiants;
    std::string reste;
    for (int lot = 0; lot < 3; ++lot) {
        contenu.destinataires = "lot" + std::to_string(lot) + "@exemple.fr";
        contenu.copie = lot == 1 ? "" : "copie@exemple.fr";
        contenu.copieCachee.clear();
        ASSERT_TRUE(gabarit.Convient(contenu));
        gabarit.Redige(contenu, octets, enveloppe);
        EXPECT_EQ(Entete(octets, "To"), contenu.destinataires);
        EXPECT_EQ(Entete(octets, "Cc"), contenu.copie) << "no empty Cc header";
        EXPECT_EQ(octets.find("cache@"), std::string::npos);
        EXPECT_EQ(enveloppe.size(), lot == 1 ? 1u : 2u);
        identifiants.insert(Entete(octets, "Message-Id"));
        std::string sansDestinataires =
            std::regex_replace(octets, std::regex("(To|Cc|Message-Id): [^\r]*\r\n"), "");
        if (lot > 0) {
            EXPECT_EQ(sansDestinataires, reste);
        }
        reste = sansDestinataires;
    }
    EXPECT_EQ(identifiants.size(), 3u);
    EXPECT_TRUE(std::regex_match(*identifiants.begin(), std::regex("<[0-9A-Z.]+@exemple\\.fr>")));
    contenu.objet = "Autre";
    EXPECT_FALSE(gabarit.Convient(contenu));
}

TEST(GabaritMessage, BadRecipientsFailTheBatchNotTheMessage) {
    ContenuMessage contenu = Contenu();
    const GabaritMessage gabarit(contenu);
    std::string octets;
    std::vector<std::string> enveloppe;
    const std::vector<std::pair<std::string, std::string>> cas = {
        {"x@", "To list"}, {"", "No recipient"}, {"undisclosed-recipients:;", "No recipient"}};
    for (const auto& [liste, attendu] : cas) {
        contenu.destinataires = liste;
        contenu.copie.clear();
        contenu.copieCachee.clear();
        try {
            gabarit.Redige(contenu, octets, enveloppe);
            ADD_FAILURE() << liste;
        } catch (const EchecEnvoi& e) {
            EXPECT_NE(std::string(e.what()).find(attendu), std::string::npos) << e.what();
            EXPECT_EQ(e.Genre(), GenreEchec::Permanent);  // no server would take it later
        }
    }
    contenu.destinataires = "ok@x.fr";
    gabarit.Redige(contenu, octets, enveloppe);
    EXPECT_EQ(enveloppe, std::vector<std::string>{"ok@x.fr"});

    contenu.expediteur = "";
    EXPECT_THROW(GabaritMessage{contenu}, EchecEnvoi);
}

TEST(ComposeMessage, ImportanceSensitivityAndReceiptsBecomeTheirHeaders) {
    InitialiseGMime();
    struct Cas {
        int importance, sensibilite, notification;
        const char *importanceAttendue, *priorite, *sensibiliteAttendue;
        bool reception, lecture;
    };
    for (const Cas& c : {Cas{1, 1, 1, "low", "5", "Personal", true, false},
                         Cas{2, 3, 3, "high", "1", "Company-Confidential", true, true},
                         Cas{0, 0, 2, "normal", "3", "", false, true},
                         Cas{0, 2, 0, "normal", "3", "Private", false, false}}) {
        ContenuMessage contenu = Contenu();
        contenu.importance = c.importance;
        contenu.sensibilite = c.sensibilite;
        contenu.notification = c.notification;
        const std::string eml = Ecrit(ComposeMessage(contenu));
        SCOPED_TRACE(eml.substr(0, eml.find("\r\n\r\n")));
        EXPECT_EQ(Entete(eml, "Importance"), c.importanceAttendue);
        EXPECT_EQ(Entete(eml, "X-Priority"), c.priorite);
        EXPECT_EQ(Entete(eml, "Sensitivity"), c.sensibiliteAttendue);
        const auto auteur = [&](const char* nom) {
            return Entete(eml, nom).find("jean@exemple.fr") != std::string::npos;
        };
        EXPECT_EQ(auteur("Return-Receipt-To"), c.reception);
        EXPECT_EQ(auteur("Disposition-Notification-To"), c.lecture);
    }
}

}  // namespace
}  // namespace corvelle::smtp
