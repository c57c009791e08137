#pragma once

// The INI profile format of the configuration and translation files: sections
// in square brackets, "key=value" lines, ";" comments. Section and key names
// ignore letter case; values lose surrounding spaces and one pair of enclosing
// quotes when read.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvelle {

class FichierProfil {
  public:
    // The reader's buffer holds 32000 characters with its terminator, so a
    // value is read back with at most 31999 characters.
    static constexpr std::size_t kLongueurMaxValeur = 31999;

    // Reads the file, decoded like every text file (UTF-16 by mark, UTF-8,
    // else Windows-1252). A missing file is an empty profile; a file that
    // exists but cannot be read raises an error rather than being overwritten
    // later as if it were empty.
    [[nodiscard]] static FichierProfil Charge(std::string chemin);

    [[nodiscard]] std::optional<std::string> Lit(std::string_view section,
                                                 std::string_view cle) const;
    [[nodiscard]] std::string Lit(std::string_view section, std::string_view cle,
                                  std::string_view defaut) const;

    // Sets a key in memory, adding the section and the key as needed; no
    // value deletes the key. A line break in a name or value would forge
    // other keys, and a NUL would get the file refused when read, so either
    // raises error 5 and nothing changes.
    void Ecrit(std::string_view section, std::string_view cle,
               std::optional<std::string_view> valeur);

    // Writes the whole file in UTF-8, atomically; a new file is user-only.
    void Enregistre() const;

    [[nodiscard]] const std::string& Chemin() const noexcept { return chemin_; }
    [[nodiscard]] bool Existe() const noexcept { return existe_; }

    // The decoded file as one text, for lookups outside the key=value lines.
    [[nodiscard]] std::string TexteComplet() const;

  private:
    struct Position {
        std::size_t debutSection;  // first line after the header
        std::size_t finSection;    // one past the section's last line
    };
    [[nodiscard]] std::optional<Position> TrouveSection(std::string_view section) const;
    [[nodiscard]] std::optional<std::size_t> TrouveCle(const Position& p,
                                                       std::string_view cle) const;

    std::string chemin_;
    std::vector<std::string> lignes_;
    std::string finDeLigne_ = "\n";
    bool existe_ = false;
};

// One key of one section; the default when the file, section or key is missing
// or the file cannot be read.
[[nodiscard]] std::string LitParametre(const std::string& fichier, std::string_view section,
                                       std::string_view cle, std::string_view defaut);

// Stores one key (no value: deletes it) and rewrites the file; false when the
// file could not be read or written.
bool EcritParametre(const std::string& fichier, std::string_view section, std::string_view cle,
                    std::optional<std::string_view> valeur) noexcept;

}  // namespace corvelle
