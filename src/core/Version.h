#pragma once

#include <string>

namespace corvelle {

inline constexpr const char* kTitreApplication = "Corvelle";

// The project's version as the build and the package carry it ("0.1.0"):
// what --version prints.
extern const char* const kVersionProjet;

// Version text: "v2.1", "v2.1.5"; a revision above 99 marks a beta build
// written "v1.2.3 beta 4" from the revision's digits.
[[nodiscard]] std::string TexteVersion(int majeur, int mineur, int revision);
[[nodiscard]] std::string TexteVersion();

// Application title, a space, the version text.
[[nodiscard]] std::string TitreFenetre();

[[nodiscard]] bool EstVersionBeta();

}  // namespace corvelle
