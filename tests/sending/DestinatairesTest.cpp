#include "sending/Destinataires.h"

#include <gtest/gtest.h>

#include <map>

#include "i18n/Langue.h"
#include "sending/Annuaire.h"
#include "support/DossierTemporaire.h"

namespace corvelle {
namespace {

using test::EcritFichier;

// A directory with fixed groups, to check how the expansion uses its answers.
class AnnuaireFixe : public Annuaire {
  public:
    std::map<std::string, std::pair<std::int32_t, Liste>> groupes;
    std::vector<std::string> demandes;

    std::int32_t MembresGroupe(const std::string& groupe, Collection&, Liste& membres,
                               const SuiviRecherches&) override {
        demandes.push_back(groupe);
        const auto it = groupes.find(groupe);
        if (it == groupes.end()) {
            return kGroupeInconnu;
        }
        membres = it->second.second;
        return it->second.first;
    }
};

class Expansion : public ::testing::Test {
  protected:
    test::DossierTemporaire dossier;
    Langue langue;
    std::vector<std::string> avis;  // notices, in order
    ContexteExpansion contexte{
        langue,  nullptr, dossier.Chemin(),
        "ex.fr", false,   [this](const std::string& texte) { avis.push_back(texte); }};

    void SetUp() override { ChargeTraductions(langue); }

    // Each address as a person would write it again.
    Liste Developpe(const std::string& champ) {
        Resultat<ListeAdresses, Arret> sortie = ExtraitDestinataires(contexte, champ);
        EXPECT_TRUE(sortie.Reussi()) << champ;
        Liste textes;
        for (const Adresse& adresse : sortie.Reussi() ? sortie.Valeur() : ListeAdresses{}) {
            textes.push_back(TexteAdresse(adresse));
        }
        return textes;
    }

