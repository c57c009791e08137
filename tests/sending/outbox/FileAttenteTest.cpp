#include "sending/outbox/FileAttente.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "core/Erreur.h"
#include "support/DossierTemporaire.h"

namespace corvelle::outbox {
namespace {

using test::DossierTemporaire;
using test::EcritFichier;
using test::LitFichier;

Enveloppe UneEnveloppe() {
    return {"Relais", "robot@exemple.test", {"a@exemple.test", "b@exemple.test"},
            true,     "SUCCESS,FAILURE",    "HDRS",
            "id-1"};
}

const std::string kMessage = "Subject: essai\r\n\r\nligne\r\n.\r\n\r\n\r\n";

TEST(FileAttente, EntriesReadBackWholeAndFollowTheirOutcomes) {
    DossierTemporaire dossier;
    FileAttente file(dossier.Chemin());
    const std::string id = file.Depose(UneEnveloppe(), kMessage, 1000);
    ASSERT_EQ(file.Identifiants(), std::vector<std::string>{id});

    ResultatPrise prise = file.Prend(id);
    ASSERT_EQ(prise.etat, EtatPrise::Prise);
    EXPECT_EQ(prise.prise.entree.message, kMessage);
    EXPECT_EQ(prise.prise.entree.enveloppe.destinataires, UneEnveloppe().destinataires);
    EXPECT_TRUE(prise.prise.entree.enveloppe.huitBits);
    EXPECT_EQ(prise.prise.entree.enveloppe.envid, "id-1");
    // A reply over several lines, with what looks like the end of the fields.
    prise.prise.Reporte("451 4.7.1 plus tard\r\n\nSize: 3\\n", 1060);
    const std::optional<Entree> relue = file.Consulte(id);
    ASSERT_TRUE(relue);
    EXPECT_EQ(relue->historique.derniereReponse, "451 4.7.1 plus tard\r\n\nSize: 3\\n");
    EXPECT_EQ(relue->historique.tentatives, 1);
    EXPECT_EQ(relue->historique.prochaine, 1060);
    EXPECT_EQ(relue->historique.creation, 1000);

    file.Prend(id).prise.Abandonne("550 non");
    EXPECT_TRUE(file.Identifiants().empty());
    ASSERT_EQ(file.Identifiants(true), std::vector<std::string>{id});
    EXPECT_EQ(file.Consulte(id, true)->historique.tentatives, 2);
    ASSERT_TRUE(file.Reprend(id, 5000));
    EXPECT_TRUE(file.Identifiants(true).empty());
    EXPECT_EQ(file.Consulte(id)->historique.prochaine, 5000);

    file.Prend(id).prise.Livree();
    EXPECT_TRUE(file.Identifiants().empty());
    EXPECT_EQ(file.Prend(id).etat, EtatPrise::Absente);
    EXPECT_FALSE(file.Retire("../" + id));
}

TEST(FileAttente, WhatIsNotAWholeEntryIsNeverSentAndNeverLost) {
    DossierTemporaire dossier;
    FileAttente file(dossier.Chemin());
    const std::string id = file.Depose(UneEnveloppe(), kMessage, 1000);
    const std::string octets = LitFichier(dossier / (id + ".msg"));
    // A writer killed before its rename leaves its temporary file: not an entry.
    EcritFichier(dossier / ("." + id + ".msg.Ab12Cd.tmp"), octets.substr(0, 20));
    // A file cut short, a link to another's file.
    EcritFichier(dossier / "000000000001-a.msg", octets.substr(0, octets.size() - 1));
    EcritFichier(dossier / "secret", octets);
    ASSERT_EQ(::symlink((dossier / "secret").c_str(), (dossier / "000000000002-b.msg").c_str()), 0);
    ASSERT_EQ(file.Identifiants(),
              (std::vector<std::string>{"000000000001-a", "000000000002-b", id}));
    for (const std::string abimee : {"000000000001-a", "000000000002-b"}) {
        EXPECT_FALSE(file.Consulte(abimee)) << abimee;
        EXPECT_EQ(file.Prend(abimee).etat, EtatPrise::Abimee) << abimee;
        EXPECT_EQ(plateforme::Nature(dossier / ("damaged/" + abimee + ".msg")),
                  plateforme::NatureChemin::Fichier);
    }
    EXPECT_EQ(LitFichier(dossier / "secret"), octets);
    // A name as long as a name may be, put there twice: the second has no
    // room for a suffix in damaged/, and is set aside all the same.
    const std::string longue(251, 'a');
    for (int fois = 0; fois < 2; ++fois) {
        EcritFichier(dossier / (longue + ".msg"), "x");
        EXPECT_EQ(file.Prend(longue).etat, EtatPrise::Abimee);
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dossier / "damaged"),
                            std::filesystem::directory_iterator()),
              4);
    EXPECT_EQ(file.Identifiants(), std::vector<std::string>{id});
    EXPECT_EQ(file.Prend(id).etat, EtatPrise::Prise);

