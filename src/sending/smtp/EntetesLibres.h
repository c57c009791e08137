#pragma once

// Headers a run adds to its messages ("Name: value"), checked before anything
// is sent: a name the program writes itself, or a value that could start a
// header of its own, is refused rather than sent.

#include <string>
#include <string_view>
#include <vector>

namespace corvelle::smtp {

struct EnteteLibre {
    std::string nom;
    std::string valeur;  // UTF-8, encoded when the message is written

    friend bool operator==(const EnteteLibre&, const EnteteLibre&) = default;
};

using EntetesLibres = std::vector<EnteteLibre>;

enum class RefusEntete {
    Aucun,
    Forme,    // no "Name:" at all
    Nom,      // not a field name: printable ASCII, no space or colon
    Saut,     // a line break or another control character in the value
    Reserve,  // a header the program writes from its own parameters
};

// Reads "Name: value" into `entete`; the value loses the spaces around it.
[[nodiscard]] RefusEntete LitEnteteLibre(std::string_view texte, EnteteLibre& entete);

// True when `entetes` gives a header of that name (letter case ignored).
[[nodiscard]] bool DonneEntete(const EntetesLibres& entetes, std::string_view nom);

}  // namespace corvelle::smtp
