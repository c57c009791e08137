#pragma once

// The mail transactions (RFC 5321) of one open session: MAIL, RCPT, then DATA
// or BDAT. Pipelined when the server offers it (RFC 2920), one command at a
// time otherwise. A refused recipient does not stop the others.

#include <optional>
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
    // The server closed (421) or the connection failed: the session cannot be
    // used again.
    bool fermee = false;
    // Closed before any recipient took the message and before its content
    // went: it may be sent again on a new connection.
    bool rejouable = false;
    // The server went silent (a time-out) rather than closing.
    bool muet = false;
    // Refused for some recipients only; the others received it.
    bool partiel = false;
    // The server refused the login: nothing was sent.
    bool loginRefuse = false;
};

// The server's reply to a message's content, not read yet: what concludes
// that message once it comes.
struct VerdictDu {
    std::size_t acceptes = 0;
    std::size_t total = 0;
    std::vector<std::string> refus;  // "address: reply"
};

// What may follow a message on its session.
enum class Suite {
    Seul,        // nothing known: its verdict is read before the send returns
    Serie,       // another message of the dispatch: its verdict may come with
                 // the next one's replies
    FinDeSerie,  // the dispatch's last message: likewise, and QUIT may go with it
};

class Transactions {
  public:
    Transactions(Canal& canal, const Capacites& capacites) : canal_(canal), capacites_(capacites) {}

    // Sends one message. A verdict still owed for the previous one is read
    // with this message's replies and added to `verdicts` first. In a series,
    // when pipelining, this message's own verdict is left owed: the next
    // message's group follows its final dot, one round trip a message. The
    // last of a series sent whole with BDAT takes QUIT in the same write,
    // and the session ends with it. Its outcome, or nothing when left owed.
    [[nodiscard]] std::optional<Issue> Envoie(const Enveloppe& enveloppe, SourceMessage message,
                                              Suite suite, std::vector<Issue>& verdicts);
    // Reads the verdict still owed, if any, into `verdicts`; with `quitte`,
    // QUIT goes in the same write and the session ends.
    void Conclut(std::vector<Issue>& verdicts, bool quitte);

    [[nodiscard]] bool Doit() const noexcept { return du_.has_value(); }
    // The connection failed or the server closed it.
    [[nodiscard]] bool Fermee() const noexcept { return fermee_; }

  private:
    void LitDu(std::vector<Issue>& verdicts);
    void Rompt(std::vector<Issue>& verdicts, const CanalRompu& rupture);

    Canal& canal_;
    const Capacites& capacites_;
    std::optional<VerdictDu> du_;
    std::string finDue_;  // the end of the message whose verdict is owed, not yet written
    bool fermee_ = false;
};

}  // namespace corvelle::smtp
