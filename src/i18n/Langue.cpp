#include "i18n/Langue.h"

#include <array>
#include <optional>
#include <utility>

#include "config/Conversion.h"
#include "config/Parametres.h"
#include "config/Profil.h"
#include "core/Chemins.h"
#include "core/Plateforme.h"
#include "core/Texte.h"
#include "core/Version.h"
#include "i18n/TextesIntegres.h"

namespace corvelle {

namespace {

// ISO 639 codes and the language numbers translation files carry.
constexpr std::array<std::pair<std::string_view, std::int16_t>, 37> kCodesLangues = {{
    {"ar", 1},  {"bg", 2},  {"ca", 3},  {"zh", 4},  {"cs", 5},  {"da", 6},  {"de", 7},  {"el", 8},
    {"en", 9},  {"es", 10}, {"fi", 11}, {"fr", 12}, {"he", 13}, {"hu", 14}, {"is", 15}, {"it", 16},
    {"ja", 17}, {"ko", 18}, {"nl", 19}, {"nb", 20}, {"no", 20}, {"nn", 20}, {"pl", 21}, {"pt", 22},
    {"ro", 24}, {"ru", 25}, {"hr", 26}, {"sk", 27}, {"sq", 28}, {"sv", 29}, {"th", 30}, {"tr", 31},
    {"id", 33}, {"uk", 34}, {"sl", 36}, {"et", 37}, {"eu", 45},
}};

constexpr std::int16_t kCodeAnglais = 9;
constexpr std::int16_t kCodeLangueInconnue = -1;

}  // namespace

std::string Langue::Texte(std::string_view cle) const {
    if (Traductions.Contient(cle)) {
        return Traductions.Item(cle);
    }
    for (const TexteIntegre& t : kTextesIntegres) {
        if (t.cle == cle) {
            return ConvertitSautsDeLigne(std::string(t.francais));
        }
    }
    return {};
}

std::string Langue::Libelle(std::string_view libelle, std::string_view texte) const {
    return FormateMessage(Texte("TXT_LIBELLE_TEXTE"), libelle, texte);
}

std::int16_t CodeLangueDepuisLocale(std::string_view locale) {
    const std::size_t fin = locale.find_first_of("_.@");
    const std::string langue = Minuscules(locale.substr(0, fin));
    if (langue.empty() || langue == "c" || langue == "posix") {
        return kCodeAnglais;
    }
    for (const auto& [iso, code] : kCodesLangues) {
        if (iso == langue) {
            return code;
        }
    }
    // Unknown languages match no file: a file without CodeLangue reads as 0.
    return kCodeLangueInconnue;
}

std::string CodeIsoLangue(const Langue& langue) {
    if (langue.FichierTraduction.empty()) {
        return "fr";
    }
    const double code = NombreEnTete(langue.Fichier.TraduitTexte("CodeLangue", "0"));
    for (const auto& [iso, numero] : kCodesLangues) {
        if (numero == code) {
            return std::string(iso);
        }
    }
    return {};
}

std::int16_t CodeLangueSysteme() {
    return CodeLangueDepuisLocale(plateforme::LocaleMessages());
}

std::string MessagePremierDemarrage() {
    const std::string titre = kTitreApplication;
    const std::string deuxLignes = "\r\n\r\n";
    return "First, thank you for having installed " + titre + "." + deuxLignes +
           "No translation file corresponding to the language of your system has been found. "
           "French is selected by default, you can change this setting in the configuration "
           "window accessible through the 'options' menu." +
           deuxLignes +
           "You can also write the translation and send it to the author of this software so "
           "that other users can benefit. Thank you in advance!" +
           deuxLignes + "-----------------------" + deuxLignes +
           "Tout d'abord, merci d'avoir installé " + titre + "." + deuxLignes +
           "Aucun fichier de traduction correspondant à la langue de votre système n'a été "
           "trouvé. Le français est sélectionné par défaut, vous pouvez modifier ce réglage "
           "dans la fenêtre de configuration accessible par le menu 'options'." +
           deuxLignes +
           "Vous pouvez aussi créer la traduction manquante et la transmettre à l'auteur de ce "
           "logiciel pour qu'il l'ajoute au package d'installation. D'autres utilisateurs "
           "pourront ainsi en bénéficier. Merci d'avance !";
}

namespace {

void RemplitTraductions(Langue& langue) {
    for (const TexteIntegre& t : kTextesIntegres) {
        langue.Traductions.Add(t.cle, langue.Fichier.TraduitTexte(t.cle, t.francais));
    }
}

}  // namespace

Langue ChoisitLangue(const FichierProfil& configuration, const std::string& dossierProgramme,
                     std::int16_t codeSysteme) {
    Langue langue;
    langue.LangueCourante = configuration.Lit(kSectionConfiguration, "Langue", "");
    // The file found by its code is the one used: read once, not again below.
    std::optional<FichierLangue> trouve;
    if (langue.LangueCourante.empty()) {
        langue.LangueCourante = kFrancais;
        if (codeSysteme != kCodeFrancais) {
            for (const std::string& nom : plateforme::FichiersDuDossier(
                     dossierProgramme, std::string(kExtensionTraduction))) {
                FichierLangue candidat = FichierLangue::Charge(AjouteBarre(dossierProgramme) + nom);
                if (NombreEnTete(candidat.Reglage("CodeLangue", "0")) == codeSysteme) {
                    langue.LangueCourante = nom.substr(0, nom.size() - kExtensionTraduction.size());
                    trouve = std::move(candidat);
                    break;
                }
            }
            langue.AvisPremierDemarrage =
                !trouve && !LitBooleen(configuration.Lit(kSectionConfiguration,
                                                         kCleAvisPremierDemarrage, "0"));
        }
    }
    if (langue.LangueCourante != kFrancais) {
        langue.FichierTraduction = AjouteBarre(dossierProgramme) + langue.LangueCourante +
                                   std::string(kExtensionTraduction);
    }
    if (trouve) {
        langue.Fichier = std::move(*trouve);
        RemplitTraductions(langue);
    } else {
        ChargeTraductions(langue);
    }
    return langue;
}

void ChargeTraductions(Langue& langue) {
    langue.Fichier = langue.FichierTraduction.empty()
                         ? FichierLangue()
                         : FichierLangue::Charge(langue.FichierTraduction);
    RemplitTraductions(langue);
}

std::string TexteValeurRefusee(const ValeurRefusee& refus, const Langue& langue) {
    if (refus.Raison() == ValeurRefusee::Defaut::Controle) {
        return FormateMessage(langue.Texte("MSG_GESTION_CONTROLE"), refus.Cle());
    }
    return FormateMessage(langue.Texte("MSG_VALEUR_TROP_LONGUE"), refus.Cle(), refus.Longueur(),
                          FichierProfil::kLongueurMaxValeur);
}

}  // namespace corvelle
