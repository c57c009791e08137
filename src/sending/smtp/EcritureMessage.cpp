#include "sending/smtp/EcritureMessage.h"

#include <array>
#include <optional>

namespace corvelle::smtp {

Issue EcritMessage(SourceMessage message, std::ostream& sortie) {
    FluxMessage flux(message);
    std::array<char, 65536> tampon{};
    for (;;) {
        const std::optional<std::size_t> lus = flux.Lit(tampon.data(), tampon.size());
        if (!lus) {
            return {false, flux.Erreur(), GenreEchec::Local};
        }
        if (*lus == 0) {
            break;
        }
        sortie.write(tampon.data(), static_cast<std::streamsize>(*lus));
    }
    if (!sortie) {
        return {false, "Writing the message failed", GenreEchec::Local};
    }
    return {true, "Message built, not sent"};
}

}  // namespace corvelle::smtp
