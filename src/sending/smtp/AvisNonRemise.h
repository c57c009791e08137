#pragma once

// The failure notice a relayed message's sender gets when it cannot be
// delivered: a delivery status notification (RFC 3464) that a person can read
// and a program can parse.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace corvelle::smtp {

struct DestinataireNonRemis {
    std::string adresse;
    // The relay's reply ("550 5.1.1 <a@b>: ..."); empty when none came (no
    // connection, a login refused).
    std::string reponse;
};

struct AvisNonRemise {
    std::string auteur;        // From: "Name <MAILER-DAEMON@domain>"
    std::string destinataire;  // To: the failed message's envelope sender
    std::string objet;         // in the interface language
    std::string explication;   // the part for a person, UTF-8
    std::string mta;           // Reporting-MTA: this host's name
    std::int64_t arrivee = 0;  // Arrival-Date, seconds since the epoch
    std::string envid;         // Original-Envelope-Id, when the sender gave one
    bool expire = false;       // given up at the end of its lifetime, not refused
    std::vector<DestinataireNonRemis> destinataires;
    std::string_view original;  // the failed message: its headers are quoted
};

// The notice as it goes to the relay: CR LF line ends, 7-bit, to be sent with
// the null envelope sender so that it never bounces back.
[[nodiscard]] std::string RedigeAvisNonRemise(const AvisNonRemise& avis);

}  // namespace corvelle::smtp
