#pragma once

// colTraductions: the message catalogue, texts by key (letter case ignored)
// in the order they were added.

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace corvelle {

class colTraductions {
  public:
    // Stores a text under a key; a key already there raises error 457.
    std::string Add(std::string_view code, std::string valeur);

    // The text of a key or of a 1-based position; anything unknown gives the
    // empty text.
    [[nodiscard]] std::string Item(std::string_view cle) const noexcept;
    [[nodiscard]] std::string Item(std::size_t position) const noexcept;

    [[nodiscard]] bool Contient(std::string_view cle) const noexcept;
    [[nodiscard]] std::size_t Count() const noexcept { return valeurs_.size(); }

    // The texts in insertion order.
    [[nodiscard]] auto begin() const noexcept { return valeurs_.begin(); }
    [[nodiscard]] auto end() const noexcept { return valeurs_.end(); }

  private:
    std::vector<std::string> cles_;  // lower case
    std::vector<std::string> valeurs_;
    std::unordered_map<std::string, std::size_t> index_;
};

}  // namespace corvelle
