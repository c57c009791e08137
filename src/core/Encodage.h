#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace corvelle {

[[nodiscard]] bool EstUtf8Valide(std::string_view octets);

// Bytes of the UTF-8 character at `debut`, or 0 when none starts there (a
// stray byte, a cut or overlong sequence, a surrogate).
[[nodiscard]] std::size_t LongueurCaractereUtf8(std::string_view octets, std::size_t debut);

// Windows-1252, the code page of files written by older installations.
[[nodiscard]] std::string Windows1252VersUtf8(std::string_view octets);

// UTF-16 little-endian bytes (no mark) to UTF-8; a lone surrogate or an odd
// last byte becomes U+FFFD rather than vanishing.
[[nodiscard]] std::string Utf16LEVersUtf8(std::string_view octets);

// Decodes a text file's bytes: UTF-16 by its byte-order mark, else UTF-8 when
// the bytes are valid UTF-8 (its mark dropped), else Windows-1252.
[[nodiscard]] std::string DecodeTexte(std::string octets);

// Whole file as text, decoded as above. An empty, missing or unreadable file
// raises an error.
[[nodiscard]] std::string LitFichierTexte(const std::string& chemin);

}  // namespace corvelle
