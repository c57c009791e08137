// The SMTP component against real servers: what they received, on the wire
// and once read back with GMime.

#include <gmime/gmime.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "core/Texte.h"
#include "sending/smtp/ComposantSMTP.h"
#include "sending/smtp/MessageMime.h"
#include "sending/smtp/RessourcesGMime.h"
#include "support/DossierTemporaire.h"
#include "support/ServeurTest.h"

namespace corvelle {
namespace {

using smtp::ObjetG;
using smtp::TexteG;
using test::CertificatsTest;
using test::ChampJson;
using test::DossierTemporaire;
using test::EcritFichier;
using test::ServeurTest;

constexpr const char* kUtilisateur = "jean";
constexpr const char* kMotDePasse = "s3cret é";

bool Accepte(const std::string& statut) {
    return statut.size() >= 14 && statut.compare(statut.size() - 14, 14, "session closed") == 0;
}

bool Contient(const std::string& texte, const std::string& morceau) {
    return texte.find(morceau) != std::string::npos;
}

// Sets (or, with nullptr, removes) an environment variable while it lives.
class VariableTemporaire {
  public:
    VariableTemporaire(const char* nom, const char* valeur) : nom_(nom) {
        if (const char* ancienne = std::getenv(nom)) {
            ancienne_ = ancienne;
        }
        valeur ? ::setenv(nom, valeur, 1) : ::unsetenv(nom);
    }
    VariableTemporaire(const VariableTemporaire&) = delete;
    VariableTemporaire& operator=(const VariableTemporaire&) = delete;
    ~VariableTemporaire() { ancienne_ ? ::setenv(nom_, ancienne_->c_str(), 1) : ::unsetenv(nom_); }

  private:
    const char* nom_;
    std::optional<std::string> ancienne_;
};

ObjetG<GMimeMessage> Analyse(const std::string& eml) {
    const ObjetG<GMimeStream> flux(g_mime_stream_mem_new_with_buffer(eml.data(), eml.size()));
    const ObjetG<GMimeParser> analyseur(g_mime_parser_new_with_stream(flux.get()));
    return ObjetG<GMimeMessage>(g_mime_parser_construct_message(analyseur.get(), nullptr));
}

std::string Entete(GMimeMessage* message, const char* nom) {
    const char* valeur = g_mime_object_get_header(GMIME_OBJECT(message), nom);
    return valeur ? valeur : "";
}

std::string Type(GMimeObject* partie) {
    const TexteG type(g_mime_content_type_get_mime_type(g_mime_object_get_content_type(partie)));
    return type.get();
}

GMimeObject* Partie(GMimeObject* multipartie, int indice) {
    return g_mime_multipart_get_part(GMIME_MULTIPART(multipartie), indice);
}

// The part's bytes once the transfer encoding is undone.
std::string Decode(GMimeObject* partie) {
    const ObjetG<GMimeStream> memoire(g_mime_stream_mem_new());
    g_mime_data_wrapper_write_to_stream(g_mime_part_get_content(GMIME_PART(partie)), memoire.get());
    const GByteArray* octets = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(memoire.get()));
    return {reinterpret_cast<const char*>(octets->data), octets->len};
}

// A text part's content in UTF-8, whatever charset it declared.
std::string Texte(GMimeObject* partie) {
    const TexteG texte(g_mime_text_part_get_text(GMIME_TEXT_PART(partie)));
    return texte.get();
}

std::string BlocEntetes(const std::string& eml) {
    return eml.substr(0, eml.find("\r\n\r\n") + 2);
}

class ComposantSMTPTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        g_mime_init();
        ::setenv("CURL_CA_BUNDLE", CertificatsTest().ca.c_str(), 1);
    }

    // A short message from jean to marie through the server on `port`.
    static void Prepare(ComposantSMTP& smtp, int port, bool ssl = false) {
        smtp.SetServeur("127.0.0.1");
        smtp.SetPort(port);
        smtp.SetSSL(ssl);
        smtp.SetTimeout(10000);
        smtp.SetExpediteur("Jean Expéditeur <jean@exemple.fr>");
        smtp.SetDestinataires("marie@exemple.fr");
        smtp.SetObjet("Essai");
        smtp.SetCorpsTexte("Bonjour\r\n");
        smtp.SetEncodage("Iso-8859-1");
    }

    DossierTemporaire fichiers;
};

