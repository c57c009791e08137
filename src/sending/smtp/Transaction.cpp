#include "sending/smtp/Transaction.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <optional>

namespace corvelle::smtp {

namespace {

constexpr std::size_t kMorceau = 64 * 1024;

bool NonAscii(const std::string& adresse) {
    return std::any_of(adresse.begin(), adresse.end(),
                       [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// An address goes into a command line: a control character or an angle
// bracket would end it, or start another command.
void VerifieAdresse(const std::string& adresse) {
    const bool mauvaise = std::any_of(adresse.begin(), adresse.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 0x20 || u == 0x7F || c == '<' || c == '>';
    });
    if (mauvaise) {
        throw EchecEnvoi("Invalid address for the envelope: \"" + adresse + "\"");
    }
}

// The envelope's own identifier (xtext, RFC 3461), unique enough per run.
std::string IdentifiantEnveloppe() {
    static std::atomic<unsigned> compteur{0};
    const auto instant = std::chrono::system_clock::now().time_since_epoch().count();
    return "corvelle." + std::to_string(instant) + "." + std::to_string(++compteur);
}

struct Options {
    bool utf8 = false;
    bool dsn = false;
    std::optional<std::size_t> taille;
};

std::string CommandeMail(const Enveloppe& enveloppe, const Options& options,
                         const Capacites& capacites) {
    std::string commande = "MAIL FROM:<" + enveloppe.expediteur + ">";
    if (options.taille && capacites.tailleMax) {
        commande += " SIZE=" + std::to_string(*options.taille);
    }
    if (options.utf8) {
        commande += " SMTPUTF8";
    }
    if (options.dsn) {
        commande += " RET=HDRS ENVID=" + IdentifiantEnveloppe();
    }
    return commande + "\r\n";
}

std::string CommandesRcpt(const Enveloppe& enveloppe, const Options& options) {
    std::string commandes;
    for (const std::string& destinataire : enveloppe.destinataires) {
        commandes += "RCPT TO:<" + destinataire + ">";
        if (options.dsn) {
            commandes += " NOTIFY=SUCCESS,FAILURE";
        }
        commandes += "\r\n";
    }
    return commandes;
}

// Writes the content for DATA: a dot that starts a line is doubled, the end
// is a line with a dot alone.
class ContenuData {
  public:
    explicit ContenuData(Canal& canal) : canal_(canal) {}

    void Envoie(FluxMessage& flux) {
        std::array<char, kMorceau> tampon{};
        for (;;) {
            const std::optional<std::size_t> lus = flux.Lit(tampon.data(), tampon.size());
            if (!lus) {
                throw CanalRompu(flux.Erreur());
            }
            if (*lus == 0) {
                break;
            }
            Ajoute(std::string_view(tampon.data(), *lus));
            canal_.Ecrit(sortie_);
            sortie_.clear();
        }
        sortie_ = debutLigne_ ? ".\r\n" : "\r\n.\r\n";
        canal_.Ecrit(sortie_);
    }

  private:
    void Ajoute(std::string_view octets) {
        for (std::size_t fin; !octets.empty(); octets.remove_prefix(fin)) {
            if (debutLigne_ && octets.front() == '.') {
                sortie_ += '.';
            }
            const std::size_t saut = octets.find('\n');
            fin = saut == std::string_view::npos ? octets.size() : saut + 1;
            sortie_.append(octets.substr(0, fin));
            debutLigne_ = saut != std::string_view::npos;
        }
    }

    Canal& canal_;
    std::string sortie_;
    bool debutLigne_ = true;
};

class Transaction {
  public:
    Transaction(Canal& canal, const Capacites& capacites, const Enveloppe& enveloppe)
        : canal_(canal), capacites_(capacites), enveloppe_(enveloppe) {}

    Issue Envoie(SourceMessage message);

  private:
    [[nodiscard]] std::optional<Issue> Verifie(const Options& options) const;
    [[nodiscard]] std::optional<Issue> LitEnveloppe(bool enGroupe);
    [[nodiscard]] Issue Conclut(const Reponse& finale);
    [[nodiscard]] Issue Echec(const std::string& texte, const Reponse& reponse);
    [[nodiscard]] std::string Refus() const;

    Canal& canal_;
    const Capacites& capacites_;
    const Enveloppe& enveloppe_;
    Options options_;
    std::size_t acceptes_ = 0;
    std::vector<std::string> refus_;  // "address: reply"
};

std::optional<Issue> Transaction::Verifie(const Options& options) const {
    if (options.utf8 && !capacites_.smtputf8) {
        return Issue{false,
                     "The server does not take addresses written with non-ASCII characters "
                     "(no SMTPUTF8); message not sent",
                     false};
    }
    if (options.taille && capacites_.tailleMax && *options.taille > *capacites_.tailleMax) {
        return Issue{false,
                     "The message (" + std::to_string(*options.taille) +
                         " bytes) is larger than the server takes (SIZE " +
                         std::to_string(*capacites_.tailleMax) + " bytes); message not sent",
                     false};
    }
    return std::nullopt;
}

// The replies to MAIL and to each RCPT. A failure of the whole transaction,
// or nothing when it goes on. In a group, every reply is read even after a
// refusal, since the server answers each command it was sent.
std::optional<Issue> Transaction::LitEnveloppe(bool enGroupe) {
    const Reponse mail = canal_.LitReponse();
    if (!mail.Positive() && (!enGroupe || mail.code == 421)) {
        return Echec("Sender refused: ", mail);
    }
    for (const std::string& destinataire : enveloppe_.destinataires) {
        if (!enGroupe) {
            canal_.Ecrit(CommandesRcpt({{}, {destinataire}, false}, options_));
        }
        const Reponse rcpt = canal_.LitReponse();
        if (rcpt.code == 421) {
            return Echec("Connection closed by the server: ", rcpt);
        }
        if (rcpt.Positive()) {
            ++acceptes_;
        } else {
            refus_.push_back(destinataire + ": " + rcpt.texte);
        }
    }
    if (!mail.Positive()) {
        return Echec("Sender refused: ", mail);
    }
    return std::nullopt;
}

Issue Transaction::Echec(const std::string& texte, const Reponse& reponse) {
    Issue issue{false, texte + reponse.texte, reponse.code == 421};
    return issue;
}

std::string Transaction::Refus() const {
    std::string texte;
    for (const std::string& refus : refus_) {
        texte += (texte.empty() ? "" : "; ") + refus;
    }
    return texte;
}

Issue Transaction::Conclut(const Reponse& finale) {
    if (!finale.Positive()) {
        Issue issue = Echec("Message refused: ", finale);
        if (!refus_.empty()) {
            issue.statut += "; refused recipients: " + Refus();
        }
        return issue;
    }
    if (refus_.empty()) {
        return {true, finale.texte + " - session closed", false};
    }
    return {false,
            "Sent to " + std::to_string(acceptes_) + " of " +
                std::to_string(enveloppe_.destinataires.size()) +
                " recipients; refused: " + Refus(),
            false};
}

Issue Transaction::Envoie(SourceMessage message) {
    Options& options = options_;
    options.utf8 =
        NonAscii(enveloppe_.expediteur) ||
        std::any_of(enveloppe_.destinataires.begin(), enveloppe_.destinataires.end(), NonAscii);
    options.dsn = enveloppe_.accuses && capacites_.dsn;
    if (const std::string_view* octets = std::get_if<std::string_view>(&message)) {
        options.taille = octets->size();
    }
    VerifieAdresse(enveloppe_.expediteur);
    std::for_each(enveloppe_.destinataires.begin(), enveloppe_.destinataires.end(), VerifieAdresse);
    if (std::optional<Issue> refus = Verifie(options)) {
        return *refus;
    }
    // BDAT needs the size first: only for a message already written.
    const bool bdat = capacites_.chunking && options.taille;
    const std::string finEnveloppe =
        bdat ? "BDAT " + std::to_string(*options.taille) + " LAST\r\n" : "DATA\r\n";
    const bool enGroupe = capacites_.pipelining;
    std::string envoi = CommandeMail(enveloppe_, options, capacites_);
    if (enGroupe) {
        envoi += CommandesRcpt(enveloppe_, options) + finEnveloppe;
        if (bdat) {
            envoi += std::get<std::string_view>(message);
        }
    }
    canal_.Ecrit(envoi);
    if (std::optional<Issue> echec = LitEnveloppe(enGroupe)) {
        if (enGroupe && !echec->fermee) {
            (void)canal_.LitReponse();  // the DATA or BDAT that followed
        }
        return *echec;
    }
    if (acceptes_ == 0 && !enGroupe) {
        return {false, "No recipient accepted the message: " + Refus(), false};
    }
    if (!enGroupe) {
        canal_.Ecrit(finEnveloppe);
        if (bdat) {
            canal_.Ecrit(std::get<std::string_view>(message));
        }
    }
    Reponse reponse = canal_.LitReponse();
    if (!bdat && reponse.code == 354) {
        FluxMessage flux(message);
        ContenuData(canal_).Envoie(flux);
        reponse = canal_.LitReponse();
    }
    if (acceptes_ == 0) {
        return {false, "No recipient accepted the message: " + Refus(), reponse.code == 421};
    }
    return Conclut(reponse);
}

}  // namespace

Issue EnvoieTransaction(Canal& canal, const Capacites& capacites, const Enveloppe& enveloppe,
                        SourceMessage message) {
    Issue issue = Transaction(canal, capacites, enveloppe).Envoie(message);
    // A refused transaction leaves the server mid-way: reset it for the next.
    if (!issue.accepte && !issue.fermee) {
        canal.Ecrit("RSET\r\n");
        issue.fermee = !canal.LitReponse().Positive();
    }
    return issue;
}

}  // namespace corvelle::smtp
