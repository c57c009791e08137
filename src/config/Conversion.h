#pragma once

// How settings turn text into numbers and back.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace corvelle {

// The leading number of a text: leading spaces skipped, optional sign, digits,
// optional fraction and exponent, or "&H" (hexadecimal) / "&O" (octal) digits.
// Reading stops at the first other character; no number at all gives 0.
[[nodiscard]] double NombreEnTete(std::string_view texte);

// The whole text as a number (spaces around it allowed); nothing when any
// other character is there or no digit is.
[[nodiscard]] std::optional<double> NombreStrict(std::string_view texte);

// Nearest whole number, ties to even; error 6 outside the type's range.
[[nodiscard]] std::int16_t VersEntier16(double valeur);
[[nodiscard]] std::int32_t VersEntier32(double valeur);

[[nodiscard]] inline std::int16_t LitEntier16(std::string_view texte) {
    return VersEntier16(NombreEnTete(texte));
}
[[nodiscard]] inline std::int32_t LitEntier32(std::string_view texte) {
    return VersEntier32(NombreEnTete(texte));
}

// True when the leading number is not zero: "-1" and "1" are true, words false.
[[nodiscard]] inline bool LitBooleen(std::string_view texte) {
    return NombreEnTete(texte) != 0.0;
}

// Booleans are stored "-1" and "0".
[[nodiscard]] inline std::string EcritBooleen(bool valeur) {
    return valeur ? "-1" : "0";
}

}  // namespace corvelle
