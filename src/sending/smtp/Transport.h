#pragma once

// The SMTP session (and the POP3 login some servers want first): libcurl
// connects and encrypts, and logs in with LOGIN; the other logins and the
// mail transactions are ours.

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "sending/smtp/Canal.h"
#include "sending/smtp/Capacites.h"
#include "sending/smtp/ConfianceTLS.h"
#include "sending/smtp/FluxMessage.h"
#include "sending/smtp/RessourcesCurl.h"
#include "sending/smtp/Trace.h"
#include "sending/smtp/Transaction.h"

namespace corvelle::smtp {

struct ReglagesServeur {
    std::string hote;
    std::int32_t port = 25;
    bool ssl = false;
    // 2 AUTH LOGIN, 3 AUTH PLAIN, 4 OAuth2 (OAUTHBEARER or XOAUTH2, with
    // `jeton`); any other value logs in to nothing here.
    std::int32_t authentification = 0;
    std::string utilisateur;
    std::string motDePasse;
    std::string jeton;           // OAuth2 bearer token
    std::int32_t timeoutMs = 0;  // each wait; 0 or less: the default
    ConfianceTLS confiance;

    // The same session: the token counts only when a session opens, so a
    // renewed one keeps the session already logged in.
    [[nodiscard]] bool MemeSession(const ReglagesServeur& autre) const;
};

// The server's replies as the session receives them, each with its lines
// joined by spaces.
class JournalReponses {
  public:
    void Vide();
    void Recoit(std::string_view octets);
    [[nodiscard]] const std::string& Derniere() const noexcept { return reponse_; }
    // The last reply that refused something (4xx, 5xx, -ERR); empty when none
    // did. Kept apart because libcurl, after a refusal, still says QUIT and
    // gets a friendly last word.
    [[nodiscard]] const std::string& DernierRefus() const noexcept { return refus_; }
    // The lines of the last 250 reply: after the opening, the last EHLO's.
    [[nodiscard]] const std::vector<std::string>& DernierAccord() const noexcept { return accord_; }

  private:
    void TermineLigne();

    std::string ligne_;
    std::string reponse_;
    std::string refus_;
    std::vector<std::string> lignes_;
    std::vector<std::string> accord_;
    bool complete_ = true;
};

// Why a session (SMTP or POP3) could not open: what libcurl met (a login or
// a certificate refused...), else the server's last refusal, else the network.
[[nodiscard]] GenreEchec GenreOuverture(CURLcode code, const JournalReponses& journal);

enum class ModeSession { Clair, StartTLS, TLSImplicite };

// One SMTP session, kept open between messages to the same server with the
// same settings; QUIT when it ends.
class SessionSMTP {
  public:
    // `trace`, when given, sees the whole dialogue; it must outlive the session.
    explicit SessionSMTP(TraceSMTP* trace = nullptr);
    ~SessionSMTP();
    SessionSMTP(const SessionSMTP&) = delete;
    SessionSMTP& operator=(const SessionSMTP&) = delete;

    // Sends one message. With SSL, the first mode that the port suggests is
    // tried, then once the other when the server turns out to speak it; never
    // a session in clear text. A message the server closed on before anyone
    // took it goes once more on a new connection. In a series, its verdict
    // may come with the next message's replies. The verdicts certain by
    // then, each with its batch's id.
    [[nodiscard]] std::vector<Verdict> Envoie(const ReglagesServeur& reglages, IdLot lot,
                                              const Enveloppe& enveloppe, SourceMessage message,
                                              Suite suite);
    // The verdicts still owed; with `quitte`, the session ends too.
    [[nodiscard]] std::vector<Verdict> Conclut(bool quitte);

  private:
    struct Connexion;
    struct Tentative {
        bool ouverte = false;
        bool autreMode = false;  // the server may speak the other TLS mode
        bool loginRefuse = false;
        bool ferme421 = false;  // the server said 421: it may take a new connection
        std::string description;
        GenreEchec genre = GenreEchec::Temporaire;
        std::string reponse;  // the server's refusal, if it refused
    };

    void Abandonne();
    [[nodiscard]] std::vector<Verdict> EnvoieUne(const ReglagesServeur& reglages, IdLot lot,
                                                 const Enveloppe& enveloppe, SourceMessage message,
                                                 Suite suite);
    void Rejoue(std::vector<Verdict>& verdicts, const ReglagesServeur& reglages, IdLot courant,
                Suite suite);

    [[nodiscard]] std::vector<ModeSession> ModesAEssayer(const ReglagesServeur& reglages) const;
    // The failure, when no mode opens.
    [[nodiscard]] std::optional<Issue> Ouvre(const ReglagesServeur& reglages);
    [[nodiscard]] Tentative Tente(ModeSession mode, const ReglagesServeur& reglages);

    TraceSMTP* trace_;
    std::unique_ptr<Connexion> connexion_;
    std::optional<ReglagesServeur> reglagesRetenus_;
    std::optional<ModeSession> modeRetenu_;
    // The server announced PIPELINING, then left a group unanswered.
    bool sansPipelining_ = false;
    // Batches already sent again once.
    std::set<IdLot> rejoues_;
};

// Logs in to a POP3 server (USER/PASS or better) and leaves, for servers that
// accept mail from recently logged-in users. The failure, or nothing.
[[nodiscard]] std::optional<Defaillance> ConnexionPop3(const ReglagesServeur& reglages);

// "host", "host:port", "[v6]:port" or a bare IPv6 address; the port is
// `portParDefaut` when none is given. Raises EchecEnvoi for a bad port.
[[nodiscard]] std::pair<std::string, std::int32_t> HoteEtPort(std::string_view texte,
                                                              std::int32_t portParDefaut);

}  // namespace corvelle::smtp
