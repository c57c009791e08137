#include "sending/smtp/Transaction.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <optional>
#include <utility>

#include "core/Texte.h"

namespace corvelle::smtp {

namespace {

constexpr std::size_t kMorceau = 64 * 1024;

bool NonAscii(const std::string& adresse) {
    return std::any_of(adresse.begin(), adresse.end(),
                       [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// An address goes into a command line: a control character or an angle
// bracket would end it, or start another command.
std::optional<std::string> AdresseInvalide(const std::string& adresse) {
    const bool mauvaise = std::any_of(adresse.begin(), adresse.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 0x20 || u == 0x7F || c == '<' || c == '>';
    });
    if (mauvaise) {
        return "Invalid address for the envelope: \"" + adresse + "\"";
    }
    return std::nullopt;
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

    // The message's size. Its last piece and final dot are written, or,
    // with `retenue`, left there to go in the same write as what follows.
    std::size_t Envoie(FluxMessage& flux, std::string* retenue) {
        std::array<char, kMorceau> tampon;
        std::size_t taille = 0;
        for (;;) {
            const std::optional<std::size_t> lus = flux.Lit(tampon.data(), tampon.size());
            if (!lus) {
                throw CanalRompu(flux.Erreur());
            }
            if (*lus == 0) {
                break;
            }
            // The piece before goes now: the one read may be the last.
            canal_.Ecrit(sortie_, false);
            sortie_.clear();
            taille += *lus;
            Ajoute(std::string_view(tampon.data(), *lus));
        }
        sortie_ += debutLigne_ ? ".\r\n" : "\r\n.\r\n";
        if (retenue) {
            *retenue = std::move(sortie_);
        } else {
            canal_.Ecrit(sortie_, false);
        }
        return taille;
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

// QUIT ends a write: the session's last command.
void AjouteQuit(std::string& ecrit, TraceSMTP* trace) {
    ecrit += "QUIT\r\n";
    if (trace) {
        trace->Envoye("QUIT\r\n");
    }
}

Issue Echec(const std::string& texte, const Reponse& reponse) {
    Issue issue;
    issue.statut = texte + reponse.texte;
    issue.fermee = reponse.code == 421;
    return issue;
}

// The outcome of a message whose content went, from the reply to its end.
Issue Verdict(const VerdictDu& du, const Reponse& finale) {
    if (!finale.Positive()) {
        Issue issue = Echec("Message refused: ", finale);
        if (!du.refus.empty()) {
            issue.statut += "; refused recipients: " + Joint(du.refus, "; ");
        }
        return issue;
    }
    if (du.refus.empty()) {
        return {true, finale.texte + " - session closed"};
    }
    Issue issue{false, "Sent to " + std::to_string(du.acceptes) + " of " +
                           std::to_string(du.total) +
                           " recipients; refused: " + Joint(du.refus, "; ")};
    issue.partiel = true;
    return issue;
}

// A message whose content went but whose verdict never came: it may have been
// delivered, so it is not sent again; the report names its recipients.
Issue VerdictPerdu(const CanalRompu& rupture) {
    Issue issue;
    issue.statut = std::string(rupture.what()) +
                   " (the message was sent whole; the server did not confirm it)";
    issue.fermee = true;
    return issue;
}

// What is wrong with an envelope before anything is written.
std::optional<std::string> Refus(const Enveloppe& enveloppe, const Options& options,
                                 const Capacites& capacites) {
    if (std::optional<std::string> mauvaise = AdresseInvalide(enveloppe.expediteur)) {
        return mauvaise;
    }
    for (const std::string& destinataire : enveloppe.destinataires) {
        if (std::optional<std::string> mauvaise = AdresseInvalide(destinataire)) {
            return mauvaise;
        }
    }
    if (options.utf8 && !capacites.smtputf8) {
        return "The server does not take addresses written with non-ASCII characters "
               "(no SMTPUTF8); message not sent";
    }
    if (options.taille && capacites.tailleMax && *options.taille > *capacites.tailleMax) {
        return "The message (" + std::to_string(*options.taille) +
               " bytes) is larger than the server takes (SIZE " +
               std::to_string(*capacites.tailleMax) + " bytes); message not sent";
    }
    return std::nullopt;
}

Options OptionsDe(const Enveloppe& enveloppe, const Capacites& capacites,
                  const SourceMessage& message) {
    Options options;
    options.utf8 =
        NonAscii(enveloppe.expediteur) ||
        std::any_of(enveloppe.destinataires.begin(), enveloppe.destinataires.end(), NonAscii);
    options.dsn = enveloppe.accuses && capacites.dsn;
    if (const std::string_view* octets = std::get_if<std::string_view>(&message)) {
        options.taille = octets->size();
    }
    return options;
}

// One message's transaction. `apresEcriture` runs once its first commands are
// written: the moment to read what an earlier message is still owed.
class Transaction {
  public:
    Transaction(Canal& canal, const Capacites& capacites, const Enveloppe& enveloppe,
                Options options)
        : canal_(canal), capacites_(capacites), enveloppe_(enveloppe), options_(options) {}

    // `finDue` is the previous message's end, written at the head of this
    // message's group; a message whose verdict is left owed leaves its own end
    // there, with the verdict in `laisse`.
    template <typename ApresEcriture>
    std::optional<Issue> Envoie(SourceMessage message, Suite suite, ApresEcriture&& apresEcriture,
                                std::string& finDue, std::optional<VerdictDu>& laisse);

    // Failing now, nothing of the message can have reached anyone.
    [[nodiscard]] bool Rejouable() const noexcept { return acceptes_ == 0 && !contenuParti_; }
    // The transaction reached its end: no RSET needed.
    [[nodiscard]] bool Terminee() const noexcept { return terminee_; }
    // QUIT went with the message: the session is over.
    [[nodiscard]] bool Quittee() const noexcept { return quittee_; }

  private:
    [[nodiscard]] std::optional<Issue> LitEnveloppe(bool enGroupe);
    [[nodiscard]] VerdictDu Du() const {
        return {acceptes_, enveloppe_.destinataires.size(), refus_};
    }

    Canal& canal_;
    const Capacites& capacites_;
    const Enveloppe& enveloppe_;
    Options options_;
    std::size_t acceptes_ = 0;
    std::vector<std::string> refus_;  // "address: reply"
    bool contenuParti_ = false;
    bool terminee_ = false;
    bool quittee_ = false;
};

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

template <typename ApresEcriture>
std::optional<Issue> Transaction::Envoie(SourceMessage message, Suite suite,
                                         ApresEcriture&& apresEcriture, std::string& finDue,
                                         std::optional<VerdictDu>& laisse) {
    // BDAT needs the size first: only for a message already written.
    const bool bdat = capacites_.chunking && options_.taille;
    const std::string finEnveloppe =
        bdat ? "BDAT " + std::to_string(*options_.taille) + " LAST\r\n" : "DATA\r\n";
    const bool enGroupe = capacites_.pipelining;
    std::string envoi = CommandeMail(enveloppe_, options_, capacites_);
    if (enGroupe) {
        envoi += CommandesRcpt(enveloppe_, options_) + finEnveloppe;
    }
    TraceSMTP* trace = canal_.Trace();
    if (trace) {
        trace->Envoye(envoi);
    }
    // The whole session's end in one write: the replies to the envelope, the
    // content and QUIT come back together.
    quittee_ = enGroupe && bdat && suite == Suite::FinDeSerie;
    // The previous message's end opens this group: the server reads both at
    // once and answers them in one write (a reply split in two would wait
    // for an acknowledgement, 40 ms on many systems).
    std::string ecrit = std::exchange(finDue, {}) + envoi;
    if (enGroupe && bdat) {
        if (trace) {
            trace->Contenu(options_.taille.value_or(0));
        }
        contenuParti_ = true;
        ecrit += std::get<std::string_view>(message);
        if (quittee_) {
            AjouteQuit(ecrit, trace);
        }
    }
    canal_.Ecrit(ecrit, false);
    apresEcriture();
    if (std::optional<Issue> echec = LitEnveloppe(enGroupe)) {
        if (enGroupe && !echec->fermee) {
            (void)canal_.LitReponse();  // the DATA or BDAT that followed
        }
        // The server closing at the envelope never takes what followed it.
        echec->rejouable = echec->fermee && acceptes_ == 0;
        return echec;
    }
    if (acceptes_ == 0 && !enGroupe) {
        return Issue{false, "No recipient accepted the message: " + Joint(refus_, "; ")};
    }
    if (!enGroupe) {
        canal_.Ecrit(finEnveloppe);
        if (bdat) {
            contenuParti_ = true;
            canal_.Ecrit(std::get<std::string_view>(message), false);
        }
    }
    Reponse reponse = canal_.LitReponse();
    if (!bdat && reponse.code == 354) {
        contenuParti_ = true;
        FluxMessage flux(message);
        const bool retenir = suite != Suite::Seul && enGroupe && acceptes_ > 0;
        const std::size_t taille = ContenuData(canal_).Envoie(flux, retenir ? &finDue : nullptr);
        if (trace) {
            trace->Contenu(taille);
        }
        if (retenir) {
            terminee_ = true;
            laisse = Du();
            return std::nullopt;
        }
        reponse = canal_.LitReponse();
    }
    if (acceptes_ == 0) {
        Issue issue{false, "No recipient accepted the message: " + Joint(refus_, "; ")};
        issue.fermee = reponse.code == 421;
        return issue;
    }
    terminee_ = true;
    return Verdict(Du(), reponse);
}

}  // namespace

// A failed read leaves the verdict owed: the caller tells it lost.
void Transactions::LitDu(std::vector<Issue>& verdicts) {
    if (!du_) {
        return;
    }
    const Reponse reponse = canal_.LitReponse();
    verdicts.push_back(Verdict(*du_, reponse));
    du_.reset();
    if (verdicts.back().fermee) {
        fermee_ = true;
    }
}

void Transactions::Rompt(std::vector<Issue>& verdicts, const CanalRompu& rupture) {
    fermee_ = true;
    finDue_.clear();
    if (du_) {
        verdicts.push_back(VerdictPerdu(rupture));
        du_.reset();
    }
}

std::optional<Issue> Transactions::Envoie(const Enveloppe& enveloppe, SourceMessage message,
                                          Suite suite, std::vector<Issue>& verdicts) {
    const Options options = OptionsDe(enveloppe, capacites_, message);
    if (std::optional<std::string> refus = Refus(enveloppe, options, capacites_)) {
        Conclut(verdicts, false);
        return Issue{false, *refus};
    }
    Transaction transaction(canal_, capacites_, enveloppe, options);
    std::optional<Issue> issue;
    try {
        issue = transaction.Envoie(
            message, suite, [&] { LitDu(verdicts); }, finDue_, du_);
    } catch (const CanalRompu& rupture) {
        Rompt(verdicts, rupture);
        Issue echec{false, rupture.what(), true};
        echec.rejouable = transaction.Rejouable();
        echec.muet = dynamic_cast<const CanalMuet*>(&rupture) != nullptr;
        return echec;
    }
    if (issue && issue->fermee) {
        fermee_ = true;
    } else if (transaction.Quittee()) {
        // QUIT's reply ends the session; a server may close without it.
        fermee_ = true;
        try {
            (void)canal_.LitReponse();
        } catch (const CanalRompu&) {
            // The message's verdict is in hand; the server only went first.
        }
    }
    // A transaction stopped mid-way leaves the server in it: reset it for
    // the next.
    if (issue && !issue->accepte && !fermee_ && !transaction.Terminee()) {
        try {
            canal_.Ecrit("RSET\r\n");
            fermee_ = !canal_.LitReponse().Positive();
        } catch (const CanalRompu&) {
            fermee_ = true;
        }
    }
    return issue;
}

void Transactions::Conclut(std::vector<Issue>& verdicts, bool quitte) {
    if (fermee_) {
        return;
    }
    try {
        std::string ecrit = std::exchange(finDue_, {});
        if (quitte) {
            AjouteQuit(ecrit, canal_.Trace());
        }
        if (!ecrit.empty()) {
            canal_.Ecrit(ecrit, false);
        }
        LitDu(verdicts);
        if (quitte) {
            fermee_ = true;
            (void)canal_.LitReponse();
        }
    } catch (const CanalRompu& rupture) {
        // After QUIT, the server went first; before, a verdict owed is lost.
        Rompt(verdicts, rupture);
    }
}

}  // namespace corvelle::smtp
