#pragma once

// The system's mailer: a message handed over whole on standard input,
// relayed as it is through one SMTP configuration.

#include <cstdint>
#include <functional>
#include <istream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "config/ConfigSMTP.h"
#include "sending/outbox/FileAttente.h"
#include "sending/sendmail/OptionsSendmail.h"
#include "sending/smtp/ComposantSMTP.h"

namespace corvelle::sendmail {

struct ContexteRelais {
    clsConfigSMTP configuration;      // for Transmet, its password already resolved
    std::string expediteurParDefaut;  // the settings' default sender ("Name <addr>")
    std::string fichierJetons;
    std::string suffixe;  // completes a bare user name ("root")
    std::int32_t timeoutSecondes = 0;
    // Receives the SMTP dialogue (-v); empty: none.
    std::function<void(std::string_view)> trace;
};

// How a relay ended; the caller turns it into the exit code its callers
// expect.
enum class Conclusion {
    Envoye,
    MessageVide,
    OctetNul,
    AdresseIllisible,  // in a header (-t) or on the command line: `detail` names it
    SansDestinataire,  // nobody on the command line nor, with -t, in the headers
    SansExpediteur,    // no -f and no default sender to put in MAIL FROM
    MessageRefuse,     // cannot go as it is: 8-bit bytes to a server without 8BITMIME
    Refuse,            // the server refused it for good
    Temporaire,        // try again later: no connection, 4xx, a lost verdict
    Configuration,     // a login or certificate refused, a token that fails
};

struct IssueRelais {
    Conclusion conclusion = Conclusion::Envoye;
    // What failed: the SMTP status (with the server's reply), or the
    // address that does not read.
    std::string detail;
    // The relay's reply that decided a failure, when one did.
    std::string reponse{};
    // Taken by some recipients: the others are those refused.
    bool partiel = false;
    // The recipients refused one by one, each with its own reply.
    std::vector<DestinataireRefuse> refuses{};
};

// A message read and addressed, ready for the outbox.
struct Preparation {
    IssueRelais issue;            // Envoye when ready
    outbox::Enveloppe enveloppe;  // all but the configuration's name
    std::string message;
};

// Reads the message from `entree` and finds its envelope.
[[nodiscard]] Preparation Prepare(const OptionsSendmail& options, const ContexteRelais& contexte,
                                  std::istream& entree);

// Relays a prepared message through the context's configuration.
[[nodiscard]] IssueRelais Transmet(const outbox::Enveloppe& enveloppe, const std::string& message,
                                   const ContexteRelais& contexte);

struct VerdictRelais {
    std::uint64_t numero = 0;  // the message's, as given to SerieRelais::Envoie
    IssueRelais issue;
};

// Messages relayed one after another in one session of the context's
// configuration: each goes while the verdicts on those before it may still be
// owed, one round trip a message with PIPELINING, a window of transactions
// with CHUNKING. A broken session opens again for the next message.
class SerieRelais {
  public:
    explicit SerieRelais(const ContexteRelais& contexte);
    ~SerieRelais();
    SerieRelais(const SerieRelais&) = delete;
    SerieRelais& operator=(const SerieRelais&) = delete;

    // Sends one more message; the verdicts certain by now, this one's or
    // earlier ones', each with its number.
    [[nodiscard]] std::vector<VerdictRelais> Envoie(std::uint64_t numero,
                                                    const outbox::Enveloppe& enveloppe,
                                                    std::string_view message);
    // The verdicts still owed, the session kept for more; with `fin`, it
    // ends.
    [[nodiscard]] std::vector<VerdictRelais> Attend(bool fin);

  private:
    std::unique_ptr<ComposantSMTP> smtp_;
};

}  // namespace corvelle::sendmail
