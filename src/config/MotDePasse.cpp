#include "config/MotDePasse.h"

#include <cstdint>

#include "core/Encodage.h"

namespace corvelle {

namespace {

std::uint8_t EchangeQuartets(std::uint8_t b) {
    return static_cast<std::uint8_t>((b << 4) | (b >> 4));
}

// The key of character j (1-based) among n: 255 - (n - j), modulo 256.
std::uint8_t Cle(std::size_t n, std::size_t j) {
    return static_cast<std::uint8_t>(255 - (n - j) % 256);
}

int ValeurHexa(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// A pair read as the leading hexadecimal digits it has ("1z" is 1, "zz" 0).
std::uint8_t LitPaire(char haut, char bas) {
    const int h = ValeurHexa(haut);
    if (h < 0) {
        return 0;
    }
    const int b = ValeurHexa(bas);
    return static_cast<std::uint8_t>(b < 0 ? h : h * 16 + b);
}

}  // namespace

std::string ChiffreMotDePasse(std::string_view clair) {
    static constexpr char kChiffres[] = "0123456789ABCDEF";
    const std::size_t n = clair.size();
    std::string stocke;
    stocke.reserve(2 * n);
    for (std::size_t j = 1; j <= n; ++j) {
        const auto b = static_cast<std::uint8_t>(clair[j - 1]);
        const auto x = static_cast<std::uint8_t>(EchangeQuartets(b) ^ Cle(n, j));
        stocke += kChiffres[x >> 4];
        stocke += kChiffres[x & 0x0F];
    }
    return stocke;
}

std::string DechiffreMotDePasse(std::string_view stocke) {
    const std::size_t n = stocke.size() / 2;
    std::string octets;
    octets.reserve(n);
    for (std::size_t j = 1; j <= n; ++j) {
        const std::uint8_t x = LitPaire(stocke[2 * j - 2], stocke[2 * j - 1]);
        octets += static_cast<char>(EchangeQuartets(static_cast<std::uint8_t>(x ^ Cle(n, j))));
    }
    return EstUtf8Valide(octets) ? octets : Windows1252VersUtf8(octets);
}

}  // namespace corvelle