    // The error that stops the send, in window then command-line wording,
    // with the step it stops and its kind.
    void EchoueAvec(const std::string& champ, Etape etape, GenreEchec genre,
                    const std::string& message) {
        for (const bool ligneCommande : {false, true}) {
            contexte.ligneCommande = ligneCommande;
            const Resultat<ListeAdresses, Arret> sortie = ExtraitDestinataires(contexte, champ);
            ASSERT_FALSE(sortie.Reussi()) << champ;
            EXPECT_EQ(sortie.Erreur().etape, etape) << champ;
            EXPECT_EQ(sortie.Erreur().echec.genre, genre) << champ;
            EXPECT_EQ(
                sortie.Erreur().echec.texte,
                message + (ligneCommande ? " L'outil va être fermé." : " L'envoi est abandonné."));
        }
        contexte.ligneCommande = false;
    }
};

TEST_F(Expansion, PlainEntriesAreCompletedSortedAndUnique) {
    EXPECT_EQ(Developpe("bob , a@x.fr,bob"), (Liste{"a@x.fr", "bob@ex.fr"}));
    EXPECT_EQ(Developpe("bob,Bob"), (Liste{"Bob@ex.fr", "bob@ex.fr"}));
    // The same mailbox in two forms sorts apart but goes once: domains ignore
    // letter case, local parts keep it.
    EXPECT_EQ(Developpe("jean,jean.b,jean@ex.fr"), (Liste{"jean@ex.fr", "jean.b@ex.fr"}));
    EXPECT_EQ(Developpe("bob@EX.fr,Bob,bob"), (Liste{"Bob@ex.fr", "bob@ex.fr"}));
    EXPECT_EQ(Developpe("bob,Bob <bob@Ex.fr>"), Liste{"Bob <bob@Ex.fr>"});
    EXPECT_EQ(Developpe(" , ,, "), Liste{});
    // A quoted display name with a comma stays with its address.
    EXPECT_EQ(Developpe("\"Martin, Jean\" <jm@x.fr>,u2"),
              (Liste{"\"Martin, Jean\" <jm@x.fr>", "u2@ex.fr"}));
    EXPECT_EQ(Developpe("GRP:Ventes"), Liste{"GRP:Ventes@ex.fr"});
    EXPECT_EQ(Developpe("\"Jean\" <j@x.fr>"), Liste{"Jean <j@x.fr>"});
    contexte.suffixe = "";
    EXPECT_EQ(Developpe("bob,a@x.fr"), (Liste{"a@x.fr", "bob@"}));
    EXPECT_TRUE(avis.empty());
}

// One copy per address and dispatch: To before copy before blind copy.
TEST(Doublons, EachMailboxStaysInTheFirstFieldThatHoldsIt) {
    const auto champ = [](std::initializer_list<const char*> entrees) {
        ListeAdresses adresses;
        for (const char* entree : entrees) {
            adresses.push_back(LitAdresse(entree));
        }
        return adresses;
    };
    std::array<ListeAdresses, 3> champs = {champ({"bob@x.fr", "\"Eve\" <eve@x.fr>"}),
                                           champ({"Bob@x.fr", "bob@X.fr", "carl@x.fr"}),
                                           champ({"eve@x.fr", "Bob <bob@x.fr>", "dora@x.fr"})};
    RetireDoublonsEntreChamps(champs);
    EXPECT_EQ(champs[0], champ({"bob@x.fr", "Eve <eve@x.fr>"}));
    // As within a field (above): "Bob" is someone else.
    EXPECT_EQ(champs[1], champ({"Bob@x.fr", "carl@x.fr"}));
    EXPECT_EQ(champs[2], champ({"dora@x.fr"}));
}

TEST_F(Expansion, RecipientFilesNestEndCyclesAndSkipMissingOnes) {
    EcritFichier(dossier / "a.txt", "bob\r\nfic:b.txt\r\n\r\n  carl  \r\nfic:a.txt\r\n");
    EcritFichier(dossier / "b.txt", "dora\nfic:a.txt\nfic:c.txt\n");
    // UTF-16 with its mark, as Windows tools write it.
    EcritFichier(dossier / "c.txt", std::string("\xFF\xFE"
                                                "e\0v\0e\0\r\0\n\0",
                                                12));
    // File names keep their letter case: A.txt is another file, A.TXT none.
    EcritFichier(dossier / "A.txt", "fred\n");
    EXPECT_EQ(
        Developpe("fic:a.txt,fic:A.txt,fic:A.TXT,fic:absent.txt,zoe"),
        (Liste{"bob@ex.fr", "carl@ex.fr", "dora@ex.fr", "eve@ex.fr", "fred@ex.fr", "zoe@ex.fr"}));
    EXPECT_EQ(avis, (Liste{"Le fichier de destinataires 'A.TXT' est introuvable... Il sera ignoré.",
                           "Le fichier de destinataires 'absent.txt' est introuvable... Il sera "
                           "ignoré."}));
    // Each field is expanded afresh.
    EXPECT_EQ(Developpe("fic:b.txt").size(), 4u);
}

// A binary file is no list: its lines would all go out as garbage addresses.
// How either error ends a command-line run is an acceptance test.
TEST_F(Expansion, BinaryRecipientFileIsAnErrorNamingIt) {
    EcritFichier(dossier / "bruit.bin", std::string("bob\n\x89PNG\0\xff\x01"
                                                    "carl\n",
                                                    16));
    EchoueAvec("zoe,fic:bruit.bin", Etape::Destinataires, GenreEchec::Local,
               "Une erreur (321) est survenue lors de la récupération des membres du fichier "
               "'bruit.bin'...");
}

TEST_F(Expansion, GroupMembersAreExpandedInTurnWithEachStatus) {
    EchoueAvec("bob,grp:Ventes", Etape::Groupes, GenreEchec::Configuration,
               "L'envoi de mail à des groupes est impossible lorsque l'accès à l'ActiveDirectory "
               "est désactivé...");
    AnnuaireFixe annuaire;
    annuaire.groupes["Ventes"] = {kGroupeTrouve, {"ann", "grp:Nord", "fic:liste.txt"}};
    annuaire.groupes["Nord"] = {kGroupeTrouve, {"nils@n.fr", "grp:Fantome"}};
    annuaire.groupes["Panne"] = {kAnnuaireInjoignable, {}};
    annuaire.groupes["Autre"] = {5, {}};
    annuaire.groupes["Tous"] = {kGroupeTropVaste, {}};
    EcritFichier(dossier / "liste.txt", "liv\n");
    contexte.annuaire = &annuaire;
    EXPECT_EQ(Developpe("grp:Ventes"), (Liste{"ann@ex.fr", "liv@ex.fr", "nils@n.fr"}));
    EXPECT_EQ(annuaire.demandes, (Liste{"Ventes", "Nord", "Fantome"}));
    EXPECT_EQ(avis, Liste{"Le groupe 'Fantome' est inconnu de la base des comptes... Il sera "
                          "ignoré."});
    // Unreachable may pass later; a refusal or a limit will not.
    EchoueAvec("grp:Panne", Etape::Groupes, GenreEchec::Temporaire,
               "Impossible de se connecter à l'ActiveDirectory pour récupérer la liste des membres "
               "du groupe 'Panne'...");
    EchoueAvec("grp:Autre", Etape::Groupes, GenreEchec::Permanent,
               "Une erreur (5) est survenue lors de la récupération des membres du groupe "
               "'Autre'...");
    EchoueAvec("grp:Tous", Etape::Groupes, GenreEchec::Permanent,
               "Les membres du groupe 'Tous' et des groupes qu'il contient demandent plus de "
               "10000 recherches dans l'annuaire : ils n'ont pas été récupérés...");
}

}  // namespace
}  // namespace corvelle
