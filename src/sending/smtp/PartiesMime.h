#pragma once

// The body of a message as GMime builds it: text parts in the chosen charset,
// attachments read from disk only while the message is written.

#include <string>
#include <vector>

#include "sending/smtp/FluxFichier.h"
#include "sending/smtp/JeuCaracteres.h"
#include "sending/smtp/RessourcesGMime.h"

namespace corvelle::smtp {

// A CR or LF in a header value would end the header there and let the rest of
// the value start headers of its own (header injection); a NUL would cut the
// value short in the C library. Each becomes a space.
[[nodiscard]] std::string SansSautDeLigne(std::string texte);

// The message's root part: the text and HTML bodies (UTF-8; empty for none),
// alone or as alternatives, then each attachment, opened and read only when
// the message is written. The text and HTML are read in place, never copied:
// they must outlive the part.
[[nodiscard]] ObjetG<GMimeObject> Racine(const std::string& texte, const std::string& html,
                                         const std::vector<FichierJoint>& piecesJointes,
                                         const JeuCaracteres& jeu);

}  // namespace corvelle::smtp
