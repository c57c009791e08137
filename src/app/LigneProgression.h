#pragma once

// The progress line of a command-line send on standard error: batches and
// recipients sent of the total, messages a second, time left.

#include <chrono>
#include <cstddef>
#include <iosfwd>
#include <string>

#include "sending/Envoi.h"

namespace corvelle {

struct Demande;
struct Langue;

// The progress of a send as a person reads it, `ecoule` after it began: the
// directory's searches and members while groups expand, then batches and
// recipients sent of the total, messages a second and time left.
[[nodiscard]] std::string TexteAvancement(const Langue& langue, const Avancement& avancement,
                                          std::chrono::steady_clock::duration ecoule);

// Whether a command-line send shows the line: asked for, or on a terminal
// when nothing else writes on standard error (a log or report run, which
// cron starts, stays silent; the SMTP dialogue has the stream to itself).
[[nodiscard]] bool MontreProgression(const Demande& demande, bool erreurEstTerminal);

class LigneProgression {
  public:
    // `immediate`: drawn from the first batch; otherwise once the send has
    // lasted about a second, so a quick one leaves nothing behind.
    LigneProgression(const Langue& langue, std::ostream& sortie, bool immediate);
    LigneProgression(const LigneProgression&) = delete;
    LigneProgression& operator=(const LigneProgression&) = delete;

    void Montre(const Avancement& avancement);
    // Ends the line drawn, if any, so that what follows starts on its own.
    void Termine();

  private:
    using Horloge = std::chrono::steady_clock;

    const Langue& langue_;
    std::ostream& sortie_;
    Horloge::time_point debut_;
    Horloge::time_point dessinee_{};  // when the line was drawn last
    std::size_t largeur_ = 0;         // its characters; 0: none drawn
    bool immediate_;
};

}  // namespace corvelle
