#pragma once

// The mail transactions (RFC 5321) of one open session: MAIL, RCPT, then DATA
// or BDAT, after the login when it is the engine's. Pipelined when the server
// offers it (RFC 2920), one command at a time otherwise. A refused recipient
// does not stop the others.
//
// The engine writes commands and keeps, in order, the replies it awaits: each
// names its command and the batch it belongs to. Every reply read, whenever
// it comes (even while writing), goes through Applique(), the one place a
// reply meets its command and a verdict its batch.

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "sending/smtp/Canal.h"
#include "sending/smtp/Capacites.h"
#include "sending/smtp/EchecEnvoi.h"
#include "sending/smtp/FluxMessage.h"
#include "sending/smtp/Trace.h"

namespace corvelle::smtp {

struct Enveloppe {
    std::string expediteur;
    std::vector<std::string> destinataires;
    bool accuses = false;  // delivery receipts asked: DSN when offered
    // For a message written while it goes, its size as estimated beforehand
    // (RFC 1870 allows it); one already written declares its own.
    std::optional<std::size_t> taille{};
    // A message handed over whole: 8-bit bytes in it (BODY=8BITMIME, refused
    // when the server does not offer it), and the DSN its sender asked for
    // (NOTIFY, RET, ENVID; empty: as `accuses` says).
    bool huitBits = false;
    std::string notify{};
    std::string ret{};
    std::string envid{};
};

struct Issue {
    bool accepte = false;
    std::string statut;
    // For a batch not accepted (or accepted by some recipients only): whether
    // it may go later, and the server's reply that decided it, if any.
    GenreEchec genre = GenreEchec::Temporaire;
    std::string reponse{};
    // The server closed (421) or the connection failed: the session cannot be
    // used again.
    bool fermee = false;
    // Closed before any recipient took the message and before the server
    // could take its content: it may be sent again on a new connection.
    bool rejouable = false;
    // The server went silent (a time-out) rather than closing.
    bool muet = false;
    // Refused for some recipients only; the others received it.
    bool partiel = false;
    // Those the server refused one by one, when it did.
    std::vector<DestinataireRefuse> refuses{};
    // The server refused the login: nothing was sent.
    bool loginRefuse = false;
};

// Which batch a message is: its verdict comes back with the same id.
using IdLot = std::uint64_t;

// A batch kept to be sent again: one of a window, whose bytes the caller
// has already reused.
struct ARejouer {
    Enveloppe enveloppe;
    std::string octets;
};

struct Verdict {
    IdLot lot = 0;
    Issue issue;
    // For a batch that may go again (`issue.rejouable`) and that the caller
    // no longer holds.
    std::shared_ptr<const ARejouer> rejeu;
};

// A login whose first message goes with AUTH (RFC 4954): the engine makes it
// itself, in the first pipelined group when the server offers PIPELINING.
struct Login {
    std::string mecanisme;        // "PLAIN", "XOAUTH2" or "OAUTHBEARER"
    std::string reponseInitiale;  // in base64: it carries the secret
    // What answers the server's challenge (334): with OAuth2, the one step
    // that lets the server end the exchange with its refusal.
    std::string reponseAuDefi;
};

// What may follow a message on its session.
enum class Suite {
    Seul,        // nothing known: its verdict is read before the send returns
    Serie,       // another message of the dispatch: its verdict may come with
                 // the next one's replies
    FinDeSerie,  // the dispatch's last message: likewise, and QUIT may go with it
};

// The server's replies stopped matching the commands sent (a reply that
// answers nothing, or one that cannot answer its command): no verdict read
// since the last certain point can be trusted.
// Such a server will be out of step again: the failure is permanent, since
// sending again could only deliver twice.
class DialogueFaux : public CanalRompu {
  public:
    explicit DialogueFaux(const std::string& texte) : CanalRompu(texte, GenreEchec::Permanent) {}
};

class Moteur {
  public:
    // `timeoutMs` bounds each wait: a reply, a write that cannot go on.
    // `login`, when given, goes before the first transaction; refused, it
    // fails every batch in flight and ends the session before any content.
    Moteur(Canal& canal, const Capacites& capacites, std::int32_t timeoutMs, TraceSMTP* trace,
           std::optional<Login> login = std::nullopt);

    // Sends one batch. Returns the verdicts now certain, this batch's or
    // earlier ones', each with its batch's id. In a series, when pipelining,
    // this batch's verdict may be left owed: the next group follows its
    // final dot, one round trip a message; with BDAT, up to 8 whole
    // transactions are in flight before a verdict is read. The last of a
    // series sent whole with BDAT takes QUIT in the same write, and the
    // session ends with it.
    [[nodiscard]] std::vector<Verdict> Envoie(IdLot lot, const Enveloppe& enveloppe,
                                              SourceMessage message, Suite suite);
    // Every verdict still owed; with `quitte`, QUIT goes in the same write
    // and the session ends.
    [[nodiscard]] std::vector<Verdict> Conclut(bool quitte);

