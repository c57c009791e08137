#pragma once

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>

namespace corvelle {

// An ordered container of texts addressed by position (1..n), where an item may
// also be stored under a key; keys ignore letter case.
class Collection {
  public:
    // Adds an item at the end; a key already present raises error 457.
    void Ajoute(std::string element, std::optional<std::string_view> cle = std::nullopt);

    [[nodiscard]] std::size_t Nombre() const noexcept { return elements_.size(); }
    [[nodiscard]] bool EstVide() const noexcept { return elements_.empty(); }

    [[nodiscard]] bool ContientCle(std::string_view cle) const noexcept;

    // Removes and returns the first n items; asking for more than there are
    // raises error 9.
    [[nodiscard]] std::deque<std::string> RetirePremiers(std::size_t n);

    [[nodiscard]] auto begin() const noexcept { return elements_.begin(); }
    [[nodiscard]] auto end() const noexcept { return elements_.end(); }

  private:
    std::deque<std::string> elements_;
    std::deque<std::optional<std::string>> clesDesElements_;  // lower-case key of each item
    std::unordered_set<std::string> cles_;
};

}  // namespace corvelle