// Charsets, TLS, authentication, refusals, time-outs and shared sessions are
// checked end to end through the program (tests/acceptance/test_envoi.py);
// these cases reach what the command line cannot.
TEST_F(ComposantSMTPTest, PlainSendCarriesBothBodiesAndAttachmentsAndNoBccHeader) {
    ServeurTest serveur("plain");
    std::string binaire;
    for (int i = 0; i < 5000; ++i) {
        binaire += static_cast<char>(i * 7 % 256);
    }
    const std::string texte = "Bonjour,\r\n.\r\n.point en début de ligne\r\n";
    EcritFichier(fichiers / "résumé été.txt", "Première ligne\nseconde\n");
    EcritFichier(fichiers / "donnees.bin", binaire);

    ComposantSMTP smtp;
    Prepare(smtp, serveur.Port());
    smtp.SetDestinataires("\"Dupont, Jean\" <jean.dupont@exemple.fr>");
    smtp.SetCopie("paul@exemple.fr");
    smtp.SetCopieCachee("Caché <cache@exemple.fr>");
    smtp.SetReponse("reponse@exemple.fr");
    smtp.SetCorpsTexte(texte);
    smtp.SetCorpsHTML("<p>Bonjour</p>\r\n");
    smtp.Extras().push_back("Corvelle 1.0");
    smtp.PiecesJointes() = {fichiers / "résumé été.txt", fichiers / "donnees.bin"};
    smtp.Envoie();

    EXPECT_TRUE(Accepte(smtp.Statut())) << smtp.Statut();
    EXPECT_TRUE(smtp.PiecesJointes().empty());
    const auto recus = serveur.Messages();
    ASSERT_EQ(recus.size(), 1u);
    EXPECT_EQ(ChampJson(recus[0].json, "mail_from"), "\"jean@exemple.fr\"");
    EXPECT_EQ(ChampJson(recus[0].json, "rcpt_tos"),
              "[\"jean.dupont@exemple.fr\", \"paul@exemple.fr\", \"cache@exemple.fr\"]");
    const std::string& eml = recus[0].eml;
    EXPECT_FALSE(Contient(eml, "cache@")) << "the blind copy shows in the message";
    for (std::size_t i = eml.find('\n'); i != std::string::npos; i = eml.find('\n', i + 1)) {
        ASSERT_EQ(eml[i - 1], '\r') << "bare LF at byte " << i;
    }

    const ObjetG<GMimeMessage> message = Analyse(eml);
    ASSERT_TRUE(message);
    EXPECT_TRUE(Contient(Entete(message.get(), "From"), "<jean@exemple.fr>"));
    EXPECT_EQ(Entete(message.get(), "To"), "\"Dupont, Jean\" <jean.dupont@exemple.fr>");
    EXPECT_EQ(Entete(message.get(), "Cc"), "paul@exemple.fr");
    EXPECT_EQ(Entete(message.get(), "Reply-To"), "reponse@exemple.fr");
    EXPECT_EQ(Entete(message.get(), "X-Mailer"), "Corvelle 1.0");
    EXPECT_EQ(Entete(message.get(), "MIME-Version"), "1.0");
    EXPECT_FALSE(Entete(message.get(), "Date").empty());
    EXPECT_TRUE(Contient(Entete(message.get(), "Message-Id"), "@exemple.fr>"));

    GMimeObject* melange = g_mime_message_get_mime_part(message.get());
    ASSERT_EQ(Type(melange), "multipart/mixed");
    ASSERT_EQ(g_mime_multipart_get_count(GMIME_MULTIPART(melange)), 3);
    GMimeObject* alternative = Partie(melange, 0);
    ASSERT_EQ(Type(alternative), "multipart/alternative");
    ASSERT_EQ(g_mime_multipart_get_count(GMIME_MULTIPART(alternative)), 2);
    EXPECT_EQ(Type(Partie(alternative, 0)), "text/plain");
    EXPECT_EQ(Texte(Partie(alternative, 0)), texte);
    EXPECT_EQ(Type(Partie(alternative, 1)), "text/html");
    EXPECT_EQ(Texte(Partie(alternative, 1)), "<p>Bonjour</p>\r\n");

    GMimeObject* accentuee = Partie(melange, 1);
    EXPECT_STREQ(g_mime_part_get_filename(GMIME_PART(accentuee)), "résumé été.txt");
    EXPECT_EQ(Type(accentuee), "text/plain");
    EXPECT_EQ(Decode(accentuee), "Première ligne\nseconde\n");
    GMimeObject* donnees = Partie(melange, 2);
    EXPECT_STREQ(g_mime_part_get_filename(GMIME_PART(donnees)), "donnees.bin");
    EXPECT_EQ(g_mime_part_get_content_encoding(GMIME_PART(donnees)), GMIME_CONTENT_ENCODING_BASE64);
    EXPECT_EQ(Decode(donnees), binaire);
}

