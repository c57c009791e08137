#pragma once

// A complete message handed over by another program (on the system mailer's
// standard input), made ready to relay as it is: never rebuilt, only its line
// ends made CR LF and the headers a relay must see added.

#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvelle::smtp {

struct ReglesEntree {
    bool pointFinal = true;    // a line holding only "." ends the message
    bool lireEntetes = false;  // To, Cc and Bcc name recipients
    // For a From that is absent: the mailbox, and the display name to give it.
    std::string expediteur;
    std::string nomComplet;
    // Completes a bare user name ("root", as cron writes To) into an address.
    std::string suffixe;
};

struct MessageEntrant {
    // Ready for DATA or BDAT: CR LF line ends, not dot-stuffed.
    std::string octets;
    // The mailboxes of To, Cc and Bcc when ReglesEntree::lireEntetes.
    std::vector<std::string> destinataires;
    bool huitBits = false;  // a byte above 127: BODY=8BITMIME
};

// What makes a message unfit to relay, for the caller to name.
enum class DefautEntree { Vide, OctetNul, AdresseIllisible };

class EntreeRefusee : public std::exception {
  public:
    EntreeRefusee(DefautEntree defaut, std::string detail)
        : defaut_(defaut), detail_(std::move(detail)) {}
    [[nodiscard]] DefautEntree Defaut() const noexcept { return defaut_; }
    // For AdresseIllisible: the header and what could not be read.
    [[nodiscard]] const std::string& Detail() const noexcept { return detail_; }
    [[nodiscard]] const char* what() const noexcept override { return detail_.c_str(); }

  private:
    DefautEntree defaut_;
    std::string detail_;
};

// One mailbox ("Name <addr>"): its address and its display name, decoded;
// nothing when the text does not hold exactly one.
struct Boite {
    std::string adresse;
    std::string nom;
};
[[nodiscard]] std::optional<Boite> LitBoite(std::string_view texte);

// The mailboxes of a recipient list given on the command line, bare user
// names completed with `suffixe`. Raises EntreeRefusee (AdresseIllisible).
[[nodiscard]] std::vector<std::string> BoitesDeListe(std::string_view liste,
                                                     std::string_view suffixe);

// The list with each bare user name ("root") completed as "root@suffixe";
// the list as it is when it does not read or there is no suffix.
[[nodiscard]] std::string CompleteNomsSeuls(std::string_view liste, std::string_view suffixe);

// Reads the whole message from `entree`. Date, Message-ID and From are added
// when the message has none; a Bcc header is removed, since every recipient
// would read it. Raises EntreeRefusee.
[[nodiscard]] MessageEntrant LitMessageEntrant(std::istream& entree, const ReglesEntree& regles);

}  // namespace corvelle::smtp
