#pragma once

// Text helpers shared by the command line, the recipient syntax and the
// configuration format. Texts are UTF-8; positions are 1-based byte positions
// with 0 for "not found". Every text the program searches for is made of
// whole characters, so byte positions never split one.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace corvelle {

using Liste = std::vector<std::string>;

// 0: exact comparison; 1: letter case ignored.
enum class Comparaison { Exacte = 0, Texte = 1 };

// Lower case of a text, keeping every character's byte length, so positions
// found in the lower-case copy hold in the original (ASCII, Latin-1, Latin
// Extended-A, Greek and Cyrillic letters).
[[nodiscard]] std::string Minuscules(std::string_view texte);
[[nodiscard]] bool EgauxSansCasse(std::string_view a, std::string_view b);

// Leading and trailing spaces removed (spaces only, as the recipient and
// command-line syntaxes define it).
[[nodiscard]] std::string Elague(std::string_view texte);
[[nodiscard]] std::string ElagueGauche(std::string_view texte);
[[nodiscard]] std::string ElagueDroite(std::string_view texte);

// Position of `cherche` in `texte` at or after `debut`; 0 when absent.
[[nodiscard]] std::size_t Cherche(std::string_view texte, std::string_view cherche,
                                  std::size_t debut = 1, Comparaison mode = Comparaison::Exacte);

// Replaces every match from `debut` on; a replacement is never searched again.
[[nodiscard]] std::string Remplace(std::string texte, std::string_view cherche,
                                   std::string_view remplacement, std::size_t debut = 1,
                                   Comparaison mode = Comparaison::Exacte);

// Cuts at each delimiter; with `limite` pieces the last one keeps the rest.
// -1 means no limit; 0 raises error 9.
[[nodiscard]] Liste Decoupe(std::string_view texte, std::string_view delimiteur, int limite = -1,
                            Comparaison mode = Comparaison::Exacte);

// Joins elements; the separator is added only once something was written.
[[nodiscard]] std::string Joint(const Liste& liste, std::string_view separateur);

// What a line break becomes in Lisible.
enum class SautsDeLigne { Echappes, Gardes };

// A text from outside (a server's reply, a value typed or read from a file)
// made safe to show or log: each control character (C0, DEL, and C1 written
// in UTF-8) becomes a visible escape: \r, \n, \t, \x1B, \u009B; so does a
// byte that is not UTF-8 (\xFF). A line break could otherwise forge a record
// in the log, and an escape sequence could drive the terminal that shows it.
// `Gardes` keeps the CR LF pairs of a text laid out in lines by the program
// itself; a lone CR or LF is escaped.
[[nodiscard]] std::string Lisible(std::string_view texte,
                                  SautsDeLigne sauts = SautsDeLigne::Echappes);

// Rounds to `decimales` places, halves away from zero.
[[nodiscard]] double Arrondit(double x, int decimales);

}  // namespace corvelle
