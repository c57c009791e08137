#pragma once

// What the platform's own files share, and nothing else includes.

#include <string_view>

namespace corvelle::plateforme {

// Every byte, whatever interrupts the writes: 0, or the errno value of the
// write that failed.
[[nodiscard]] int EcritOctets(int fd, std::string_view octets) noexcept;

}  // namespace corvelle::plateforme
