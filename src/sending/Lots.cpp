#include "sending/Lots.h"

#include <algorithm>
#include <numeric>

#include "core/Texte.h"

namespace corvelle {

namespace {

enum Type { A = 0, Cc = 1, Cci = 2 };

std::size_t Somme(const Repartition& r) {
    return std::accumulate(r.begin(), r.end(), std::size_t{0});
}

Repartition LotReparti(const Repartition& restants, const std::array<float, 3>& parts,
                       std::size_t nbDest) {
    Repartition tailles{};
    for (std::size_t type = 0; type < 3; ++type) {
        if (restants[type] > 0) {
            const double part = static_cast<double>(parts[type]) * static_cast<double>(nbDest);
            tailles[type] = std::min(static_cast<std::size_t>(Arrondit(part, 0)), restants[type]);
        }
    }
    // Rounding may leave the batch a few addresses short or over: blind copies
    // fill it first, To addresses give way first.
    while (Somme(tailles) != nbDest) {
        if (Somme(tailles) < nbDest) {
            const auto ajoutable = [&](Type t) { return tailles[t] < restants[t]; };
            const Type t = ajoutable(Cci) ? Cci : ajoutable(Cc) ? Cc : A;
            if (!ajoutable(t)) {
                break;  // cannot happen while more than nbDest remain
            }
            ++tailles[t];
        } else {
            const Type t = tailles[A] > 0 ? A : tailles[Cc] > 0 ? Cc : Cci;
            --tailles[t];
        }
    }
    return tailles;
}

}  // namespace

std::array<float, 3> PartsDesTypes(const Repartition& totaux) {
    const std::size_t total = Somme(totaux);
    std::array<float, 3> parts{};
    if (total > 0) {
        for (std::size_t type = 0; type < 3; ++type) {
            parts[type] = static_cast<float>(totaux[type]) / static_cast<float>(total);
        }
    }
    return parts;
}

Repartition TaillesLot(const Repartition& restants, const std::array<float, 3>& parts,
                       std::int32_t nbDest, bool repartition) {
    if (nbDest < 1 || Somme(restants) <= static_cast<std::size_t>(nbDest)) {
        return restants;
    }
    const auto maximum = static_cast<std::size_t>(nbDest);
    if (repartition) {
        return LotReparti(restants, parts, maximum);
    }
    Repartition tailles{};
    for (std::size_t type = 0; type < 3; ++type) {
        if (restants[type] > 0) {
            tailles[type] = std::min(maximum, restants[type]);
            break;
        }
    }
    return tailles;
}

}  // namespace corvelle
