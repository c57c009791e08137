#pragma once

// Address lists as the caller writes them ("Jean <jean@x.fr>, b@y.fr"), read
// with GMime into what the headers show and what the envelope needs.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sending/smtp/JeuCaracteres.h"
#include "sending/smtp/RessourcesGMime.h"

namespace corvelle::smtp {

// The entries of a list: cut at the commas (and semicolons) outside double
// quotes, (comments), [domain literals] and groups ("name: a@b, c@d;"),
// trimmed; blank entries dropped.
// Nothing when one of these is left open, since the entries after it could
// not be told apart.
[[nodiscard]] std::optional<std::vector<std::string>> DecoupeAdresses(std::string_view liste);

struct Adresses {
    // For a header; display names declared in the message's set when they fit.
    ObjetG<InternetAddressList> liste;
    // Each mailbox's address, for MAIL FROM / RCPT TO.
    std::vector<std::string> boites;
};

// Reads a list. Every entry must give valid mailboxes, as many as it names (a
// group may be empty): GMime skips what it cannot read, so each entry is read
// on its own and one that falls short raises EchecEnvoi naming `nomListe` and
// the entry, rather than losing a recipient in silence.
[[nodiscard]] Adresses LitAdresses(std::string_view texte, const JeuCaracteres& jeu,
                                   std::string_view nomListe);

// Appends the header `nom` ("To", "Cc") for the list `texte` byte for byte as
// GMime writes it in a message (encoded, folded, CR LF line ends), nothing for
// an empty list, and adds its mailboxes to `boites`. A list of bare addresses,
// what a dispatch's batches hold, is written without GMime. Raises EchecEnvoi
// as LitAdresses does.
void AjouteEnteteAdresses(std::string& entetes, std::string_view nom, std::string_view texte,
                          const JeuCaracteres& jeu, std::vector<std::string>& boites);

// Only the mailboxes of a list, for the envelope (Bcc). Raises EchecEnvoi as
// LitAdresses does.
void AjouteBoites(std::string_view texte, const JeuCaracteres& jeu, std::string_view nomListe,
                  std::vector<std::string>& boites);

}  // namespace corvelle::smtp
