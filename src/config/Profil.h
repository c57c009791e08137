#pragma once

// The INI profile format of the configuration and translation files: sections
// in square brackets, "key=value" lines, ";" comments. Section and key names
// ignore letter case; values lose surrounding spaces and one pair of enclosing
// quotes when read.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Erreur.h"

namespace corvelle {

// A value the file cannot hold so that it reads back as written: a line break
// (or a NUL) would forge other keys, a longer text than the reader keeps would
// come back cut. Nothing is changed when it is raised.
class ValeurRefusee : public Erreur {
  public:
    enum class Defaut { Controle, TropLongue };
    ValeurRefusee(std::string cle, Defaut defaut, std::size_t longueur);

    [[nodiscard]] const std::string& Cle() const noexcept { return cle_; }
    [[nodiscard]] Defaut Raison() const noexcept { return defaut_; }
    [[nodiscard]] std::size_t Longueur() const noexcept { return longueur_; }  // in characters

  private:
    std::string cle_;
    Defaut defaut_;
    std::size_t longueur_;
};

class FichierProfil {
  public:
    // The reader's buffer holds 32000 characters with its terminator, so a
    // value is read back with at most 31999 characters.
    static constexpr std::size_t kLongueurMaxValeur = 31999;

    // Reads the file: UTF-16 by its mark, otherwise line by line, each line
    // UTF-8 when it is valid UTF-8 and Windows-1252 when not (a file edited by
    // hand in another code page keeps its other lines). A missing file is an
    // empty profile; a file that exists but cannot be read, or anything but a
    // regular file, raises an error rather than being overwritten later.
    [[nodiscard]] static FichierProfil Charge(std::string chemin);

    [[nodiscard]] std::optional<std::string> Lit(std::string_view section,
                                                 std::string_view cle) const;
    [[nodiscard]] std::string Lit(std::string_view section, std::string_view cle,
                                  std::string_view defaut) const;

    // Sets a key in memory, adding the section and the key as needed; no
    // value deletes the key. A value the reader would change (surrounding
    // blanks, enclosing quotes) is stored in double quotes, so it reads back
    // as given. Raises ValeurRefusee, changing nothing, for a value that
    // cannot read back whole.
    void Ecrit(std::string_view section, std::string_view cle,
               std::optional<std::string_view> valeur);

    // Writes the whole file atomically: the lines set since the reading in
    // UTF-8, every other line with its bytes as read. A new file is user-only.
    void Enregistre() const;

    [[nodiscard]] const std::string& Chemin() const noexcept { return chemin_; }
    [[nodiscard]] bool Existe() const noexcept { return existe_; }

    // The decoded file as one text, for lookups outside the key=value lines.
    [[nodiscard]] std::string TexteComplet() const;

  private:
    struct Ligne {
        std::string texte;                  // decoded
        std::optional<std::string> octets;  // as read, when they differ from the text
    };
    struct Position {
        std::size_t debutSection;  // first line after the header
        std::size_t finSection;    // one past the section's last line
    };
    [[nodiscard]] std::optional<Position> TrouveSection(std::string_view section) const;
    [[nodiscard]] std::optional<std::size_t> TrouveCle(const Position& p,
                                                       std::string_view cle) const;

    std::string chemin_;
    std::vector<Ligne> lignes_;
    std::string finDeLigne_ = "\n";
    bool existe_ = false;
};

// One key of one section; the default when the file, section or key is missing
// or the file cannot be read.
[[nodiscard]] std::string LitParametre(const std::string& fichier, std::string_view section,
                                       std::string_view cle, std::string_view defaut);

// One read-modify-write of a settings file, under an exclusive lock on a lock
// file beside it, so that processes changing it at once lose nothing: the file
// is read under the lock, `modification` changes it and says whether to save.
// What `modification` raises goes to the caller, with nothing written.
void ModifieProfil(const std::string& fichier,
                   const std::function<bool(FichierProfil&)>& modification);

// Stores one key (no value: deletes it) and rewrites the file; false when the
// file could not be read or written.
bool EcritParametre(const std::string& fichier, std::string_view section, std::string_view cle,
                    std::optional<std::string_view> valeur) noexcept;

}  // namespace corvelle
