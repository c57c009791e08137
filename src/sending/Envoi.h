#pragma once

// The dispatch: one message to every recipient of a request, in batches.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "sending/Bilan.h"

namespace corvelle {

class Annuaire;
class Dialogue;
struct Demande;
struct Langue;

namespace outbox {
struct Enveloppe;
class Depot;
}  // namespace outbox

// How far a dispatch has gone: while groups expand, the directory's searches
// and the members found; then batches handed to the server, and their
// recipients, of all it will send (`lots` stays 0 until they are counted).
struct Avancement {
    std::size_t recherches = 0;
    std::size_t membres = 0;
    std::size_t lotsEnvoyes = 0;
    std::size_t lots = 0;
    std::size_t destinatairesEnvoyes = 0;
    std::size_t destinataires = 0;
};

struct ContexteEnvoi {
    const Langue& langue;
    Dialogue& dialogue;            // the busy pointer, pending window events
    Annuaire* annuaire = nullptr;  // none: grp: entries are refused
    // What the person must know but that does not stop the send (a missing
    // recipient file, an attachment skipped with /iep).
    std::function<void(const std::string&)> avertit;
    // Where the SMTP dialogue goes, line by line, when the request asks for it.
    std::function<void(std::string_view)> trace;
    // Told after each directory search, before the first batch and after
    // each one; none: nothing counted.
    std::function<void(const Avancement&)> avance{};
    // Asked between batches: true stops the dispatch there, the batch sent
    // last concluded, the rest reported not sent.
    std::function<bool()> arrete{};
    // Set to keep the batches that fail for now (/attente): starts an entry
    // where one waits to go later, its first attempt failed with `reponse`;
    // the message is written into it as it is built. Raises an Erreur when it
    // cannot be started.
    std::function<outbox::Depot(const outbox::Enveloppe&, const std::string& reponse)>
        metEnAttente{};
};

// Expands the recipients, checks the attachments and sends the batches
// through one SMTP session; then, when the context says where, keeps each
// batch nobody received for now, built as it was sent. The bodies move to the
// sending; the rest of the request stays for the report, which is the
// caller's.
[[nodiscard]] Bilan EnvoiMessage(const ContexteEnvoi& contexte, Demande& demande);

// Afterwards, when the person chooses it: keeps through the context each
// batch of `bilan` that nobody received for now, built from `demande` (a copy
// of the request sent, its bodies still there) as the dispatch built it.
void MetEnAttente(const ContexteEnvoi& contexte, Demande& demande, Bilan& bilan);

}  // namespace corvelle
