#pragma once

// Recipient fields to addresses: plain entries, names completed with the domain
// suffix, recipient files (fic:) and directory groups (grp:), expanded in turn,
// then sorted without duplicates and read into addresses.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_set>

#include "core/Adresse.h"
#include "core/Collection.h"
#include "core/Resultat.h"
#include "core/Texte.h"
#include "sending/Annuaire.h"
#include "sending/Bilan.h"

namespace corvelle {

struct Langue;

struct ContexteExpansion {
    const Langue& langue;
    Annuaire* annuaire = nullptr;  // none: grp: entries are refused
    std::string dossierCourant;    // base of relative file names
    std::string suffixe;
    bool ligneCommande = false;  // an error ends the run, not only the send
    // A missing file or an unknown group: said, then skipped.
    std::function<void(const std::string&)> avertit;
    // Told as directory lookups go; empty: nothing counted.
    SuiviRecherches suivi{};
};

// The field's final addresses, or what stops the send: a group (directory
// missing, unreachable or refusing) or a recipient file, with its message.
[[nodiscard]] Resultat<ListeAdresses, Arret> ExtraitDestinataires(const ContexteExpansion& contexte,
                                                                  const std::string& champ);

// Leaves each address in the first of the fields (To, copy, blind copy) that
// holds it, so nobody gets two copies of one dispatch. Addresses compare as
// within a field, by CleAdresse of their mailbox ("Bob <b@x.fr>" and "b@X.FR"
// are one).
void RetireDoublonsEntreChamps(std::array<ListeAdresses, 3>& champs);

// The entries of a recipient file, one per line: -1 when read (or already
// read during this field's expansion, as `lus` records: then nothing), 53
// when missing, or the number of the error met while reading.
[[nodiscard]] std::int32_t LitFichierDestinataires(const std::string& dossierCourant,
                                                   std::unordered_set<std::string>& lus,
                                                   const std::string& nom, Liste& entrees);

}  // namespace corvelle
