// The rules of the settings window, the SMTP dialog and the SMTP list, without
// any widget. List rows are letters, a selected one in lower case.

#include <gtest/gtest.h>

#include <cctype>

#include "config/ConfigSMTP.h"
#include "config/Parametres.h"
#include "ui/config/OperationsListe.h"
#include "ui/config/ReglesConfiguration.h"
#include "ui/config/ReglesSMTP.h"

namespace corvelle::test {
namespace {

using namespace ui;

TEST(ReglesSMTP, ChecksStopAtTheFirstFailingFieldInOrder) {
    // Every box enabled; each step mends the field refused, the server with spaces only.
    SaisieSMTP s{"", "65536", "", "", "", true, true};
    const std::tuple<std::string SaisieSMTP::*, const char*, const char*, ChampSMTP> etapes[] = {
        {&SaisieSMTP::serveur, "   ", "SERVEUR", ChampSMTP::Serveur},
        {&SaisieSMTP::port, "25", "PORT", ChampSMTP::Port},
        {&SaisieSMTP::username, "jean", "USERNAME", ChampSMTP::Username},
        {&SaisieSMTP::password, "x", "PASSWORD", ChampSMTP::Password},
        {&SaisieSMTP::serveurPop, "pop", "SERVEUR_POP", ChampSMTP::ServeurPop}};
    for (const auto& [champ, valeur, message, focus] : etapes) {
        const auto refus = VerifieSaisieSMTP(s);
        ASSERT_TRUE(refus.has_value()) << message;
        EXPECT_EQ(refus->message, "MSG_ERREUR_CONF_SMTP_" + std::string(message));
        EXPECT_EQ(refus->champ, focus) << message;
        s.*champ = valeur;
    }
    EXPECT_FALSE(VerifieSaisieSMTP(s).has_value());
    // Disabled boxes are never required, however empty.
    EXPECT_FALSE(VerifieSaisieSMTP({"smtp", "25", "", "", "", false, false}).has_value());
    EXPECT_FALSE(VerifieSaisieSMTP({"smtp", "25", "jean", "x", "", true, false}).has_value());
}

TEST(ReglesSMTP, PortAuthenticationTestRecipientAndOutcome) {
    for (const auto& [texte, port] : {std::pair{"65535", 65535}, {"0", 0}, {"025", 25}}) {
        EXPECT_EQ(PortValide(texte), port) << texte;
    }
    for (const char* texte :
         {"65536", "-1", "", "25 ", " 25", "2a", "+25", "99999999999999999999"}) {
        EXPECT_FALSE(PortValide(texte).has_value()) << texte;
    }
    // The SSL box swaps only the usual port of the other mode.
    for (const auto& [avant, ssl, apres] : {std::tuple{"25", true, "465"},
                                            {"465", false, "25"},
                                            {"587", true, "587"},
                                            {"587", false, "587"},
                                            {"025", true, "465"},
                                            {"25", false, "25"}}) {
        EXPECT_EQ(PortApresSSL(avant, ssl), apres) << avant << " " << ssl;
    }
    for (const auto& [code, identifiants, pop] : {std::tuple{AuthAucune, false, false},
                                                  {AuthLogin, true, false},
                                                  {AuthPlain, true, false},
                                                  {AuthPop3, true, true}}) {
        EXPECT_EQ(IdentifiantsRequis(code), identifiants) << code;
        EXPECT_EQ(ServeurPopRequis(code), pop) << code;
    }
    EXPECT_EQ(PremierDestinataire("  paul@example.com , b@example.com"), "paul@example.com");
    EXPECT_EQ(PremierDestinataire(" seul@example.com "), "seul@example.com");
    EXPECT_EQ(PremierDestinataire(", b@example.com"), "");
}

TEST(ReglesConfiguration, OkChecksEachFieldInOrderWithItsTab) {
    using C = ChampConfiguration;
    SaisieConfiguration s;
    s.accesADChoisi = 2;  // checked even with the search off
    auto refuse = [&](const char* cas, int onglet, const char* message, C champ) {
        const auto refus = VerifieConfiguration(s);
        ASSERT_TRUE(refus.has_value()) << cas;
        EXPECT_EQ(refus->onglet, onglet) << cas;
        EXPECT_EQ(refus->message, "MSG_ERREUR_" + std::string(message)) << cas;
        EXPECT_EQ(refus->champ, champ) << cas;
        // Only on the directory tab is the message shown before the tab.
        EXPECT_EQ(refus->ongletAvantMessage, onglet != 4) << cas;
    };
    refuse("no configuration", 1, "CONF_SMTP", C::ListeSMTP);
    s.nombreConfigs = 1;
    for (const char* expediteur : {"", "@x.fr", "jean@localhost"}) {
        s.expediteur = expediteur;
        refuse(expediteur, 2, "EXPEDITEUR", C::Expediteur);
    }
    s.expediteur = "Jean <j@x.fr>";
    s.suffixe = "   ";
    refuse("suffix", 3, "CONF_SUFFIXE", C::Suffixe);
    s.suffixe = "example.com";
    for (const char* nombre : {"", "101", "5a", " 5", "-1", "1234567890"}) {
        s.nbDest = nombre;
        refuse(nombre, 3, "CONF_NBDEST", C::NbDest);
    }
    s.nbDest = "100";
    for (const char* delai : {"0", "61", "1 "}) {
        s.timeout = delai;
        refuse(delai, 3, "CONF_TIMEOUT", C::Timeout);
    }
    s.timeout = "60";
    refuse("domain", 4, "CONF_AD_DOMAINE", C::Domaine);
    s.domaine = "ad.example.com";
    refuse("login", 4, "CONF_AD_LOGIN", C::Login);
    s.login = "jean";
    EXPECT_FALSE(VerifieConfiguration(s).has_value());
    // Another account needs no domain; the logon account, no login either.
    s.domaine.clear();
    s.accesADChoisi = 1;
    EXPECT_FALSE(VerifieConfiguration(s).has_value());
    s.login.clear();
    s.accesADChoisi = 0;
    EXPECT_FALSE(VerifieConfiguration(s).has_value());
}

TEST(ReglesConfiguration, RestartOnlyWhenTheSearchIsOnAndItsAccessChangedOrWasAskedFor) {
    Parametres stockes;
    stockes.UtiliserAD = true;
    stockes.AccesAD = 1;
    stockes.AccesADLogin = "jean";
    const SaisieAnnuaire meme{true, 1, "", "jean", ""};
    EXPECT_FALSE(AnnuaireDemandeRedemarrage(meme, stockes, false));
    EXPECT_TRUE(AnnuaireDemandeRedemarrage(meme, stockes, true));  // start-up asked for it
    for (SaisieAnnuaire change : {SaisieAnnuaire{true, 2, "", "jean", ""},
                                  {true, 1, "ad", "jean", ""},
                                  {true, 1, "", "paul", ""},
                                  {true, 1, "", "jean", "x"}}) {
        EXPECT_TRUE(AnnuaireDemandeRedemarrage(change, stockes, false));
        change.utiliser = false;  // turning the search off never needs one
        EXPECT_FALSE(AnnuaireDemandeRedemarrage(change, stockes, true));
    }
    stockes.UtiliserAD = false;
    EXPECT_TRUE(AnnuaireDemandeRedemarrage(meme, stockes, false));  // turned on
}

SelectionLignes Selection(const std::string& lignes) {
    SelectionLignes selection;
    for (const char c : lignes) {
        selection.push_back(std::islower(static_cast<unsigned char>(c)) != 0);
    }
    return selection;
}

// The rows once the jumps have run, in their order.
std::string Deplace(std::string lignes, const std::vector<Saut>& sauts) {
    for (const Saut& saut : sauts) {
        const char ligne = lignes.at(saut.depuis);
        lignes.erase(saut.depuis, 1);
        lignes.insert(saut.vers, 1, ligne);
    }
    return lignes;
}

TEST(OperationsListe, ButtonsRemovalAndMovesFollowTheSelection) {
    // Modifier, Supprimer, Monter, Descendre: '1' when they apply.
    for (const auto& [lignes, attendus] :
         {std::pair{"ABCD", "...."}, {"AbcD", ".111"}, {"aBCD", "11.1"}, {"ABCd", "111."}}) {
        const BoutonsListe b = BoutonsSelon(Selection(lignes));
        std::string actifs;
        for (const bool actif : {b.modifier, b.supprimer, b.monter, b.descendre}) {
            actifs += actif ? '1' : '.';
        }
        EXPECT_EQ(actifs, attendus) << lignes;
    }
    // The row that took the topmost removed place, or the new last one.
    EXPECT_EQ(LigneApresSuppression(Selection("ABCde")), 2u);
    EXPECT_EQ(LigneApresSuppression(Selection("AbCdE")), 1u);
    EXPECT_FALSE(LigneApresSuppression(Selection("ace")).has_value());
    EXPECT_FALSE(LigneApresSuppression(Selection("ABC")).has_value());
    // A block moves as a whole; separate blocks each jump the row next to them.
    EXPECT_EQ(Deplace("AbcD", SautsMonter(Selection("AbcD"))), "bcAD");
    EXPECT_EQ(Deplace("bcAD", SautsDescendre(Selection("bcAD"))), "AbcD");
    EXPECT_EQ(Deplace("AbCde", SautsMonter(Selection("AbCde"))), "bAdeC");
    EXPECT_EQ(Deplace("aBcD", SautsDescendre(Selection("aBcD"))), "BaDc");
}

}  // namespace
}  // namespace corvelle::test
