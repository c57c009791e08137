// A dispatch's recipients from the file that lists them to the headers and
// the envelope of its batch, previewed: nothing is sent.

#include "sending/Envoi.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <map>
#include <sstream>
#include <utility>
#include <vector>

#include "i18n/Langue.h"
#include "sending/Demande.h"
#include "sending/outbox/FileAttente.h"
#include "sending/smtp/RessourcesGMime.h"
#include "support/DialogueEnregistreur.h"
#include "support/DossierTemporaire.h"

namespace corvelle {
namespace {

// Whose names and mailboxes a header holds, and how many times each.
std::map<std::pair<std::string, std::string>, int> Boites(const std::string& valeur) {
    std::map<std::pair<std::string, std::string>, int> boites;
    const smtp::ObjetG<InternetAddressList> liste(
        internet_address_list_parse(nullptr, valeur.c_str()));
    for (int i = 0; liste && i < internet_address_list_length(liste.get()); ++i) {
        InternetAddress* adresse = internet_address_list_get_address(liste.get(), i);
        const char* nom = internet_address_get_name(adresse);
        ++boites[{nom ? nom : "",
                  internet_address_mailbox_get_addr(INTERNET_ADDRESS_MAILBOX(adresse))}];
    }
    return boites;
}

// Joined once, a name holding a comma was cut in two at the next reading and
// failed its whole batch.
TEST(Envoi, EveryRecipientReachesTheFoldedToHeaderOnceWithItsName) {
    test::DossierTemporaire dossier;
    std::string liste =
        "Dupont, Jean <jd@x.fr>\n\"Martin \\\"Jo\\\", Paul\" <m@x.fr>\nÉlodie Dupré <e@x.fr>\n"
        "a@x.fr, b@x.fr;\n";
    for (int i = 0; i < 200; ++i) {
        liste += "Abonné n° " + std::to_string(i) + " <abonne" + std::to_string(i) + "@x.fr>\n";
    }
    test::EcritFichier(dossier / "liste.txt", liste);
    Langue langue;
    ChargeTraductions(langue);
    DialogueEnregistreur dialogue;
    Demande demande;
    demande.expediteur = "moi@x.fr";
    demande.destinataires = "fic:liste.txt";
    demande.corpsTexte = "Bonjour";
    demande.encodage = "Iso-8859-1";
    demande.dossierCourant = dossier.Chemin();
    demande.apercu = true;
    demande.dossierApercu = dossier.Chemin();
    std::ostringstream enveloppe;
    std::streambuf* sortie = std::cout.rdbuf(enveloppe.rdbuf());
    const Bilan bilan = EnvoiMessage({langue, dialogue, nullptr, {}, {}}, demande);
    std::cout.rdbuf(sortie);
    ASSERT_EQ(bilan.lots.size(), 1u);
    ASSERT_TRUE(bilan.Accepte()) << bilan.lots[0].statut;

    const std::string eml = test::LitFichier(dossier / "corvelle-001.eml");
    const std::string entetes = eml.substr(0, eml.find("\r\n\r\n") + 2);
    std::string a;  // the To header unfolded
    bool dansA = false;
    for (std::size_t debut = 0, fin; debut < entetes.size(); debut = fin + 2) {
        fin = entetes.find("\r\n", debut);
        const std::string ligne = entetes.substr(debut, fin - debut);
        EXPECT_LE(ligne.size(), 998u);
        dansA = ligne.starts_with("To: ") || (dansA && ligne.starts_with('\t'));
        a += dansA ? ligne.substr(ligne.starts_with('\t') ? 0 : 4) : "";
    }
    const auto boites = Boites(a);
    EXPECT_EQ(boites.size(), 205u);
    for (const auto& [boite, fois] : boites) {
        EXPECT_EQ(fois, 1) << boite.first << " <" << boite.second << ">";
    }
    for (const auto& [nom, boite] : {std::pair{"Dupont, Jean", "jd@x.fr"},
                                     {"Martin \"Jo\", Paul", "m@x.fr"},
                                     {"Élodie Dupré", "e@x.fr"},
                                     {"", "a@x.fr"},
                                     {"", "b@x.fr"},
                                     {"Abonné n° 7", "abonne7@x.fr"}}) {
        EXPECT_TRUE(boites.contains({nom, boite})) << nom << " <" << boite << ">";
    }
    std::size_t rcpt = 0;
    for (std::size_t i = enveloppe.view().find("RCPT TO:<"); i != std::string::npos;
         i = enveloppe.view().find("RCPT TO:<", i + 1)) {
        ++rcpt;
    }
    EXPECT_EQ(rcpt, 205u);
}

// The progress counts the batches the dispatch will really make, and a stop
// between two batches names everyone the later ones would have reached.
TEST(Envoi, ProgressCountsEveryBatchAndAStopNamesTheRest) {
    Langue langue;
    DialogueEnregistreur dialogue;
    const auto envoie = [&](std::size_t arret, std::vector<Avancement>& etapes) {
        test::DossierTemporaire dossier;
        Demande demande;
        demande.expediteur = "moi@x.fr";
        demande.destinataires = "a1@x.fr, a2@x.fr, a3@x.fr, a4@x.fr, a5@x.fr";
        demande.copie = "c1@x.fr, c2@x.fr, c3@x.fr";
        demande.nbDest = 2;  // To in three batches, then Cc in two: five, not 8 / 2
        demande.corpsTexte = "Bonjour";
        demande.apercu = true;
        demande.dossierApercu = dossier.Chemin();
        ContexteEnvoi contexte{langue, dialogue, nullptr, {}, {}};
        contexte.avance = [&](const Avancement& a) { etapes.push_back(a); };
        contexte.arrete = [&] { return etapes.back().lotsEnvoyes == arret; };
        return EnvoiMessage(contexte, demande);
    };
    std::vector<Avancement> etapes;
    ASSERT_TRUE(envoie(99, etapes).Accepte());
    ASSERT_EQ(etapes.size(), 6u);
    for (std::size_t i = 0; i < etapes.size(); ++i) {
        EXPECT_EQ(etapes[i].lotsEnvoyes, i);
        EXPECT_EQ(etapes[i].lots, 5u);
        EXPECT_EQ(etapes[i].destinataires, 8u);
    }
    EXPECT_EQ(etapes[3].destinatairesEnvoyes, 5u);
    EXPECT_EQ(etapes[5].destinatairesEnvoyes, 8u);

    etapes.clear();
    const Bilan bilan = envoie(2, etapes);
    EXPECT_EQ(etapes.size(), 3u);
    ASSERT_EQ(bilan.lots.size(), 3u);
    EXPECT_TRUE(bilan.lots[1].accepte);
    const Lot& reste = bilan.lots[2];
    EXPECT_FALSE(reste.accepte);
    EXPECT_EQ(reste.destinataires, "a5@x.fr");
    EXPECT_EQ(reste.copie, "c1@x.fr, c2@x.fr, c3@x.fr");
    EXPECT_EQ(bilan.Genre(), GenreEchec::Temporaire);
}

// Kept whole or not at all: a message past what the outbox takes fails its
// batch, saying so, and nothing is written there.
TEST(Envoi, ABatchTooBigForTheOutboxFailsAndIsNotKept) {
    test::DossierTemporaire dossier;
    // Sparse: its base64 is past the cap, its disk blocks are not.
    test::EcritFichier(dossier / "gros.bin", "");
    std::filesystem::resize_file(
        std::filesystem::path(dossier / "gros.bin"),
        static_cast<std::uintmax_t>(outbox::kTailleMaxEntree / 4 * 3 + (1 << 20)));
    Langue langue;
    ChargeTraductions(langue);
    DialogueEnregistreur dialogue;
    Demande demande;
    demande.expediteur = "moi@x.fr";
    demande.destinataires = "a@x.fr";
    demande.corpsTexte = "Bonjour";
    demande.piecesJointes = {dossier / "gros.bin"};
    demande.configuration.Serveur = "127.0.0.1";
    demande.configuration.Port = 1;  // nobody listens: a failure for now
    demande.timeoutSecondes = 5;
    outbox::FileAttente file(dossier / "outbox");
    ContexteEnvoi contexte{langue, dialogue, nullptr, {}, {}};
    contexte.metEnAttente = [&](const outbox::Enveloppe& enveloppe, const std::string& reponse) {
        return file.Commence(enveloppe, {0, 1, 60, reponse});
    };
    const Bilan bilan = EnvoiMessage(contexte, demande);
    ASSERT_EQ(bilan.lots.size(), 1u);
    EXPECT_TRUE(std::filesystem::is_empty(dossier / "outbox"));
    EXPECT_TRUE(bilan.lots[0].attente.empty());
    EXPECT_EQ(bilan.Genre(), GenreEchec::Temporaire);
    EXPECT_NE(bilan.lots[0].statut.find("; non gardé dans la file d'attente : le message dépasse "
                                        "ce qu'elle garde (256 Mo)"),
              std::string::npos)
        << bilan.lots[0].statut;
}

}  // namespace
}  // namespace corvelle
