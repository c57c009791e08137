#include <gtest/gtest.h>

#include <algorithm>

#include "config/ConfigSMTP.h"
#include "config/MotDePasse.h"
#include "config/Parametres.h"
#include "config/Profil.h"
#include "core/Erreur.h"
#include "support/DossierTemporaire.h"

namespace corvelle {
namespace {

using test::EcritFichier;
using test::LitFichier;

// A record written with "|" in place of the unit separator.
std::string Record(std::string texte) {
    std::replace(texte.begin(), texte.end(), '|', '\x1F');
    return texte;
}

clsConfigSMTP Exemple(std::string nom) {
    return {std::move(nom),
            "smtp.exemple.fr",
            true,
            465,
            AuthLogin,
            "pop.exemple.fr",
            "jean",
            ChiffreMotDePasse("pw"),
            "",
            "",
            "",
            "",
            ""};
}

TEST(ConfigSMTP, SerialisationEtLecture) {
    const clsConfigSMTP c = Exemple("Bureau");
    EXPECT_EQ(c.Serialize(), Record("Bureau|smtp.exemple.fr|-1|465|2|pop.exemple.fr|jean|") +
                                 ChiffreMotDePasse("pw"));
    EXPECT_EQ(clsConfigSMTP{}.Serialize(), Record("||0|0|0|||"));
    clsConfigSMTP relu;
    EXPECT_EQ(relu.Deserialize(c.Serialize()), 0);
    EXPECT_EQ(relu, c);
    // A separator typed into a field cannot shift the fields after it.
    clsConfigSMTP separateurs = Exemple(
        "a\x1F"
        "b\x1E"
        "c");
    ASSERT_EQ(relu.Deserialize(separateurs.Serialize()), 0);
    separateurs.Nom = "a b c";
    EXPECT_EQ(relu, separateurs);

    const std::pair<const char*, int> lignes[] = {{"n|s|1|25|0", 0},
                                                  {"n|s|-1| 25 |0|p|u|pw|en trop", 0},
                                                  {"n|s|0|25", 9},
                                                  {"", 9},
                                                  {"n|s|-1|abc|0", 13},
                                                  {"n|s|-1||0", 13},
                                                  {"n|s|oui|25|0", 13},
                                                  {"n|s|-1|25|x", 13},
                                                  {"n|s|-1|99999999999|0", 6}};
    for (const auto& [item, resultat] : lignes) {
        clsConfigSMTP lu;
        EXPECT_EQ(lu.Deserialize(Record(item)), resultat) << item;
        EXPECT_TRUE(resultat != 0 || lu.SSL) << item;
    }
    clsConfigSMTP cinq;
    ASSERT_EQ(cinq.Deserialize(Record("n|s|0|587|3")), 0);
    EXPECT_EQ(cinq,
              (clsConfigSMTP{"n", "s", false, 587, AuthPlain, "", "", "", "", "", "", "", ""}));
    // The password command follows the eight historic fields only when there
    // is one: records without it keep their old form, and older readers skip it.
    clsConfigSMTP commande = c;
    commande.CommandeMotDePasse = "pass show smtp";
    ASSERT_EQ(relu.Deserialize(commande.Serialize()), 0);
    EXPECT_EQ(relu, commande);
    EXPECT_EQ(commande.Serialize(), c.Serialize() + Record("|pass show smtp"));
    // Records from before the optional fields existed leave them as they were.
    clsConfigSMTP ancien = Exemple("ancien");
    ASSERT_EQ(ancien.Deserialize(Record("n|s|0|25|0")), 0);
    EXPECT_EQ(ancien.Username, "jean");
    // A failure keeps what was read before it.
    clsConfigSMTP c2 = Exemple("ancien");
    EXPECT_EQ(c2.Deserialize(Record("nouveau|srv|0|abc|1|x|y|z")), 13);
    EXPECT_EQ(c2, (clsConfigSMTP{"nouveau", "srv", false, 465, AuthLogin, "pop.exemple.fr", "jean",
                                 ChiffreMotDePasse("pw"), "", "", "", "", ""}));
}

TEST(ConfigSMTP, ChampsOAuthEtPointDeJeton) {
    // The fields before the last one set are written empty, to keep their places.
    clsConfigSMTP c = Exemple("o");
    c.Authentification = AuthOAuth2;
    c.PorteeOAuth = "smtp.envoi";
    EXPECT_EQ(c.Serialize(), Record("o|smtp.exemple.fr|-1|465|4|pop.exemple.fr|jean|") +
                                 ChiffreMotDePasse("pw") + Record("||||smtp.envoi"));
    c.CommandeJetonOAuth = "jeton";
    c.CleOAuth = "cle.pem";  // the last field: every one before it keeps its place
    clsConfigSMTP relu;
    ASSERT_EQ(relu.Deserialize(c.Serialize()), 0);
    EXPECT_EQ(relu, c);

    // A tenant stands for Microsoft's endpoint and its SMTP scope; a URL is kept as given.
    clsConfigSMTP tenant;
    tenant.UrlJetonOAuth = "contoso.onmicrosoft.com";
    EXPECT_EQ(UrlJeton(tenant),
              "https://login.microsoftonline.com/contoso.onmicrosoft.com/oauth2/v2.0/token");
    EXPECT_EQ(PorteeJeton(tenant), "https://outlook.office365.com/.default");
    tenant.PorteeOAuth = "autre";
    EXPECT_EQ(PorteeJeton(tenant), "autre");
    clsConfigSMTP url;
    url.UrlJetonOAuth = "https://jetons.exemple/t";
    EXPECT_EQ(UrlJeton(url), "https://jetons.exemple/t");
    EXPECT_EQ(PorteeJeton(url), "");
}

TEST(ConfigSMTP, ConfigurationIssueDesAnciennesCles) {
    test::DossierTemporaire dossier;
    FichierProfil vide = FichierProfil::Charge(dossier / "absent.ini");
    const ListeConfigs defaut = ChargeConfigsSMTP(vide);
    ASSERT_EQ(defaut.size(), 1u);
    EXPECT_EQ(defaut[0], (clsConfigSMTP{kServeurSMTPParDefaut, kServeurSMTPParDefaut, false, 25,
                                        AuthAucune, "", "", "", "", "", "", "", ""}));
    EXPECT_EQ(vide.TexteComplet(), "[Configuration]\nConfigsSMTP=" + defaut[0].Serialize() + "\n");

    EcritFichier(dossier / "c.ini",
                 "[Configuration]\nLangue=English\nServeurSMTP=mail.exemple.fr\nPortSMTP=587\n"
                 "AuthentificationSMTP=1\nserveurpopsmtp=pop.exemple.fr\nUsernameSMTP=jean\n"
                 "PasswordSMTP=E8D9\n[Autre]\nPortSMTP=1\n");
    FichierProfil profil = FichierProfil::Charge(dossier / "c.ini");
    const ListeConfigs liste = ChargeConfigsSMTP(profil);
    ASSERT_EQ(liste.size(), 1u);
    EXPECT_EQ(liste[0], (clsConfigSMTP{"mail.exemple.fr", "mail.exemple.fr", false, 587, AuthPop3,
                                       "pop.exemple.fr", "jean", "E8D9", "", "", "", "", ""}));
    EXPECT_EQ(profil.TexteComplet(), "[Configuration]\nLangue=English\nConfigsSMTP=" +
                                         liste[0].Serialize() + "\n[Autre]\nPortSMTP=1\n");
}

TEST(ConfigSMTP, ListeEnregistreeRelueOuRefusee) {
    test::DossierTemporaire dossier;
    const std::string ini = dossier / "c.ini";
    EcritFichier(ini, "[Configuration]\nConfigsSMTP=ancienne\nLangue=English\n\n[Autre]\nk=v\n");
    const ListeConfigs liste = {Exemple("Zoé"), Exemple("alpha"), Exemple("Bureau")};
    FichierProfil profil = FichierProfil::Charge(ini);
    EnregistreConfigsSMTP(profil, liste);
    profil.Enregistre();
    // Saving moves the key to the end of its section.
    EXPECT_EQ(LitFichier(ini),
              "[Configuration]\nLangue=English\nConfigsSMTP=" + liste[0].Serialize() + "\x1E" +
                  liste[1].Serialize() + "\x1E" + liste[2].Serialize() + "\n\n[Autre]\nk=v\n");
    FichierProfil relu = FichierProfil::Charge(ini);
    EXPECT_EQ(ChargeConfigsSMTP(relu), liste);

    const std::string bon = Record("n|s|0|25|0");
    for (const auto& [valeur, numero] : {std::pair{bon + "\x1E\x1E" + bon, 9},
                                         {bon + "\x1E", 9},
                                         {bon + "\x1E" + Record("n|s|0|x|0"), 13}}) {
        EcritFichier(ini, "[Configuration]\nConfigsSMTP=" + valeur + "\n");
        FichierProfil mauvais = FichierProfil::Charge(ini);
        try {
            (void)ChargeConfigsSMTP(mauvais);
            ADD_FAILURE() << "loaded " << valeur;
        } catch (const Erreur& e) {
            EXPECT_EQ(e.Numero(), numero);
        }
    }

    // Read to be fixed: each record as far as it goes, every field that does
    // not read noted, and the record as stored, so that saving loses nothing.
    const std::string port = Record("Bureau|srv|1|abc|x|pop|jean");
    EcritFichier(ini, "[Configuration]\nConfigsSMTP=" + port + "\x1E" + bon + "\x1E" +
                          Record("Court|srv") + "\n");
    FichierProfil areparer = FichierProfil::Charge(ini);
    std::vector<RecordIllisible> illisibles;
    const ListeConfigs lue = ChargeConfigsSMTP(areparer, &illisibles);
    ASSERT_EQ(lue.size(), 3u);
    EXPECT_EQ(lue[0], (clsConfigSMTP{"Bureau", "srv", true, 0, AuthAucune, "pop", "jean", "", "",
                                     "", "", "", ""}));
    ASSERT_EQ(illisibles.size(), 2u);
    EXPECT_EQ(illisibles[0].champs,
              (std::vector{ChampStocke::Port, ChampStocke::Authentification}));
    EXPECT_EQ(illisibles[0].valeur, "abc");
    EXPECT_EQ(illisibles[0].position, 0u);
    EXPECT_EQ(illisibles[0].texte, port);
    EXPECT_EQ(illisibles[1].champs,
              (std::vector{ChampStocke::SSL, ChampStocke::Port, ChampStocke::Authentification}));
    EXPECT_EQ(illisibles[1].valeur, "");
    EXPECT_EQ(illisibles[1].position, 2u);
}

}  // namespace
}  // namespace corvelle
