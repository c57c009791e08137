#pragma once

// What every harness shares: the input as text, a scratch folder for the
// readers that take a file, and a check that stops the run like a crash.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/DossierTemporaire.h"

namespace corvelle::fuzz {

inline std::string Entree(const std::uint8_t* donnees, std::size_t taille) {
    return {reinterpret_cast<const char*>(donnees), taille};
}

// One folder per process, removed at a normal exit.
inline const test::DossierTemporaire& Dossier() {
    static const test::DossierTemporaire dossier;
    return dossier;
}

// A broken property is a finding: libFuzzer keeps the input that broke it.
inline void Verifie(bool condition, const char* propriete) {
    if (!condition) {
        std::fprintf(stderr, "property broken: %s\n", propriete);
        std::abort();
    }
}

}  // namespace corvelle::fuzz