    // A batch's verdict is still owed.
    [[nodiscard]] bool Doit() const noexcept { return !suivis_.empty(); }
    // The connection failed, the server closed it or the session ended.
    [[nodiscard]] bool Fermee() const noexcept { return phase_ == Phase::Fermee; }
    // Nothing came unasked since the last reply: the server has neither
    // closed the connection nor announced it (421).
    [[nodiscard]] bool Ouvert();

  private:
    // What the client may write next; changed only by Passe().
    enum class Phase {
        Libre,      // no transaction open: MAIL or QUIT
        Enveloppe,  // MAIL written, the content not begun: DATA, or RSET
        Donnees,    // DATA took 354: the content
        Fermee,     // QUIT written, the server closed, or the session broke
    };
    enum class Commande { Auth, Mail, Rcpt, Data, Bdat, Point, Rset, Quit };
    struct Attendue {
        Commande commande;
        IdLot lot;
    };
    // A batch whose verdict is not known yet. A server that takes fewer
    // recipients a message than the batch has gets it in several
    // transactions, one after another.
    struct Suivi {
        std::size_t total = 0;           // the batch's recipients
        std::size_t livres = 0;          // taken by its earlier transactions
        std::vector<std::string> refus;  // "address: reply"
        std::vector<DestinataireRefuse> refuses;
        // The refusal that gives the batch its kind: the first that may pass
        // later, else the first.
        std::optional<std::pair<GenreEchec, std::string>> refusDecisif;
        // Put off by the server's limit (452): for the next transaction.
        std::vector<std::pair<std::string, std::string>> reportes;
        // The transaction under way.
        std::vector<std::string> destinataires;
        std::vector<std::string> acceptes;
        std::size_t attendues = 0;     // its replies still awaited
        std::size_t reponsesRcpt = 0;  // RCPT replies read, in command order
        std::optional<Reponse> mailRefuse;
        bool donnees = false;  // DATA took 354
        bool contenuParti = false;
        bool contenuEntier = false;  // its end written too
        // Its bytes, while it is in flight in a window.
        std::shared_ptr<const ARejouer> copie;
    };

    void Passe(Phase phase) noexcept { phase_ = phase; }
    void Attend(Commande commande, IdLot lot);
    void Applique(const Reponse& reponse);
    void AppliqueAuth(const Reponse& reponse);
    void Rend(IdLot lot, Issue issue);
    [[nodiscard]] static Issue Conclusion(Suivi& suivi, const Reponse* fin);
    [[nodiscard]] static Issue RefusDestinataires(const Suivi& suivi, std::string statut);
    static void Refuse(Suivi& suivi, const std::string& adresse, const std::string& reponse,
                       GenreEchec genre);
    void MarqueEntier(IdLot lot);
    void Rompt(const CanalRompu& rupture);
    [[nodiscard]] std::vector<Verdict> Rends();

    [[nodiscard]] std::string CommandeAuth();
    void Transmet(IdLot lot, const Enveloppe& enveloppe, SourceMessage message, Suite suite,
                  bool utf8, bool dsn, std::optional<std::size_t> taille);
    [[nodiscard]] std::optional<Enveloppe> Reste(IdLot lot, const Enveloppe& enveloppe);
    void EnvoieContenu(IdLot lot, SourceMessage message, bool retenir);
    void Reinitialise();

    void Ecrit(std::string_view octets);
    [[nodiscard]] std::size_t EnvoieOuLitLaFin(std::string_view octets);
    void AttendTout();
    template <typename Condition>
    void AttendJusqua(Condition condition);
    void VerifieSilence();
    [[nodiscard]] bool LitDisponible();
    [[nodiscard]] std::optional<Reponse> ExtraitReponse();

    Canal& canal_;
    const Capacites& capacites_;
    std::int32_t timeoutMs_;
    TraceSMTP* trace_;

    Phase phase_ = Phase::Libre;
    // The login still to write; once written, what answers its challenge
    // (334), and where that challenge stands.
    enum class Defi {
        Aucun,
        ARepondre,  // AUTH went alone: the engine answers
        Repondu,
        // The server took the command written after AUTH in its group as
        // the answer: that command's reply ends the login.
        ReponduParLeGroupe,
    };
    std::optional<Login> login_;
    std::string reponseAuDefi_;
    Defi defi_ = Defi::Aucun;
    std::deque<Attendue> attendues_;
    std::map<IdLot, Suivi> suivis_;
    IdLot courant_ = 0;  // the batch Envoie() was given
    // Verdicts read since the last point where the replies were known to
    // match the commands, and those handed out at the next call.
    std::vector<Verdict> lus_;
    std::vector<Verdict> surs_;
    // The end of a DATA message whose verdict is left owed, not yet written.
    std::string finDue_;
    IdLot lotFinDu_ = 0;

    // The one reply reader: bytes not yet read as lines, the reply begun.
    std::string recu_;
    std::size_t debut_ = 0;
    std::optional<Reponse> enCours_;
    std::size_t appliquees_ = 0;
};

}  // namespace corvelle::smtp