TEST_F(ComposantSMTPTest, ImportanceSensitivityAndNotificationHeaders) {
    struct Cas {
        int importance, sensibilite, notification;
        const char *attendueImportance, *priorite, *sensibiliteAttendue;
        bool accuseReception, accuseLecture;
    };
    const std::vector<Cas> cas = {
        {1, 1, 1, "low", "5", "Personal", true, false},
        {2, 3, 3, "high", "1", "Company-Confidential", true, true},
        {0, 0, 2, "normal", "3", "", false, true},
        {0, 2, 0, "normal", "3", "Private", false, false},
    };
    ServeurTest serveur("plain");
    ComposantSMTP smtp;
    Prepare(smtp, serveur.Port());
    for (const Cas& c : cas) {
        smtp.SetImportance(c.importance);
        smtp.SetSensibilite(c.sensibilite);
        smtp.SetNotification(c.notification);
        smtp.Envoie();
        EXPECT_TRUE(Accepte(smtp.Statut())) << smtp.Statut();
    }
    const auto recus = serveur.Messages();
    ASSERT_EQ(recus.size(), cas.size());
    for (std::size_t i = 0; i < cas.size(); ++i) {
        SCOPED_TRACE(i);
        const ObjetG<GMimeMessage> message = Analyse(recus[i].eml);
        ASSERT_TRUE(message);
        EXPECT_EQ(Entete(message.get(), "Importance"), cas[i].attendueImportance);
        EXPECT_EQ(Entete(message.get(), "X-Priority"), cas[i].priorite);
        EXPECT_EQ(Entete(message.get(), "Sensitivity"), cas[i].sensibiliteAttendue);
        EXPECT_EQ(Contient(Entete(message.get(), "Return-Receipt-To"), "jean@exemple.fr"),
                  cas[i].accuseReception);
        EXPECT_EQ(Contient(Entete(message.get(), "Disposition-Notification-To"), "jean@exemple.fr"),
                  cas[i].accuseLecture);
    }
}

TEST_F(ComposantSMTPTest, LineBreaksInHeaderValuesNeverStartAHeader) {
    ServeurTest serveur("plain");
    ComposantSMTP smtp;
    Prepare(smtp, serveur.Port());
    smtp.SetObjet("Bonjour\r\nBcc: intrus@exemple.fr");
    smtp.Extras().push_back("Corvelle\nX-Injecte: oui");
    smtp.Envoie();
    EXPECT_TRUE(Accepte(smtp.Statut())) << smtp.Statut();

    // In an address list the break would also reach RCPT TO: refused outright.
    smtp.SetDestinataires("marie@exemple.fr\r\nRCPT TO:<intrus@exemple.fr>");
    smtp.Envoie();
    EXPECT_FALSE(Accepte(smtp.Statut()));
    EXPECT_TRUE(Contient(smtp.Statut(), "To list")) << smtp.Statut();

    const auto recus = serveur.Messages();
    ASSERT_EQ(recus.size(), 1u);
    EXPECT_EQ(ChampJson(recus[0].json, "rcpt_tos"), "[\"marie@exemple.fr\"]");
    const std::string entetes = BlocEntetes(recus[0].eml);
    EXPECT_FALSE(Contient(entetes, "\nBcc:"));
    EXPECT_FALSE(Contient(entetes, "\nX-Injecte:"));
    const ObjetG<GMimeMessage> message = Analyse(recus[0].eml);
    ASSERT_TRUE(message);
    EXPECT_STREQ(g_mime_message_get_subject(message.get()), "Bonjour  Bcc: intrus@exemple.fr");
}

