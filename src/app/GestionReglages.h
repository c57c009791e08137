#pragma once

// corvelle --get KEY... and --set KEY=VALUE...: the settings of section
// Configuration without a window, checked as the settings window checks them.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Resultat.h"

namespace corvelle {

class FichierProfil;
struct Langue;
struct Programme;

// The key a person typed, letter case and accents ignored ("expediteurpardefaut"
// is ExpéditeurParDéfaut); nothing for a key that is not a setting.
[[nodiscard]] std::optional<std::string> NomReglage(std::string_view saisi);

// What a --set needs beside the file: to check the language and the list.
struct ContexteReglages {
    const Langue& langue;
    std::string dossierTraductions;
    std::size_t nombreConfigs = 0;
    std::string motDePasseStdin;  // the line read for KEY=- of a password
};

// Writes the values into the profile (in memory) once each is checked alone
// and the whole section passes the settings window's checks; on a refusal the
// profile is left as it was and the message says which key to fix.
[[nodiscard]] std::optional<Echec> AppliqueReglages(FichierProfil& profil,
                                                    const std::vector<std::string>& affectations,
                                                    const ContexteReglages& contexte);

// Runs --get (set false) or --set on the program's settings file; returns the
// exit code.
[[nodiscard]] int ExecuteGestionReglages(const Programme& programme, bool set,
                                         const std::vector<std::string>& arguments);

}  // namespace corvelle
