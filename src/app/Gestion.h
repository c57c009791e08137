#pragma once

// The management commands (--smtp, --get, --set, --outbox): a start-up without windows
// or directory, then the command. Information goes to standard output,
// refusals and errors to standard error.

#include <string>

#include "core/Resultat.h"

namespace corvelle {

struct EnvironnementDemarrage;
struct Langue;
struct OptionsLancement;

// Exit codes of a management command.
inline constexpr int kSortieGestionRefus = 1;    // bad option or value: nothing written
inline constexpr int kSortieGestionFichier = 6;  // the settings file could not be written

// Runs the command the options name, or reports a bad --config. Returns the
// exit code.
[[nodiscard]] int LanceGestion(const OptionsLancement& options, EnvironnementDemarrage env);

void EcritInformation(const std::string& texte);

// A password typed or piped on standard input: a prompt on a terminal, where
// what is typed is not shown.
[[nodiscard]] std::string LitMotDePasseEntree(const Langue& langue);
// The refusal or error on standard error; returns its exit code.
int EcritRefus(const Langue& langue, const Echec& echec);

// A refusal of a management command, exit code 1.
[[nodiscard]] Echec Refus(std::string texte);

}  // namespace corvelle
