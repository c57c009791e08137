#pragma once

// A send made with the program's settings, from the compose window or a
// command line: the request's defaults, the dispatch, then its report.

#include "sending/Demande.h"

namespace corvelle {

class Dialogue;
struct Programme;

// A request holding the settings' defaults: sender, reply-to, charset,
// receipts, importance, sensitivity, the first SMTP configuration, the
// batching, suffix and time-out, the working folder and the default log.
[[nodiscard]] Demande DemandeParDefaut(const Programme& programme);

// Sends the request and reports its outcome as the request's report options
// say (notices along the way too). Returns the exit code a command line ends
// with. The bodies move to the sending.
[[nodiscard]] int Envoie(const Programme& programme, Dialogue& dialogue, Demande& demande);

}  // namespace corvelle
