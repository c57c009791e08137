#pragma once

// The stored form of passwords. This only keeps them from being read at a
// glance: the transformation has no key and depends on the length alone.

#include <string>
#include <string_view>

namespace corvelle {

// Two upper-case hexadecimal digits per UTF-8 byte of the clear text.
[[nodiscard]] std::string ChiffreMotDePasse(std::string_view clair);

// The clear text back. Bytes that are not UTF-8 come from an older
// installation and are read as Windows-1252. Text that is not hexadecimal
// pairs gives meaningless characters, never an error.
[[nodiscard]] std::string DechiffreMotDePasse(std::string_view stocke);

}  // namespace corvelle