TEST_F(ComposantSMTPTest, BadInputFailsClearlyAndSendsNothing) {
    struct Cas {
        std::function<void(ComposantSMTP&)> change;
        std::string attendu;  // in the status
    };
    const std::string absent = fichiers / "absent.pdf";
    const std::vector<Cas> cas = {
        {[](ComposantSMTP& s) { s.SetDestinataires(""); }, "No recipient"},
        {[](ComposantSMTP& s) { s.SetDestinataires("undisclosed-recipients:;"); }, "No recipient"},
        {[](ComposantSMTP& s) { s.SetDestinataires("marie@exemple.fr, x@"); }, "\"x@\""},
        {[](ComposantSMTP& s) { s.SetCopie("sans-arobase"); }, "Cc list: \"sans-arobase\""},
        {[](ComposantSMTP& s) { s.SetCopieCachee("\"Dupont, Jean <jd@exemple.fr>"); }, "Bcc"},
        {[](ComposantSMTP& s) { s.SetExpediteur(""); }, "No sender"},
        {[&](ComposantSMTP& s) { s.PiecesJointes().push_back(absent); }, absent},
        {[&](ComposantSMTP& s) { s.PiecesJointes().push_back(fichiers.Chemin()); }, "folder"},
        {[](ComposantSMTP& s) { s.SetImportance(7); }, "importance 7"},
        {[](ComposantSMTP& s) { s.SetAuthentification(9); }, "authentication mode 9"},
        {[](ComposantSMTP& s) { s.SetServeur("mail.exemple.fr/x"); }, "server name"},
    };
    ServeurTest serveur("plain");
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.attendu);
        ComposantSMTP smtp;
        Prepare(smtp, serveur.Port());
        c.change(smtp);
        smtp.Envoie();
        EXPECT_TRUE(Contient(smtp.Statut(), c.attendu)) << smtp.Statut();
        EXPECT_FALSE(Accepte(smtp.Statut()));
        EXPECT_TRUE(smtp.PiecesJointes().empty());
    }
    EXPECT_TRUE(serveur.Messages().empty());
}

TEST_F(ComposantSMTPTest, Pop3LoginBeforeAnUnauthenticatedSession) {
    ServeurTest pop("pop3");
    ServeurTest serveur("plain");
    ComposantSMTP smtp;
    Prepare(smtp, serveur.Port());
    smtp.SetAuthentification(1);
    smtp.SetUtilisateur(kUtilisateur);
    smtp.SetMotDePasse(kMotDePasse);
    smtp.SetServeurPop("127.0.0.1:" + std::to_string(pop.Port()));
    smtp.Envoie();
    EXPECT_TRUE(Accepte(smtp.Statut())) << smtp.Statut();
    EXPECT_TRUE(Contient(test::LitFichier(pop.Dossier() / "pop3.log"), " jean\n"));
    const auto recus = serveur.Messages();
    ASSERT_EQ(recus.size(), 1u);
    EXPECT_EQ(ChampJson(recus[0].json, "utilisateur"), "null");

    smtp.SetMotDePasse("faux");
    smtp.Envoie();
    EXPECT_FALSE(Accepte(smtp.Statut()));
    EXPECT_TRUE(Contient(smtp.Statut(), "-ERR bad login")) << smtp.Statut();
    EXPECT_EQ(serveur.Messages().size(), 1u);
}

