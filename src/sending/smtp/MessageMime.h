#pragma once

// The message as GMime builds it: headers, body parts in the chosen charset,
// attachments read from disk only while the message is written.

#include <cstdint>
#include <string>
#include <vector>

#include "sending/smtp/RessourcesGMime.h"

namespace corvelle::smtp {

struct ContenuMessage {
    std::string expediteur;
    std::string reponse;  // empty: no Reply-To
    std::string destinataires;
    std::string copie;
    std::string copieCachee;  // envelope only
    std::string objet;
    std::string texte;  // UTF-8; empty: no text part
    std::string html;   // UTF-8; empty: no HTML part
    std::string encodage;
    std::string mailer;  // X-Mailer; empty: none
    std::int32_t importance = 0;
    std::int32_t sensibilite = 0;
    std::int32_t notification = 0;
    std::vector<std::string> piecesJointes;
};

struct MessagePret {
    ObjetG<GMimeMessage> message;
    std::string expediteur;                  // MAIL FROM
    std::vector<std::string> destinataires;  // RCPT TO: To, Cc and Bcc
};

// True when two contents make the same message but for its recipients and
// attachments: the batches of one dispatch.
[[nodiscard]] bool MemeMessageHorsDestinataires(const ContenuMessage& a, const ContenuMessage& b);

// Gives a message built before the recipients of `contenu` and a new
// Message-ID: the rest of a message without attachments is kept as built,
// which spares rebuilding it for every batch of a long dispatch.
void ChangeDestinataires(MessagePret& pret, const ContenuMessage& contenu);

// Builds the message. Attachments are opened here, so a missing one fails
// before any connection, but their bytes are read only when the message is
// written. Raises EchecEnvoi, with a text for the caller, on bad input.
[[nodiscard]] MessagePret ComposeMessage(const ContenuMessage& contenu);

}  // namespace corvelle::smtp
