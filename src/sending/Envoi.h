#pragma once

// The dispatch: one message to every recipient of a request, in batches.

#include <functional>
#include <string>
#include <string_view>

#include "sending/Bilan.h"

namespace corvelle {

class Annuaire;
class Dialogue;
struct Demande;
struct Langue;

struct ContexteEnvoi {
    const Langue& langue;
    Dialogue& dialogue;            // the busy pointer, pending window events
    Annuaire* annuaire = nullptr;  // none: grp: entries are refused
    // What the person must know but that does not stop the send (a missing
    // recipient file, an attachment skipped with /iep).
    std::function<void(const std::string&)> avertit;
    // Where the SMTP dialogue goes, line by line, when the request asks for it.
    std::function<void(std::string_view)> trace;
};

// Expands the recipients, checks the attachments and sends the batches
// through one SMTP session. The bodies move to the sending; the rest of the
// request stays for the report, which is the caller's.
[[nodiscard]] Bilan EnvoiMessage(const ContexteEnvoi& contexte, Demande& demande);

}  // namespace corvelle
