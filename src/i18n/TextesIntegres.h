#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace corvelle {

struct TexteIntegre {
    std::string_view cle;
    std::string_view francais;
};

inline constexpr std::size_t kNombreTextesIntegres = 197;

// The catalogue's keys with their built-in French texts.
extern const std::array<TexteIntegre, kNombreTextesIntegres> kTextesIntegres;

}  // namespace corvelle
