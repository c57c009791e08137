#pragma once

// A recipient as the dispatch reads it from its entry: display name and
// mailbox apart, carried so down to the headers and the envelope. Never joined
// into one text to be cut again, where a name holding a comma would split.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace corvelle {

struct Adresse {
    std::string nom;    // display name, unquoted, UTF-8; empty: none
    std::string boite;  // local-part@domain as written; the domain's IDN form comes later

    bool operator==(const Adresse&) const = default;
};

using ListeAdresses = std::vector<Adresse>;

// One batch of a dispatch.
struct AdressesLot {
    ListeAdresses a;
    ListeAdresses copie;
    ListeAdresses copieCachee;  // envelope only
};

// An entry ("Dupont, Jean <jd@x.fr>", "\"Jo \\\"J\\\"\" <j@x.fr>", "j@x.fr
// (Jo)", "j@x.fr") read into name and mailbox. The whole entry is one
// recipient, so a comma in its name stays there. An entry that reads as
// neither (an unclosed quote, an "@", colon or angle bracket in the name, a
// control character) comes back whole as the mailbox, for the sending to
// refuse by name.
[[nodiscard]] Adresse LitAdresse(std::string entree);

// The address as a person writes it, the name quoted when it needs to be:
// reading it again gives the same address.
[[nodiscard]] std::string TexteAdresse(const Adresse& adresse);

// Reads an address text one character at a time as RFC 5322 does: quoted
// strings and (nested) comments, with their backslash escapes. Only what
// stands outside both carries structure (the "@", the separators).
class LecteurStructure {
  public:
    // Whether `texte[i]` stands outside quotes and comments. An escape moves
    // `i` onto the character it escapes.
    [[nodiscard]] bool Libre(std::string_view texte, std::size_t& i) noexcept;
    // Inside a quote or a comment left open.
    [[nodiscard]] bool Ouvert() const noexcept { return guillemets_ || commentaires_ > 0; }

  private:
    bool guillemets_ = false;
    int commentaires_ = 0;
};

// The addresses joined with ", ", for a report.
[[nodiscard]] std::string TexteAdresses(const ListeAdresses& adresses);

}  // namespace corvelle
