#pragma once

#include <string>

namespace corvelle {

struct Langue;

// The program's command-line syntax with examples and exit codes, in French:
// the catalogue's built-in help.
[[nodiscard]] std::string TexteSyntaxe();

// The title line (name and version) and the help in the interface language:
// what --help, -h and "/?" without windows print.
[[nodiscard]] std::string TexteAPropos(const Langue& langue);

// That text on standard output.
void EcritAPropos(const Langue& langue);

}  // namespace corvelle
