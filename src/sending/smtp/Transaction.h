#pragma once

// One mail transaction (RFC 5321) on an open session: MAIL, RCPT, then DATA
// or BDAT. Pipelined in one write when the server offers it (RFC 2920), one
// command at a time otherwise. A refused recipient does not stop the others.

#include <string>
#include <vector>

#include "sending/smtp/Canal.h"
#include "sending/smtp/Capacites.h"
#include "sending/smtp/FluxMessage.h"

namespace corvelle::smtp {

struct Enveloppe {
    std::string expediteur;
    std::vector<std::string> destinataires;
    bool accuses = false;  // delivery receipts asked: DSN when offered
};

struct Issue {
    bool accepte = false;
    std::string statut;
    // The server said it closes (421): the session cannot be used again.
    bool fermee = false;
};

// Raises CanalRompu when the connection fails or the message cannot be
// written whole (the content then never ends: no cut message is accepted).
[[nodiscard]] Issue EnvoieTransaction(Canal& canal, const Capacites& capacites,
                                      const Enveloppe& enveloppe, SourceMessage message);

}  // namespace corvelle::smtp
