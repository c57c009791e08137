#pragma once

// The interface language, chosen once at start-up, and the catalogue of
// messages in that language.

#include <cstdint>
#include <string>
#include <string_view>

#include "i18n/Catalogue.h"
#include "i18n/Traduction.h"

namespace corvelle {

class FichierProfil;
class ValeurRefusee;

// The built-in language, which never has a file.
inline constexpr std::string_view kFrancais = "Français";
inline constexpr std::string_view kExtensionTraduction = ".lng";
inline constexpr std::int16_t kCodeFrancais = 12;

// Key of the configuration set ("-1") once the first-start notice was shown:
// once per settings file, not at every run without a window.
inline constexpr std::string_view kCleAvisPremierDemarrage = "AvisPremierDémarrage";

struct Langue {
    std::string LangueCourante{kFrancais};
    std::string FichierTraduction;  // empty for French
    FichierLangue Fichier;
    colTraductions Traductions;
    // No file matches the system's language and the settings have not had
    // the notice that says so (MessagePremierDemarrage).
    bool AvisPremierDemarrage = false;

    // A catalogue text; before the catalogue is loaded (an error early in
    // start-up) the built-in French text, so no message is ever blank.
    [[nodiscard]] std::string Texte(std::string_view cle) const;
    // A label and its text ("Corvelle : ...", "--port : ..."), spaced as the
    // language wants.
    [[nodiscard]] std::string Libelle(std::string_view libelle, std::string_view texte) const;
};

// Language number of a locale name ("fr_FR.UTF-8" → 12, "en_GB" → 9); the C
// and POSIX locales count as English.
[[nodiscard]] std::int16_t CodeLangueDepuisLocale(std::string_view locale);
[[nodiscard]] std::int16_t CodeLangueSysteme();

// ISO 639 code of the interface language ("fr" without a file, else from the
// file's CodeLangue); empty when the file names no known language.
[[nodiscard]] std::string CodeIsoLangue(const Langue& langue);

// Key Langue of the configuration when set; otherwise French on a French
// system, else the first translation file whose CodeLangue matches the
// system's, else French, with the bilingual first-start notice due unless the
// configuration says it was shown. The choice is not stored. Then fills the
// catalogue.
[[nodiscard]] Langue ChoisitLangue(const FichierProfil& configuration,
                                   const std::string& dossierProgramme, std::int16_t codeSysteme);

// The catalogue's texts, each translated when the file has it.
void ChargeTraductions(Langue& langue);

// What to tell a person whose value the settings file cannot hold.
[[nodiscard]] std::string TexteValeurRefusee(const ValeurRefusee& refus, const Langue& langue);

// The message shown when no translation matches the system's language.
[[nodiscard]] std::string MessagePremierDemarrage();

}  // namespace corvelle
