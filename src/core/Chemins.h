#pragma once

// Path helpers. Paths use the platform separator ('/' here).

#include <string>
#include <string_view>

namespace corvelle {

// The path with a separator at its end (added only when missing).
[[nodiscard]] std::string AjouteBarre(std::string_view chemin);

// The path up to and including its last separator; empty when it has none.
[[nodiscard]] std::string ExtraitDossier(std::string_view chemin);

// True when the path exists and has every attribute of the mask; a folder
// counts only when the mask asks for one (16). Never raises.
[[nodiscard]] bool ExisteFichier(const std::string& chemin, unsigned masque = 0) noexcept;

// The form under which two names of one file compare equal: the name itself
// where file names keep their letter case, else the name in lower case.
[[nodiscard]] std::string CleNomFichier(std::string_view chemin);

// The path relative to `base` when it lies inside it.
[[nodiscard]] std::string CheminRelatif(std::string_view chemin, std::string_view base);

// The path made absolute against `base`; absolute paths and paths starting
// with ./ or ../ (relative to the working folder) stay as they are.
[[nodiscard]] std::string CheminAbsolu(std::string_view chemin, std::string_view base);

}  // namespace corvelle
