#pragma once

// Recipient fields to addresses: plain entries, names completed with the domain
// suffix, recipient files (fic:) and directory groups (grp:), expanded in turn,
// then sorted without duplicates.

#include <cstdint>
#include <string>

#include "core/Collection.h"
#include "core/Texte.h"

namespace corvelle {

class Dialogue;
struct EtatProgramme;

// The field's final addresses into `sortie`. False after a reported error that
// stops the send (window mode); in command-line mode such an error throws
// FinProgramme with exit code 2 (groups) or 3 (files). A missing file or an
// unknown group is reported and skipped.
[[nodiscard]] bool ExtraitDestinataires(EtatProgramme& etat, Dialogue& dialogue,
                                        const std::string& champ, Collection& sortie);

// The entries of a recipient file, one per line: -1 when read (or already
// read during this field's expansion: then nothing), 53 when missing, or the
// number of the error met while reading.
[[nodiscard]] std::int32_t LitFichierDestinataires(EtatProgramme& etat, const std::string& nom,
                                                   Liste& entrees);

}  // namespace corvelle
