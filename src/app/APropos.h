#pragma once

#include <string>

namespace corvelle {

// The program's description, version, command-line syntax with examples and
// exit codes: the About window's text and the help printed on a terminal.
[[nodiscard]] std::string TexteAPropos();

// The same without its first line (title and version).
[[nodiscard]] std::string TexteSyntaxe();

struct Langue;

// The title line and the syntax in the interface language, when its
// translation file gives them (the About window's keys).
[[nodiscard]] std::string TexteAPropos(const Langue& langue);

// That text on standard output, for "/?" without windows.
void EcritAPropos(const Langue& langue);

}  // namespace corvelle
