#pragma once

// A send made with the program's settings, from the compose window or a
// command line: the request's defaults, the dispatch, then its report.

#include <functional>
#include <optional>

#include "sending/Bilan.h"
#include "sending/Demande.h"
#include "sending/Envoi.h"

namespace corvelle {

class Dialogue;
struct Programme;

// A request holding the settings' defaults: sender, reply-to, charset,
// receipts, importance, sensitivity, the first SMTP configuration, the
// batching, suffix and time-out, the working folder and the default log.
[[nodiscard]] Demande DemandeParDefaut(const Programme& programme);

// What a window hooks into a send that runs beside it: progress as it goes,
// and a stop asked between batches, as Ctrl-C asks on a command line.
struct SuiviEnvoi {
    std::function<void(const Avancement&)> avance;
    std::function<bool()> arrete;
};

// The dispatch of the request, its notices reported along the way; a command
// line draws its own progress line and stops on Ctrl-C. The bodies move to the
// sending.
[[nodiscard]] Bilan Expedie(const Programme& programme, Dialogue& dialogue, Demande& demande,
                            SuiviEnvoi suivi = {});

// The request as it stands before the dispatch takes its bodies, for the
// window to keep in the outbox what failed for now; nothing where that is not
// offered (a command line, a report mail, a preview).
[[nodiscard]] std::optional<Demande> CopiePourAttente(const Demande& demande);

// Reports the outcome as the request's report options say; with the copy, the
// outcome of a send that failed for now offers to keep it in the outbox (the
// outcome then says what was kept). Returns the exit code a command line ends
// with.
[[nodiscard]] int RapporteEnvoi(const Programme& programme, Dialogue& dialogue,
                                const Demande& demande, Bilan& bilan, Demande* copie = nullptr);

// Both of the above, one after the other.
[[nodiscard]] int Envoie(const Programme& programme, Dialogue& dialogue, Demande& demande);

}  // namespace corvelle
