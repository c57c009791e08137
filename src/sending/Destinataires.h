#pragma once

// Recipient fields to addresses: plain entries, names completed with the domain
// suffix, recipient files (fic:) and directory groups (grp:), expanded in turn,
// then sorted without duplicates.

#include <array>
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

// Leaves each address in the first of the fields (To, copy, blind copy) that
// holds it, so nobody gets two copies of one dispatch. Addresses compare by
// their mailbox ("Bob <b@x.fr>" and "B@x.fr" are one), letter case ignored.
void RetireDoublonsEntreChamps(std::array<Collection, 3>& champs);

// The entries of a recipient file, one per line: -1 when read (or already
// read during this field's expansion: then nothing), 53 when missing, or the
// number of the error met while reading.
[[nodiscard]] std::int32_t LitFichierDestinataires(EtatProgramme& etat, const std::string& nom,
                                                   Liste& entrees);

}  // namespace corvelle
