#pragma once

// The SMTP client every message goes through: the caller sets values, calls
// Envoie(), then reads Statut(). One object keeps its connection open between
// sends, so the batches of one dispatch share one session.

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Adresse.h"
#include "sending/oauth/SourceJetons.h"
#include "sending/smtp/AvisNonRemise.h"
#include "sending/smtp/ConfianceTLS.h"
#include "sending/smtp/EchecEnvoi.h"
#include "sending/smtp/EntetesLibres.h"
#include "sending/smtp/MessageEntrant.h"

namespace corvelle {

class ComposantSMTP {
  public:
    ComposantSMTP();
    ~ComposantSMTP();
    ComposantSMTP(const ComposantSMTP&) = delete;
    ComposantSMTP& operator=(const ComposantSMTP&) = delete;

    // Full file names, each attached once to the next message; emptied by
    // every send, so the caller adds them again for the next one.
    std::vector<std::string>& PiecesJointes();
    // Extra texts; the first names the sending program (X-Mailer).
    std::vector<std::string>& Extras();

    // 0 none, 1 POP3 login before SMTP, 2 AUTH LOGIN, 3 AUTH PLAIN, 4 OAuth2
    // (the token from SetOAuth).
    void SetAuthentification(std::int32_t mode);
    [[nodiscard]] std::int32_t Authentification() const;

    // Address lists joined with ", "; display names and quotes allowed.
    // Setting one puts the three lists back in place of a batch (SetLot).
    void SetDestinataires(std::string liste);
    void SetCopie(std::string liste);
    void SetCopieCachee(std::string liste);  // envelope only, never a header
    // A dispatch's batch, its addresses read already: they reach the headers
    // and the envelope as they are. In place of the three lists until one is
    // set again.
    void SetLot(AdressesLot lot);

    void SetEncodage(std::string charset);            // "Iso-8859-1", "UTF-8"...
    void SetImportance(std::int32_t importance);      // 0 normal, 1 low, 2 high
    void SetNotification(std::int32_t notification);  // 0 none, 1 delivery, 2 read, 3 both
    void SetSensibilite(
        std::int32_t sensibilite);  // 0 normal, 1 personal, 2 private, 3 confidential

    void SetExpediteur(std::string expediteur);
    // MAIL FROM, where bounces go; empty: the sender's address. One mailbox,
    // read as the sender is.
    void SetExpediteurEnveloppe(std::string adresse);
    // Added to every message, checked already (LitEnteteLibre).
    void SetEntetes(smtp::EntetesLibres entetes);
    void SetReponse(std::string reponse);  // Reply-To, when not empty
    void SetObjet(std::string objet);
    void SetCorpsTexte(std::string texte);  // empty: no text part
    void SetCorpsHTML(std::string html);    // empty: no HTML part

    void SetUtilisateur(std::string utilisateur);
    void SetMotDePasse(std::string motDePasse);  // clear text
    void SetServeurPop(std::string serveur);
    // Where the OAuth2 token comes from; the user name is the mailbox.
    void SetOAuth(oauth::ReglagesOAuth reglages);
    void SetServeur(std::string serveur);
    void SetPort(std::int32_t port);
    void SetSSL(bool ssl);
    // The authorities, pinned certificate and client certificate of this
    // server; the POP3 login before SMTP takes all but the pin.
    void SetConfianceTLS(smtp::ConfianceTLS confiance);
    // The name said in EHLO; empty: the host's fully qualified name when it
    // has one, else libcurl's own.
    void SetNomEhlo(std::string nom);
    // Milliseconds without progress (and to connect) before giving up; never a
    // cap on the whole transfer.
    void SetTimeout(std::int32_t millisecondes);
    // Receives the SMTP dialogue line by line, secrets masked; set before the
    // first send.
    void SetTrace(std::function<void(std::string_view)> sortie);

    // Synchronous: returns when the exchange is over. The outcome is in
    // Statut(); nothing is thrown for a refused or failed send.
    void Envoie();

    // After an accepted message, a text ending with "session closed"; after a
    // failure, what failed with the server's reply when there is one.
    [[nodiscard]] std::string Statut() const;

    // The same outcome for our own callers, who need not read the text.
    struct Issue {
        bool accepte = false;
        std::string statut;
        bool partiel = false;   // refused for some recipients, named in the status
        std::uint64_t lot = 0;  // the batch it concludes (EnvoieEnSerie)
        // Not accepted (by all): whether it may go later, and the server's
        // reply that decided it, if any.
        GenreEchec genre = GenreEchec::Temporaire;
        std::string reponse{};
        // Those the server refused one by one, when it did.
        std::vector<DestinataireRefuse> refuses{};
    };
    [[nodiscard]] const Issue& Resultat() const;

    // For a dispatch's batches, one after another, each with its own id: the
    // server's verdict on a message may come with the next one's replies, one
    // round trip a message. Each call gives the verdicts certain by then, each
    // naming its batch; Termine() gives the rest and ends the session. The
    // last one (`dernier`) may end the session in its own write.
    [[nodiscard]] std::vector<Issue> EnvoieEnSerie(std::uint64_t lot, bool dernier);
    // Every verdict still owed, the session kept open for the next batch:
    // in a window, a verdict is certain only once every reply has come.
    [[nodiscard]] std::vector<Issue> Attend();
    [[nodiscard]] std::vector<Issue> Termine();

    // The envelope of the last message built: MAIL FROM, then each RCPT TO
    // (blind copies included), and whether it asks the servers for delivery
    // notices (DSN).
    struct Enveloppe {
        std::string expediteur;
        std::vector<std::string> destinataires;
        bool accuses = false;
    };

    // A preview instead of a send while set: Envoie() builds the message
    // exactly as it would go, writes its bytes to `sortie` and contacts no
    // server; Resultat() says whether it could be built. Null sends again.
    // `avant` is told the envelope before the first byte goes, for a file
    // that holds it ahead of the message.
    void SetApercu(std::ostream* sortie, std::function<void(const Enveloppe&)> avant = {});
    // A message handed over whole, relayed as it is instead of one built from
    // the values above: its bytes (CR LF line ends, not dot-stuffed; they must
    // outlive the sends) and its envelope. Nothing: built messages again.
    struct Relais {
        std::string_view octets;
        std::string expediteur;  // MAIL FROM; empty: the null sender
        std::vector<std::string> destinataires;
        bool huitBits = false;  // BODY=8BITMIME
        // DSN as its sender asked: NOTIFY ("NEVER" or some of SUCCESS,
        // FAILURE, DELAY), RET ("HDRS", "FULL") and ENVID; empty: not asked.
        std::string notify;
        std::string ret;
        std::string envid;
    };
    void SetRelais(std::optional<Relais> relais);

    [[nodiscard]] Enveloppe EnveloppeConstruite() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};

}  // namespace corvelle
