#pragma once

// The SMTP dialogue (and the POP3 login some servers want first) through
// libcurl: connection, encryption, authentication, envelope, DATA.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sending/smtp/FluxMessage.h"
#include "sending/smtp/RessourcesCurl.h"

namespace corvelle::smtp {

struct ReglagesServeur {
    std::string hote;
    std::int32_t port = 25;
    bool ssl = false;
    // 2 AUTH LOGIN, 3 AUTH PLAIN; any other value logs in to nothing here.
    std::int32_t authentification = 0;
    std::string utilisateur;
    std::string motDePasse;
    std::int32_t timeoutMs = 0;  // 0 or less: the default
};

struct Enveloppe {
    std::string expediteur;
    std::vector<std::string> destinataires;
};

struct Issue {
    bool accepte = false;
    std::string statut;
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

  private:
    void TermineLigne();

    std::string ligne_;
    std::string reponse_;
    std::string refus_;
    bool complete_ = true;
};

enum class ModeSession { Clair, StartTLS, TLSImplicite };

// One SMTP session, kept open between messages: libcurl leaves the connection
// in its handle's cache and takes it up again for the next message to the
// same server with the same settings.
class SessionSMTP {
  public:
    SessionSMTP();
    SessionSMTP(const SessionSMTP&) = delete;
    SessionSMTP& operator=(const SessionSMTP&) = delete;

    // Sends one message. With SSL, the first mode that the port suggests is
    // tried, then once the other when the server turns out to speak it; never
    // a session in clear text.
    [[nodiscard]] Issue Envoie(const ReglagesServeur& reglages, const Enveloppe& enveloppe,
                               SourceMessage message);

  private:
    struct Tentative {
        bool accepte = false;
        bool autreMode = false;  // the server may speak the other TLS mode
        std::string description;
    };

    [[nodiscard]] std::vector<ModeSession> ModesAEssayer(const ReglagesServeur& reglages) const;
    [[nodiscard]] Tentative Tente(ModeSession mode, const ReglagesServeur& reglages,
                                  const Enveloppe& enveloppe, SourceMessage message);

    // Declared before the handle, which reports to them until it is gone.
    JournalReponses journal_;
    char erreurs_[CURL_ERROR_SIZE] = {};
    PoigneeCurl curl_;
    std::optional<ModeSession> modeRetenu_;
    std::string serveurRetenu_;
};

// Logs in to a POP3 server (USER/PASS or better) and leaves, for servers that
// accept mail from recently logged-in users. The failure text, or nothing.
[[nodiscard]] std::optional<std::string> ConnexionPop3(const ReglagesServeur& reglages);

// "host", "host:port", "[v6]:port" or a bare IPv6 address; the port is
// `portParDefaut` when none is given. Raises EchecEnvoi for a bad port.
[[nodiscard]] std::pair<std::string, std::int32_t> HoteEtPort(std::string_view texte,
                                                              std::int32_t portParDefaut);

}  // namespace corvelle::smtp