    // Left behind long ago: removed; a write maybe still going on: kept.
    const std::string ancien = dossier / ("." + id + ".msg.Ab12Cd.tmp");
    const std::string recent = dossier / ("." + id + ".msg.Ef34Gh.tmp");
    EcritFichier(recent, "");
    std::filesystem::last_write_time(
        ancien, std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
    file.Nettoie();
    EXPECT_EQ(plateforme::Nature(ancien), plateforme::NatureChemin::Absent);
    EXPECT_EQ(plateforme::Nature(recent), plateforme::NatureChemin::Fichier);
}

// A message too large to hold in memory goes into its entry as it is built:
// the entry appears only once whole, with the history it came with.
TEST(FileAttente, AnEntryWrittenAsItsMessageComesAppearsOnlyWhole) {
    DossierTemporaire dossier;
    FileAttente file(dossier.Chemin());
    {
        Depot abandonne = file.Commence(UneEnveloppe(), {1000, 1, 1060, "451 plus tard"});
        EXPECT_TRUE(abandonne.Ecrit("Subject: coupé\r\n"));
    }
    EXPECT_TRUE(std::filesystem::is_empty(dossier.Chemin()));

    Depot depot = file.Commence(UneEnveloppe(), {1000, 1, 1060, "451 plus tard"});
    const std::string corps(100000, 'x');
    for (const std::string_view morceau : {std::string_view(kMessage), std::string_view(corps)}) {
        EXPECT_TRUE(depot.Ecrit(morceau));
    }
    EXPECT_TRUE(file.Identifiants().empty());
    const std::string id = depot.Valide();
    ResultatPrise prise = file.Prend(id);
    ASSERT_EQ(prise.etat, EtatPrise::Prise);
    EXPECT_EQ(prise.prise.entree.message, kMessage + corps);
    EXPECT_EQ(prise.prise.entree.historique.tentatives, 1);
    EXPECT_EQ(prise.prise.entree.historique.prochaine, 1060);
    EXPECT_EQ(prise.prise.entree.historique.derniereReponse, "451 plus tard");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dossier.Chemin()), {}), 1);
}

// A listing reads an entry's fields, not its message, in pieces: fields that
// end across two pieces read whole; fields cut short, or a message not of
// the size they give, are no entry.
TEST(FileAttente, AListingReadsTheFieldsAloneAndRefusesThemCutShort) {
    DossierTemporaire dossier;
    FileAttente file(dossier.Chemin());
    Entree entree{"", UneEnveloppe(), {1000, 2, 1900, "421 occupé"}, std::string(300000, 'm'), 0};
    for (int i = 0; i < 1500; ++i) {
        entree.enveloppe.destinataires.push_back("abonne" + std::to_string(i) + "@exemple.test");
    }
    constexpr std::size_t kMorceau = 64 << 10;
    const std::size_t finChamps = Serialise(entree).find("\n\n");
    ASSERT_LT(finChamps, kMorceau - 1);
    entree.enveloppe.destinataires.back() += std::string(kMorceau - 1 - finChamps, 'y');
    const std::string octets = Serialise(entree);
    ASSERT_EQ(octets.find("\n\n"), kMorceau - 1);
    EcritFichier(dossier / "000000000001-a.msg", octets);
    const std::optional<Entree> lue = file.Consulte("000000000001-a");
    ASSERT_TRUE(lue);
    EXPECT_EQ(lue->enveloppe.destinataires, entree.enveloppe.destinataires);
    EXPECT_EQ(lue->historique.derniereReponse, "421 occupé");
    EXPECT_EQ(lue->historique.tentatives, 2);
    EXPECT_TRUE(lue->message.empty());

    for (const std::size_t coupe : {std::size_t{40}, kMorceau - 1, kMorceau + 1000}) {
        EcritFichier(dossier / "000000000002-b.msg", octets.substr(0, coupe));
        EXPECT_FALSE(file.Consulte("000000000002-b")) << coupe;
    }
    EcritFichier(dossier / "000000000002-b.msg", octets + "m");
    EXPECT_FALSE(file.Consulte("000000000002-b"));
}

