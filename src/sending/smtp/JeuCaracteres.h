#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace corvelle::smtp {

// The character set a message is written in. A text that has a character the
// set lacks is never damaged: it goes out in UTF-8 instead.
class JeuCaracteres {
  public:
    // A name such as "Iso-8859-1" or "Windows-1252"; an empty, malformed or
    // unknown name gives UTF-8.
    explicit JeuCaracteres(std::string_view nom);

    // The name declared in the message, in lower case ("iso-8859-1").
    [[nodiscard]] const std::string& Nom() const noexcept { return nom_; }

    // The UTF-8 text in this set; nothing when one of its characters is not in
    // the set (or the text is not valid UTF-8).
    [[nodiscard]] std::optional<std::string> Convertit(std::string_view utf8) const;

    // Whether the text converts whole into this set, found without keeping
    // the converted bytes: a large body is converted only as it is written.
    // Always true for UTF-8, whose bytes go as they are; otherwise false for
    // text that is not valid UTF-8.
    [[nodiscard]] bool Accepte(std::string_view utf8) const;

    [[nodiscard]] bool EstUtf8() const noexcept { return nom_ == kUtf8; }

    // The name to declare for this text: this set's when the text fits in it,
    // else UTF-8.
    [[nodiscard]] std::string NomPour(std::string_view utf8) const;

  private:
    static constexpr const char* kUtf8 = "utf-8";
    std::string nom_;
    std::string nomIconv_;
};

}  // namespace corvelle::smtp
