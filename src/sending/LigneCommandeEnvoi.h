#pragma once

// A send described by a command line such as
//   /a:bob,fic:team.txt /o:"Nightly report" /ctf:report.txt /l

#include <string>
#include <vector>

#include "config/ConfigSMTP.h"
#include "sending/Demande.h"

namespace corvelle {

struct Langue;

// What reading a command line gave: the request with every parameter
// applied, or the first error's message (without the closing notice) with
// the request as far as it got, whose report options say where it goes.
struct AnalyseCommande {
    Demande demande;
    std::string erreur;  // empty: the request is complete and checked
};

// Reads the program's arguments, each one whole parameter ("/name:value"),
// over `depart` (the run's defaults); /conf: picks among `configs`.
[[nodiscard]] AnalyseCommande AnalyseArguments(Demande depart, const ListeConfigs& configs,
                                               const Langue& langue,
                                               const std::vector<std::string>& arguments);

// The same from a command line given as one text, where a value runs to the
// next "/" unless quoted (systems that hand a program one text).
[[nodiscard]] AnalyseCommande AnalyseLigneCommande(Demande depart, const ListeConfigs& configs,
                                                   const Langue& langue,
                                                   const std::string& ligneCommande);

// The value starting at `debut` (1-based): up to the closing double quote
// when it starts with one, else up to the next "/". `reste` becomes what
// follows, leading spaces removed.
[[nodiscard]] std::string ExtraitValeur(std::string& reste, std::size_t debut);

}  // namespace corvelle
