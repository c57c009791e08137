// The rules of the compose window, without any widget: its checks, what it
// hands to the dispatch, the recipient menus and the layout arithmetic.

#include <gtest/gtest.h>

#include "config/Parametres.h"
#include "ui/main/Composition.h"
#include "ui/main/Disposition.h"
#include "ui/main/MenuDestinataires.h"

namespace corvelle::test {
namespace {

using namespace ui;

TEST(ReglesComposition, ChecksStopAtTheFirstFailureInOrder) {
    Formulaire f;
    auto refus = [&](const std::string& cas, ChampRefuse champ, const char* message) {
        const auto r = VerifieFormulaire(f);
        ASSERT_TRUE(r.has_value()) << cas;
        EXPECT_EQ(r->champ, champ) << cas;
        EXPECT_EQ(r->message, "MSG_ERREUR_" + std::string(message)) << cas;
    };
    for (const char* expediteur : {"", "   ", "@example.com", "jean@localhost", "jean.dupont@"}) {
        f.expediteur = expediteur;
        refus(expediteur, ChampRefuse::Expediteur, "EXPEDITEUR");
    }
    f.expediteur = "  Jean Dupont <jean@example.com>  ";
    refus("recipients", ChampRefuse::Destinataires, "DESTINATAIRE");
    f.destinataires[2] = "   ";  // spaces count as content here
    refus("subject", ChampRefuse::Objet, "OBJET");
    f.objet = "Objet";
    refus("body", ChampRefuse::Corps, "CORPS");
    f.corps = "x";
    EXPECT_FALSE(VerifieFormulaire(f).has_value());
}

TEST(ReglesComposition, TheRequestHoldsOneLineRecipientsTheChosenPartsAndAbsoluteFiles) {
    EXPECT_EQ(NormaliseDestinataires("a@example.com\n\nb@example.com\r\nc@x.fr\rd@x.fr\n"),
              "a@example.com, b@example.com, c@x.fr, d@x.fr");
    EXPECT_EQ(NormaliseDestinataires("\"Dupont, Jean\" <jd@example.com>"),
              "\"Dupont, Jean\" <jd@example.com>");
    EXPECT_EQ(NormaliseDestinataires("  "), "");

    Formulaire f;
    f.destinataires[0] = "a@x.fr";
    f.destinataires[1] = "b@x.fr";
    f.destinataires[2] = "c@x.fr";
    f.corps = "Bonjour";
    f.importance = 2;
    f.piecesJointes = {"sous/b.txt", "/etc/hosts"};
    // Text only, both, HTML only: the body fills only the bodies asked for.
    for (const auto& [format, texte, html] :
         {std::tuple{0, "Bonjour", ""}, {1, "Bonjour", "Bonjour"}, {2, "", "Bonjour"}}) {
        f.format = format;
        Demande depart;
        depart.dossierCourant = "/travail";
        const Demande r = DemandeDepuisFormulaire(f, depart);
        EXPECT_EQ(r.corpsTexte, texte) << format;
        EXPECT_EQ(r.corpsHTML, html) << format;
        EXPECT_EQ(r.destinataires + r.copie + r.copieCachee, "a@x.frb@x.frc@x.fr");
        EXPECT_EQ(r.importance, 2);
        EXPECT_EQ(r.piecesJointes, (std::vector<std::string>{"/travail/sous/b.txt", "/etc/hosts"}));
    }
}

// Identifier, text, check mark and grey state of each item, in order.
std::vector<std::string> Elements(const Parametres& reglages, std::string_view champ) {
    std::vector<std::string> vus;
    for (const ElementMenu& e : ElementsMenu(reglages, champ, "<Ajouter>", "<Effacer>")) {
        vus.push_back(std::to_string(e.identifiant) + " " + e.texte + (e.coche ? " coché" : "") +
                      (e.grise ? " grisé" : ""));
    }
    return vus;
}

TEST(ReglesComposition, RecipientMenuItemsShowWhatTheFieldHoldsAndToggleIt) {
    Parametres r;
    r.DestinatairesParDefaut = "a@x.fr, b@x.fr";
    r.GroupesParDefaut = "Direction";
    r.FichierDestinatairesParDefaut = "equipe.txt";
    // Directory access off: no groups item; nothing to clear in an empty field.
    EXPECT_EQ(Elements(r, ""),
              (std::vector<std::string>{"1 a@x.fr, b@x.fr", "3 fic:equipe.txt", "0 -",
                                        "4 <Ajouter>", "5 <Effacer> grisé"}));
    // Checked whatever the case: choosing it removes its entries.
    const std::string plein = "B@X.FR, c@y.fr,A@x.fr";
    EXPECT_EQ(Elements(r, plein)[0], "1 a@x.fr, b@x.fr coché");
    EXPECT_EQ(AppliqueElement(ElementsMenu(r, plein, "", "")[0], plein), "c@y.fr");
    // Only some present: all appended.
    EXPECT_EQ(AppliqueElement(ElementsMenu(r, "a@x.fr", "", "")[0], "a@x.fr"),
              "a@x.fr, a@x.fr, b@x.fr");
    EXPECT_EQ(AjouteEntree(" a@x.fr ", "fic:listes/c.txt"), "a@x.fr, fic:listes/c.txt");
    r.UtiliserAD = true;
    EXPECT_EQ(
        Elements(r, "grp:direction, fic:EQUIPE.TXT"),
        (std::vector<std::string>{"1 a@x.fr, b@x.fr", "2 grp:Direction coché",
                                  "3 fic:equipe.txt coché", "0 -", "4 <Ajouter>", "5 <Effacer>"}));
}

TEST(ReglesComposition, LabelColumnsFollowTheWidestCaption) {
    using C = Controle;
    Disposition d;
    LargeursLegendes l;
    l.groupeA = {500, 500, 500, 500, 500, 500, 3000, 500, 500, 500};
    l.groupeB = {400, 900, 400};
    l.groupeC = {300, 300, 1500};
    l.ajouter = 800;
    l.supprimer = 1000;
    d.AjusteColonnes(l);
    for (const C label : {C::lblExpediteur, C::lblDestinataires2, C::lblFichiersJoints}) {
        EXPECT_EQ(d[label].largeur, 3000);
    }
    for (const C champ : {C::txtExpediteur, C::txtReponse, C::txtDestinataires1, C::txtObjetMessage,
                          C::txtCorpsMessage, C::lstFichiersJoints}) {
        EXPECT_EQ(d[champ].gauche, 120 + 3000 + 120);
    }
    // The options frame has its own column for the lists and for the right-hand labels.
    EXPECT_EQ(d[C::lblImportance].largeur, 900);
    EXPECT_EQ(d[C::cboNotification].gauche, 120 + 900 + 120);
    EXPECT_EQ(d[C::lblEncodage].largeur, 1500);
    EXPECT_EQ(d[C::btnAjouter].largeur, 1000 + 180);
    EXPECT_EQ(d[C::btnSupprimer].largeur, 1000 + 180);
}

// A Notification list wide enough to reach the Config. SMTP label pushes that
// row below it, the frame growing upwards; hidden, it leaves the frame as designed.
TEST(ReglesComposition, TheSmtpRowNeverLiesOverTheNotificationList) {
    using C = Controle;
    auto croise = [](const Rectangle& a, const Rectangle& b) {
        return a.gauche < b.Droite() && b.gauche < a.Droite() && a.haut < b.Bas() &&
               b.haut < a.Bas();
    };
    for (const int notification : {2655, 3600}) {
        Disposition d;
        LargeursLegendes l;
        l.groupeA.fill(1335);
        l.groupeB.fill(975);
        l.groupeC.fill(1095);
        l.notification = notification;
        d.AjusteColonnes(l);
        d.MontreConfigSMTP(true);
        d.Redimensionne(kLargeurClientDessinee, kHauteurClientDessinee);
        for (const C c : {C::lblConfigSMTP, C::cboConfigSMTP}) {
            EXPECT_FALSE(croise(d[c], d[C::cboNotification])) << notification;
            EXPECT_FALSE(croise(d[c], d[C::lblNotification])) << notification;
            EXPECT_LE(d[c].Bas() + 120, d[C::fraOptions].hauteur) << notification;
        }
        EXPECT_LT(d[C::txtCorpsMessage].Bas(), d[C::fraOptions].haut);
        EXPECT_EQ(d[C::fraOptions].hauteur == 1470, notification == 2655);  // room beside it
        d.MontreConfigSMTP(false);
        d.Redimensionne(kLargeurClientDessinee, kHauteurClientDessinee);
        EXPECT_EQ(d[C::fraOptions].hauteur, 1470);
    }
}

TEST(ReglesComposition, AResizeKeepsTheBottomRowClearAndRecipientFieldsGrowToACap) {
    using C = Controle;
    Disposition d;
    d.Redimensionne(9000, 7000);
    EXPECT_EQ(d[C::btnRaz].Bas(), 7000 - 120);
    EXPECT_EQ(d[C::btnQuitter].Droite(), 9000 - 120);
    EXPECT_EQ(d[C::btnEnvoyer].Droite(), d[C::btnQuitter].gauche - 120);
    EXPECT_LT(d[C::fraOptions].Bas(), d[C::btnRaz].haut);
    EXPECT_LT(d[C::txtCorpsMessage].Bas(), d[C::lstFichiersJoints].haut);
    EXPECT_EQ(d[C::txtExpediteur].Droite(), 9000 - 120);
    EXPECT_EQ(d[C::cboConfigSMTP].Droite(), d[C::fraOptions].largeur - 120);
    for (int i = 0; i < 3; ++i) {
        d.AjusteHauteurDestinataires(i, 255);
    }
    const Disposition avant = d;
    d.AjusteHauteurDestinataires(0, 5000);
    const int croissance = kHauteurMaxDestinataires - avant[C::txtDestinataires0].hauteur;
    EXPECT_EQ(d[C::txtDestinataires0].hauteur, kHauteurMaxDestinataires);
    EXPECT_EQ(d[C::txtDestinataires1].haut, d[C::txtDestinataires0].Bas() + 75);
    for (const C suivant : {C::lblDestinataires1, C::btnDestinataires2, C::lblObjetMessage,
                            C::txtObjetMessage, C::txtCorpsMessage}) {
        EXPECT_EQ(d[suivant].haut - avant[suivant].haut, croissance);
    }
    EXPECT_EQ(avant[C::txtCorpsMessage].hauteur - d[C::txtCorpsMessage].hauteur, croissance);
    EXPECT_EQ(d[C::lstFichiersJoints].haut, avant[C::lstFichiersJoints].haut);
    d.AjusteHauteurDestinataires(0, 255);
    for (const C c : {C::txtDestinataires2, C::lblCorpsMessage, C::txtCorpsMessage}) {
        EXPECT_EQ(d[c].haut, avant[c].haut);
        EXPECT_EQ(d[c].hauteur, avant[c].hauteur);
    }
}

}  // namespace
}  // namespace corvelle::test
