#pragma once

// The directory that resolves grp: entries.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "core/Collection.h"
#include "core/Texte.h"

namespace corvelle {

// Statuses of a group lookup, as the recipient expansion reads them.
inline constexpr std::int32_t kGroupeTrouve = -1;
inline constexpr std::int32_t kGroupeInconnu = 2220;
inline constexpr std::int32_t kAnnuaireInjoignable = -2147217865;  // 0x80040E37
inline constexpr std::int32_t kAnnuaireDelaiDepasse = 1460;        // a query past the time-out
// A lookup cut short: groups nested deeper than kProfondeurMaxGroupes, or
// more than kRecherchesMaxGroupe searches for one group and those it nests.
inline constexpr std::int32_t kGroupeTropImbrique = 1001;
inline constexpr std::int32_t kGroupeTropVaste = 8228;
inline constexpr std::int32_t kProfondeurMaxGroupes = 64;
inline constexpr std::int32_t kRecherchesMaxGroupe = 10000;

// Told as a lookup goes: searches made and members found since it was told
// last. Empty: nobody listens, nothing is counted.
using SuiviRecherches = std::function<void(std::size_t recherches, std::size_t membres)>;

class Annuaire {
  public:
    virtual ~Annuaire() = default;
    // The members of a group and of its nested groups (addresses, or account
    // names for members without one) into `membres`; returns one of the
    // statuses above or another error number. `dejaVus` holds the groups
    // already expanded in the field ("grp:" + name), which ends cycles.
    virtual std::int32_t MembresGroupe(const std::string& groupe, Collection& dejaVus,
                                       Liste& membres, const SuiviRecherches& suivi) = 0;
};

}  // namespace corvelle
