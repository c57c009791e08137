#pragma once

// How many addresses of each kind (To, copy, blind copy) go in the next batch.

#include <array>
#include <cstddef>
#include <cstdint>

namespace corvelle {

using Repartition = std::array<std::size_t, 3>;  // To, copy, blind copy

// Each kind's share of all addresses, computed once per dispatch.
[[nodiscard]] std::array<float, 3> PartsDesTypes(const Repartition& totaux);

// Sizes of the next batch given what is left of each kind. Everything left
// when it fits in nbDest (or nbDest < 1); else, spreading, each kind by its
// share and adjusted to exactly nbDest; else the first kind with addresses
// left, up to nbDest.
[[nodiscard]] Repartition TaillesLot(const Repartition& restants, const std::array<float, 3>& parts,
                                     std::int32_t nbDest, bool repartition);

}  // namespace corvelle
