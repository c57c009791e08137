#pragma once

// A send described by a command line such as
//   /a:bob,fic:team.txt /o:"Nightly report" /ctf:report.txt /l

#include <string>
#include <variant>
#include <vector>

#include "sending/Requete.h"

namespace corvelle {

class Dialogue;
struct EtatProgramme;

// Reads the program's arguments, each one whole parameter ("/name:value"),
// into one request, checks it and sends it. Returns the exit code: 1 for a
// command-line error (reported first), else the dispatch's. An expansion
// error throws FinProgramme.
[[nodiscard]] int TraiteLigneCommande(EtatProgramme& etat, Dialogue& dialogue,
                                      const std::vector<std::string>& arguments);

// Reads the arguments into one checked request, sending nothing; a
// command-line error gives its message instead (without the closing notice).
// Options such as /l or /de: are stored in `etat` as they are read.
[[nodiscard]] std::variant<RequeteEnvoi, std::string> AnalyseArguments(
    EtatProgramme& etat, const std::vector<std::string>& arguments);

// The same from a command line given as one text, where a value runs to the
// next "/" unless quoted (systems that hand a program one text).
[[nodiscard]] std::variant<RequeteEnvoi, std::string> AnalyseLigneCommande(
    EtatProgramme& etat, const std::string& ligneCommande);

// The value starting at `debut` (1-based): up to the closing double quote
// when it starts with one, else up to the next "/". `reste` becomes what
// follows, leading spaces removed.
[[nodiscard]] std::string ExtraitValeur(std::string& reste, std::size_t debut);

// A plain-text body from an HTML one: line-break tags and &nbsp; converted,
// other tags removed, entities left as they are.
[[nodiscard]] std::string HtmlVersTexte(std::string html);

}  // namespace corvelle
