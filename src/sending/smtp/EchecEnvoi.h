#pragma once

// What a failed send means for its message. Every failure of the sending
// carries its kind; the program chooses its exit code from it, and a message
// kept to go later waits only on a temporary one.

#include <stdexcept>
#include <string>

#include "core/Resultat.h"

namespace corvelle {

enum class GenreEchec {
    // May go later as it is: no connection, a 4xx reply, a verdict lost
    // after the content went.
    Temporaire,
    // Never as it is: a 5xx reply, a message too big, an address that cannot
    // be written, a server whose replies do not follow its commands.
    Permanent,
    // The settings must change first: login or certificate refused, no
    // server or a bad port, no token from the token source.
    Configuration,
    // A file on this machine: an attachment or recipient file unreadable or
    // changed, the message not written.
    Local,
};

// A failure as a value: its kind, its text for the person, and the server's
// reply that decided it, when one did.
struct Defaillance {
    GenreEchec genre = GenreEchec::Temporaire;
    std::string texte;
    std::string reponse{};
};

// A recipient the server refused, with its reply and what that reply means.
struct DestinataireRefuse {
    std::string adresse;
    std::string reponse;
    GenreEchec genre = GenreEchec::Permanent;
};

// What a step of the sending gives, or why it failed.
template <typename T>
using ResultatEnvoi = Resultat<T, Defaillance>;

// A server's refusal: 4xx may pass later, 5xx never (RFC 5321 §4.2.1).
[[nodiscard]] constexpr GenreEchec GenreReponse(int code) noexcept {
    return code >= 500 && code < 600 ? GenreEchec::Permanent : GenreEchec::Temporaire;
}

namespace smtp {

// A send that cannot go on; its text becomes the status the caller reads.
class EchecEnvoi : public std::runtime_error {
  public:
    EchecEnvoi(GenreEchec genre, const std::string& texte)
        : std::runtime_error(texte), genre_(genre) {}

    [[nodiscard]] GenreEchec Genre() const noexcept { return genre_; }

  private:
    GenreEchec genre_;
};

}  // namespace smtp
}  // namespace corvelle
