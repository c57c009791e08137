#pragma once

// The message as GMime builds it: headers, body parts in the chosen charset,
// attachments read from disk only while the message is written.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Adresse.h"
#include "sending/smtp/EntetesLibres.h"
#include "sending/smtp/FluxFichier.h"
#include "sending/smtp/JeuCaracteres.h"
#include "sending/smtp/RessourcesGMime.h"

namespace corvelle::smtp {

struct ContenuMessage {
    std::string expediteur;
    std::string reponse;  // empty: no Reply-To
    std::string destinataires;
    std::string copie;
    std::string copieCachee;  // envelope only
    // A dispatch's batch, in place of the three lists above when set.
    std::optional<AdressesLot> lot;
    std::string objet;
    std::string texte;  // UTF-8; empty: no text part
    std::string html;   // UTF-8; empty: no HTML part
    std::string encodage;
    std::string mailer;  // X-Mailer; empty: none
    std::int32_t importance = 0;
    std::int32_t sensibilite = 0;
    std::int32_t notification = 0;
    // Checked already (LitEnteteLibre); one of the optional headers the
    // program writes (X-Mailer, Importance, X-Priority, Sensitivity) given
    // here replaces the program's.
    EntetesLibres entetes;
    std::vector<FichierJoint> piecesJointes;
};

struct MessagePret {
    ObjetG<GMimeMessage> message;
    std::string expediteur;                  // MAIL FROM
    std::vector<std::string> destinataires;  // RCPT TO: To, Cc and Bcc
};

// Builds the message. Attachments are opened and read only when the message
// is written, and the bodies read in place from `contenu`, which must outlive
// the message. Raises EchecEnvoi, with a text for the caller, on bad input.
[[nodiscard]] MessagePret ComposeMessage(const ContenuMessage& contenu);

// A message without attachments, built and written once for all the batches
// of a dispatch: a batch only writes its own To, Cc and Message-Id between
// the bytes kept, which are exactly those GMime writes around them.
class GabaritMessage {
  public:
    // Raises EchecEnvoi, as ComposeMessage does, on bad input other than the
    // recipients, which each batch brings.
    explicit GabaritMessage(const ContenuMessage& contenu);

    // True when `contenu` makes the same message but for its recipients.
    [[nodiscard]] bool Convient(const ContenuMessage& contenu) const;

    [[nodiscard]] const std::string& Expediteur() const noexcept { return expediteur_; }

    // The whole message for the recipients of `contenu`, with a Message-Id of
    // its own, replaces what `octets` held (its memory is kept for the next
    // batch); the envelope's recipients replace those of `enveloppe`. Raises
    // EchecEnvoi for a bad list or no recipient at all.
    void Redige(const ContenuMessage& contenu, std::string& octets,
                std::vector<std::string>& enveloppe) const;

  private:
    ContenuMessage contenu_;  // what it was built from, recipients aside
    JeuCaracteres jeu_;
    std::string expediteur_;
    std::string domaine_;  // for the Message-Id
    std::string avant_;    // the headers before the recipients
    std::string apres_;    // the headers after the Message-Id, and the body
};

// A new Message-Id (without its angle brackets) in `domaine`.
[[nodiscard]] std::string NouvelIdentifiant(std::string_view domaine);

}  // namespace corvelle::smtp
