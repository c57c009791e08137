#pragma once

// One text looked up in the translation file, with its French default.

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "config/Profil.h"

namespace corvelle {

inline constexpr const char* kSectionTraduction = "Traduction";

// A translation file, read once. Without a file (French) every text is its
// default.
class FichierLangue {
  public:
    FichierLangue() = default;

    // A file that is missing or cannot be read gives every text in French.
    [[nodiscard]] static FichierLangue Charge(const std::string& chemin);

    // The key's value in section Traduction; a value in braces names another
    // key of the section (one level); an empty or missing value is looked up
    // as a <KEY>...</KEY> block anywhere in the file outside comment lines;
    // else the default.
    // "§" becomes a line break, "'§'" stays as written.
    [[nodiscard]] std::string TraduitTexte(std::string_view cle, std::string_view defaut) const;

    // A setting of section Traduction as written (CodeLangue...), else `defaut`.
    [[nodiscard]] std::string Reglage(std::string_view cle, std::string_view defaut) const;

  private:
    [[nodiscard]] std::optional<std::string> Bloc(std::string_view cle) const;

    std::optional<FichierProfil> profil_;
    std::string texte_;
    std::string texteMinuscule_;
};

// "§" to CR LF, keeping "'§'" as it stands.
[[nodiscard]] std::string ConvertitSautsDeLigne(std::string texte);

// Fills each "%v" (or "%V") with the next value, in order; missing values
// give the empty text, extra ones are ignored.
[[nodiscard]] std::string FormateMessage(std::string texte,
                                         const std::vector<std::string>& valeurs);

namespace detail {
inline std::string VersTexte(std::string_view v) {
    return std::string(v);
}
inline std::string VersTexte(const char* v) {
    return v;
}
inline std::string VersTexte(const std::string& v) {
    return v;
}
std::string VersTexte(double v);  // shortest form: 2.5, not 2.500000
template <typename Entier, typename = std::enable_if_t<std::is_integral_v<Entier>>>
std::string VersTexte(Entier v) {
    return std::to_string(v);
}
}  // namespace detail

template <typename... Valeurs>
[[nodiscard]] std::string FormateMessage(std::string texte, const Valeurs&... valeurs) {
    return FormateMessage(std::move(texte),
                          std::vector<std::string>{detail::VersTexte(valeurs)...});
}

}  // namespace corvelle