// A body of several MB: long lines, trailing spaces, lone dots and accents
// cut at every reading boundary, ending with `fin`.
std::string CorpsVolumineux(const std::string& fin) {
    std::string texte;
    for (std::size_t i = 0; texte.size() < (std::size_t{5} << 20); ++i) {
        texte += "Ligne " + std::to_string(i) + " : déjà vu, à côté ";
        texte += std::string(i % 131, i % 2 ? 'x' : 'e');
        texte += i % 7 == 0 ? " \r\n.\r\n" : "\r\n";
    }
    return texte + fin;
}

// The headers without those that change with each message.
std::string EntetesStables(const std::string& eml) {
    static const std::regex variables("(Date|Message-Id|To): [^\r]*\r\n");
    return std::regex_replace(BlocEntetes(eml), variables, "");
}

// Such a body is written while it is sent, batch after batch, rather than kept
// encoded: what arrives must be the message the dispatch's template would
// have held, byte for byte, in the charset or, for a character it lacks, in
// UTF-8.
TEST_F(ComposantSMTPTest, LargeBodyWrittenWhileSentArrivesAsTheTemplateWouldHaveIt) {
    for (const auto& [fin, charset] : std::vector<std::pair<std::string, std::string>>{
             {"Fin.\r\n", "iso-8859-1"}, {"Prix : 5 €\r\n", "utf-8"}}) {
        SCOPED_TRACE(charset);
        const std::string texte = CorpsVolumineux(fin);
        smtp::ContenuMessage contenu;
        contenu.expediteur = "Jean Expéditeur <jean@exemple.fr>";
        contenu.destinataires = "marie@exemple.fr";
        contenu.objet = "Essai";
        contenu.texte = texte;
        contenu.encodage = "Iso-8859-1";
        std::string attendu;
        std::vector<std::string> enveloppe;
        smtp::GabaritMessage(contenu).Redige(contenu, attendu, enveloppe);

        ServeurTest serveur("plain");
        ComposantSMTP smtp;
        Prepare(smtp, serveur.Port());
        smtp.SetCorpsTexte(texte);
        for (const char* destinataire : {"marie@exemple.fr", "paul@exemple.fr"}) {
            smtp.SetDestinataires(destinataire);
            smtp.Envoie();
            EXPECT_TRUE(Accepte(smtp.Statut())) << smtp.Statut();
        }
        const auto recus = serveur.Messages();
        ASSERT_EQ(recus.size(), 2u);
        for (const auto& recu : recus) {
            const std::string& eml = recu.eml;
            EXPECT_EQ(EntetesStables(eml), EntetesStables(attendu));
            EXPECT_TRUE(eml.compare(eml.find("\r\n\r\n"), std::string::npos, attendu,
                                    attendu.find("\r\n\r\n")) == 0)
                << "the body differs from the template's";
            const ObjetG<GMimeMessage> message = Analyse(eml);
            ASSERT_TRUE(message);
            GMimeObject* partie = g_mime_message_get_mime_part(message.get());
            EXPECT_STREQ(g_mime_object_get_content_type_parameter(partie, "charset"),
                         charset.c_str());
            EXPECT_TRUE(Texte(partie) == texte) << "the text does not read back whole";
        }
        EXPECT_EQ(Entete(Analyse(recus[1].eml).get(), "To"), "paul@exemple.fr");
    }
}

TEST_F(ComposantSMTPTest, ConnectionDroppedDuringTheMessageFailsWithoutHanging) {
    // Larger than the pipe and socket buffers: the writer is still at work
    // when the server goes, and must be stopped, not left blocked.
    EcritFichier(fichiers / "gros.bin", std::string(32 << 20, 'x'));
    ServeurTest coupe("coupe");
    ComposantSMTP smtp;
    Prepare(smtp, coupe.Port());
    smtp.PiecesJointes().push_back(fichiers / "gros.bin");
    smtp.Envoie();
    EXPECT_FALSE(Accepte(smtp.Statut()));
    EXPECT_FALSE(smtp.Statut().empty());
}

}  // namespace
}  // namespace corvelle