// The machine's spool takes files from every user: the runner sends a file
// only for the user who wrote it, and sets aside only into folders of its own.
TEST(FileAttente, ASpoolFileIsSentOnlyForItsWriter) {
    if (plateforme::UtilisateurEffectif() != 0) {
        GTEST_SKIP() << "giving files to other users takes root";
    }
    constexpr std::uint32_t kAutre = 54321;
    DossierTemporaire dossier;
    FileAttente file(dossier.Chemin());
    Entree deposee{"", UneEnveloppe(), {1000, 0, 1000, {}}, kMessage, kAutre};
    EcritFichier(dossier / "000000000001-a.msg", Serialise(deposee));
    deposee.redacteur = kAutre + 1;
    EcritFichier(dossier / "000000000002-b.msg", Serialise(deposee));
    for (const char* nom : {"000000000001-a.msg", "000000000002-b.msg"}) {
        ASSERT_EQ(::chown((dossier / nom).c_str(), kAutre, kAutre), 0);
    }
    EXPECT_EQ(file.Prend("000000000001-a").etat, EtatPrise::Prise);
    const ResultatPrise etrangere = file.Prend("000000000002-b");
    EXPECT_EQ(etrangere.etat, EtatPrise::Abimee);
    EXPECT_EQ(etrangere.proprietaireEtranger, kAutre);
    EXPECT_EQ(plateforme::Nature(dossier / "damaged/000000000002-b.msg"),
              plateforme::NatureChemin::Fichier);

    // failed/ a link to elsewhere, damaged/ made by a writer: nothing goes
    // there, and the entry stays.
    const std::string id = file.Depose(UneEnveloppe(), kMessage, 1000);
    DossierTemporaire ailleurs;
    ASSERT_EQ(::symlink(ailleurs.Chemin().c_str(), (dossier / "failed").c_str()), 0);
    EXPECT_THROW(file.Prend(id).prise.Abandonne("550 non"), Erreur);
    ASSERT_EQ(::chown((dossier / "damaged").c_str(), kAutre, kAutre), 0);
    EcritFichier(dossier / "000000000003-c.msg", "coupé");
    EXPECT_THROW((void)file.Prend("000000000003-c"), Erreur);
    EXPECT_EQ(file.Identifiants(),
              (std::vector<std::string>{"000000000001-a", "000000000003-c", id}));
    EXPECT_TRUE(std::filesystem::is_empty(ailleurs.Chemin()));

    // A writer's own refusal, in a spool not theirs: left for the runner.
    DossierTemporaire spool;
    FileAttente depot(spool.Chemin());
    const std::string refuse = depot.Depose(UneEnveloppe(), kMessage, 1000);
    ASSERT_EQ(::chown(spool.Chemin().c_str(), kAutre, kAutre), 0);
    try {
        depot.Prend(refuse).prise.Abandonne("550 non");
        ADD_FAILURE() << "set aside by a writer";
    } catch (const Erreur& erreur) {
        EXPECT_NE(erreur.Description().find("550 non"), std::string::npos);
    }
    EXPECT_EQ(depot.Identifiants(), std::vector<std::string>{refuse});
    EXPECT_EQ(depot.Consulte(refuse)->historique.tentatives, 0);
}

TEST(FileAttente, AnEntryIsTriedByOneRunnerAtATime) {
    DossierTemporaire dossier;
    FileAttente premier(dossier.Chemin());
    FileAttente second(dossier.Chemin());
    const std::string id = premier.Depose(UneEnveloppe(), kMessage, 1000);
    ResultatPrise tenue = premier.Prend(id);
    ASSERT_EQ(tenue.etat, EtatPrise::Prise);
    EXPECT_EQ(second.Prend(id).etat, EtatPrise::Occupee);
    EXPECT_FALSE(second.Retire(id));
    // Rewritten under the same name while the other waited: the other takes
    // the new file, never the old one it may have opened.
    tenue.prise.Reporte("421 occupé", 2000);
    ResultatPrise reprise = second.Prend(id);
    ASSERT_EQ(reprise.etat, EtatPrise::Prise);
    EXPECT_EQ(reprise.prise.entree.historique.tentatives, 1);
    reprise.prise.Livree();
    EXPECT_EQ(premier.Prend(id).etat, EtatPrise::Absente);
}

TEST(FileAttente, RetriesBackOffUntilTheLifetimeEnds) {
    constexpr std::int64_t kJour = 24 * 3600;
    // Attempts already failed, then the wait after the next failure.
    for (const auto& [tentatives, attente] :
         {std::pair{0, 60}, {1, 300}, {2, 900}, {3, 1800}, {4, 3600}, {40, 3600}}) {
        EXPECT_EQ(ProchaineTentative({0, tentatives, 0, {}}, 1000, 5 * kJour), 1000 + attente)
            << tentatives;
    }
    // Past the lifetime: not retried. Exactly at its end: one last time.
    EXPECT_FALSE(ProchaineTentative({0, 9, 0, {}}, 5 * kJour - 3599, 5 * kJour));
    EXPECT_EQ(ProchaineTentative({0, 9, 0, {}}, 5 * kJour - 3600, 5 * kJour), 5 * kJour);
}

}  // namespace
}  // namespace corvelle::outbox
