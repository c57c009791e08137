// Outbox files, which a crash may cut short and others may put there: any
// bytes are refused or give an entry that is written back and read again
// unchanged.

#include "Fuzz.h"
#include "sending/outbox/FileAttente.h"

using namespace corvelle;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* donnees, std::size_t taille) {
    const std::optional<outbox::Entree> entree = outbox::Deserialise(fuzz::Entree(donnees, taille));
    if (entree) {
        const std::string ecrite = outbox::Serialise(*entree);
        const std::optional<outbox::Entree> relue = outbox::Deserialise(ecrite);
        fuzz::Verifie(relue.has_value(), "a written entry reads");
        fuzz::Verifie(outbox::Serialise(*relue) == ecrite, "a written entry reads unchanged");
    }
    return 0;
}
