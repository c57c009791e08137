#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "app/APropos.h"
#include "config/Profil.h"
#include "core/Dialogue.h"
#include "core/Texte.h"
#include "core/Version.h"
#include "i18n/Langue.h"
#include "i18n/TextesIntegres.h"
#include "support/DialogueEnregistreur.h"
#include "support/DossierTemporaire.h"

namespace corvelle {
namespace {

const std::string kFichierAnglais = std::string(CORVELLE_TRADUCTIONS) + "/English.lng";

std::size_t Compte(std::string_view texte, std::string_view motif) {
    std::size_t n = 0;
    for (std::size_t p = texte.find(motif); p != std::string_view::npos;
         p = texte.find(motif, p + motif.size())) {
        ++n;
    }
    return n;
}

// Command-line parameters a message names ("/conf", "/nde:"): a translation
// that changes them sends the reader to a parameter that does not exist.
std::vector<std::string> Parametres(std::string_view texte) {
    std::vector<std::string> parametres;
    for (std::size_t p = texte.find('/'); p != std::string_view::npos; p = texte.find('/', p + 1)) {
        if (p > 0 && std::isalnum(static_cast<unsigned char>(texte[p - 1]))) {
            continue;  // "du/des" is a word, not a parameter
        }
        std::size_t fin = p + 1;
        while (fin < texte.size() &&
               (std::isalpha(static_cast<unsigned char>(texte[fin])) || texte[fin] == '@')) {
            ++fin;
        }
        if (fin < texte.size() && texte[fin] == ':') {
            ++fin;
        }
        if (fin > p + 1) {
            parametres.emplace_back(texte.substr(p, fin - p));
        }
    }
    return parametres;
}

TEST(FichierAnglais, ChaqueTexteDuCatalogueTraduit) {
    const FichierProfil profil = FichierProfil::Charge(kFichierAnglais);
    ASSERT_TRUE(profil.Existe()) << kFichierAnglais;
    const FichierLangue fichier = FichierLangue::Charge(kFichierAnglais);
    // Protocol names, the same in both languages.
    const std::set<std::string_view> identiques = {
        "TXT_AUTHENTIFICATION_LOGIN", "TXT_AUTHENTIFICATION_PLAIN", "TXT_AUTHENTIFICATION_POP3"};

    for (const TexteIntegre& t : kTextesIntegres) {
        SCOPED_TRACE(std::string(t.cle));
        const auto brut = profil.Lit(kSectionTraduction, t.cle);
        ASSERT_TRUE(brut.has_value()) << "key missing from the file";
        if (t.francais.empty()) {
            // Only the incomplete-translation flag, which a complete file leaves empty.
            EXPECT_EQ(*brut, "");
            continue;
        }
        const std::string anglais = fichier.TraduitTexte(t.cle, "");
        ASSERT_FALSE(anglais.empty());
        if (!identiques.contains(t.cle)) {
            EXPECT_NE(anglais, ConvertitSautsDeLigne(std::string(t.francais)));
        }
        // The program fills "%v" in either case, one value each, in order.
        EXPECT_EQ(Compte(Minuscules(anglais), "%v"), Compte(Minuscules(t.francais), "%v"));
        EXPECT_EQ(Compte(*brut, "§"), Compte(t.francais, "§"));
        for (const std::string& parametre : Parametres(t.francais)) {
            EXPECT_NE(anglais.find(parametre), std::string::npos) << parametre;
        }
    }
}

TEST(FichierAnglais, ChoisiSurUnSystemeAnglaisSansMessage) {
    test::DossierTemporaire dossier;
    const std::string programme = dossier / "programme";
    std::filesystem::create_directories(programme);
    std::filesystem::copy_file(kFichierAnglais, programme + "/English.lng");
    DialogueEnregistreur dialogue;

    const FichierProfil vide = FichierProfil::Charge(dossier / "Corvelle.ini");
    const Langue l = ChoisitLangue(vide, programme, 9, dialogue);
    EXPECT_EQ(l.LangueCourante, "English");
    EXPECT_EQ(l.FichierTraduction, programme + "/English.lng");
    EXPECT_TRUE(dialogue.boites.empty());
    ASSERT_EQ(l.Traductions.Count(), kTextesIntegres.size());
    EXPECT_EQ(FormateMessage(l.Texte("MSG_SUCCES_ENVOI"), "Report", 3, 1),
              "The message 'Report' was sent to 3 recipient(s) in 1 send(s)...");
    EXPECT_EQ(FormateMessage(l.Texte("MSG_ERREUR"), 53, "File not found"),
              "An error (53) occurred during processing:\r\n\r\nFile not found\r\n\r\nPlease "
              "contact the author of the software if the problem persists...");
    // A French system keeps the built-in texts even with the file beside the program.
    EXPECT_EQ(ChoisitLangue(vide, programme, 12, dialogue).Texte("TXT_FORMAT_TEXTE"),
              "Texte seulement");
}

TEST(FichierAnglais, AideDeLaFenetreAPropos) {
    const std::string aide = FichierLangue::Charge(kFichierAnglais).TraduitTexte("txtSyntaxe", "");
    ASSERT_FALSE(aide.empty()) << "no <txtSyntaxe> block";
    // The title line carries the version, which the window shows elsewhere.
    EXPECT_EQ(aide.find(TitreFenetre()), std::string::npos);

    for (const char* parametre :
         {"/a:",  "/cc:",   "/cci:", "/o:",   "/ct:", "/ctf:",  "/ch:",      "/chf:", "/pj:",
          "/iep", "/conf:", "/de:",  "/rep:", "/en:", "/ar",    "/al",       "/arl",  "/nde:",
          "/@:",  "/l",     "/l:",   "/r",    "/?",   "--help", "--version", "fic:",  "grp:"}) {
        EXPECT_NE(aide.find(std::string(" ") + parametre), std::string::npos) << parametre;
    }
    for (char code = '0'; code <= '6'; ++code) {
        EXPECT_NE(aide.find(std::string("\r\n  ") + code + "  "), std::string::npos) << code;
    }
    // Examples are commands: they are copied, not translated.
    const std::string francais = TexteAPropos();
    const std::size_t debutExemples = francais.find("\nExemples :\n");
    ASSERT_NE(debutExemples, std::string::npos);
    std::size_t exemples = 0;
    for (const std::string& ligne : Decoupe(francais.substr(debutExemples), "\n")) {
        if (ligne.starts_with("  corvelle /")) {
            ++exemples;
            EXPECT_NE(aide.find("\r\n" + ligne), std::string::npos) << ligne;
        }
    }
    EXPECT_GE(exemples, 3u);
    // Texts from the file turn a bare section sign into a line break: the help
    // must still show the sign the /ct: and /ch: parameters use.
    EXPECT_EQ(Compte(aide, "§"), Compte(francais, "§"));
}

TEST(FichierAnglais, LibellesDesFenetres) {
    const FichierProfil profil = FichierProfil::Charge(kFichierAnglais);
    // French captions of the compose and About windows, menus grouped as shown
    // together: a shortcut letter must not be used twice within one group.
    const std::vector<std::pair<const char*, std::vector<std::pair<const char*, const char*>>>>
        groupes = {{"fenêtre de composition",
                    {{"frmCorvelle", "Corvelle"},
                     {"lblExpéditeur", "Expéditeur"},
                     {"lblRéponse", "Répondre à"},
                     {"lblRéponseInfo", "Laisser vide si identique à l'expéditeur"},
                     {"lblDestinataires(0)", "À"},
                     {"lblDestinataires(1)", "Copie (Cc)"},
                     {"lblDestinataires(2)", "Copie cachée (Cci)"},
                     {"lblObjetMessage", "Objet du message"},
                     {"lblCorpsMessage", "Corps du message"},
                     {"lblFichiersJoints", "Pièce(s) jointe(s)"},
                     {"lblFormat", "Format"},
                     {"lblEncodage", "Encodage"},
                     {"lblImportance", "Importance"},
                     {"lblSensibilité", "Sensibilité"},
                     {"lblNotification", "Notification"},
                     {"lblConfigSMTP", "Config. SMTP"},
                     {"fraOptions", "Options"},
                     {"btnAjouter", "&Ajouter..."},
                     {"btnSupprimer", "&Supprimer"},
                     {"btnRaz", "RA&Z"},
                     {"btnEnvoyer", "&Envoyer"},
                     {"btnQuitter", "&Quitter"},
                     {"mnuFichier", "&Fichier"},
                     {"mnuOptions", "&Options"},
                     {"mnuAide", "&?"}}},
                   {"menu Fichier", {{"mnuFichierQuitter", "&Quitter"}}},
                   {"menu Options",
                    {{"mnuOptionsMémoriserPosition", "Mémoriser la &position de la fenêtre"},
                     {"mnuOptionsMémoriserTaille", "Mémoriser la &taille de la fenêtre"},
                     {"mnuOptionsMinimiserSystray", "Minimiser dans la &systray"},
                     {"mnuOptionsToujoursAuDessus", "Fenêtre toujours au &dessus"},
                     {"mnuOptionsConfiguration", "Con&figuration..."}}},
                   {"menu ?", {{"mnuAideAProposDe", "&A propos de..."}}},
                   {"menu Systray",
                    {{"mnuSystray", "Systray"},
                     {"mnuSystrayAnnuler", "A&nnuler"},
                     {"mnuSystrayRestaurer", "&Restaurer"}}},
                   {"fenêtre A propos",
                    {{"frmAPropos", "A propos de Corvelle"},
                     {"lblDescription",
                      "Envoi de courrier électronique depuis une fenêtre de "
                      "composition ou depuis un script."},
                     {"btnOK", "OK"}}}};

    for (const auto& [groupe, libelles] : groupes) {
        SCOPED_TRACE(groupe);
        std::map<char, std::string> raccourcis;
        for (const auto& [cle, francais] : libelles) {
            const std::string anglais = profil.Lit(kSectionTraduction, cle, "");
            EXPECT_FALSE(anglais.empty()) << cle;
            const std::size_t esperluette = anglais.find('&');
            EXPECT_EQ(esperluette != std::string::npos,
                      std::string_view(francais).find('&') != std::string_view::npos)
                << cle << ": " << anglais;
            if (esperluette == std::string::npos || esperluette + 1 == anglais.size()) {
                continue;
            }
            const char lettre = static_cast<char>(
                std::tolower(static_cast<unsigned char>(anglais[esperluette + 1])));
            const auto [deja, nouveau] = raccourcis.emplace(lettre, cle);
            EXPECT_TRUE(nouveau) << cle << " and " << deja->second << " share &" << lettre;
        }
    }
    EXPECT_EQ(profil.Lit(kSectionTraduction, "frmCorvelle", ""), "Corvelle");

    // A key would fill these with text, or give a separator a caption.
    for (const char* cle :
         {"txtExpéditeur", "txtRéponse", "txtDestinataires", "txtObjetMessage", "txtCorpsMessage",
          "mnuOptionsSep1", "mnuOptionsSep2", "mnuSystraySep1"}) {
        EXPECT_FALSE(profil.Lit(kSectionTraduction, cle).has_value()) << cle;
    }
}

}  // namespace
}  // namespace corvelle
