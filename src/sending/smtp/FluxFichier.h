#pragma once

// An attachment's bytes as GMime reads them: straight from its file, opened
// only while its part is written, so that one file is open at a time however
// many are attached, and only while it is still the file that was checked.

#include <string>

#include "core/Plateforme.h"
#include "sending/smtp/RessourcesGMime.h"

namespace corvelle::smtp {

// A file to attach, and what it was when it was first attached: every message
// that carries it must carry those very bytes.
struct FichierJoint {
    std::string chemin;
    plateforme::IdentiteFichier identite;
};

// The file `chemin` as it is now. Raises EchecEnvoi, naming it, when it
// cannot be opened or is not a regular file.
[[nodiscard]] plateforme::IdentiteFichier ReleveFichier(const std::string& chemin);

// Raises EchecEnvoi, naming it, when the file is no longer what `fichier`
// recorded.
void VerifieFichier(const FichierJoint& fichier);

// A read-only stream over the file. One that cannot be read, or that is not
// (or stops being) the file recorded, ends the reading with an error, never
// with fewer or other bytes; IncidentFichier() then says what happened.
[[nodiscard]] ObjetG<GMimeStream> FluxSurFichier(const FichierJoint& fichier);

// Why the last such stream read on this thread failed, which it forgets; empty
// when none did. GMime passes on only that a read failed.
[[nodiscard]] std::string IncidentFichier();

}  // namespace corvelle::smtp
