#include "sending/smtp/Transaction.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <iterator>
#include <utility>

#include "core/Texte.h"

namespace corvelle::smtp {

namespace {

constexpr std::size_t kMorceau = 64 * 1024;
// RFC 5321 §4.5.3.1.5 allows 512 octets a reply line; some servers write
// longer ones. Anything far beyond, or an endless reply, is no SMTP and must
// not grow memory.
constexpr std::size_t kLigneMax = 2048;
constexpr std::size_t kReponseMax = 64 * 1024;

using Horloge = std::chrono::steady_clock;

// Recipients every server takes in one message.
constexpr std::size_t kDestinatairesSurs = 100;

// BDAT transactions in flight before a verdict is read (RFC 3030 allows any
// number; 8 covers a 40 ms link at the rate a server takes them), and the
// largest message copied to be sent again from such a window.
constexpr std::size_t kFenetre = 8;
constexpr std::size_t kFenetreOctets = std::size_t{1} << 20;

// The server said 421 and closed: it took nothing of what came after.
class FermeeParServeur : public CanalRompu {
  public:
    using CanalRompu::CanalRompu;
};

// The server refused the login: no batch may go on that session.
class LoginRefuse : public CanalRompu {
  public:
    using CanalRompu::CanalRompu;
};

// What AUTH, RSET and QUIT belong to: no batch.
constexpr IdLot kAucunLot = ~IdLot{0};

std::string TexteAttente(std::int32_t ms) {
    return "No answer from the server within " + std::to_string(ms) + " ms (time-out)";
}

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

// ENVID as xtext (RFC 3461): "+" and "=" are written in hex.
std::string XText(std::string_view texte) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string code;
    for (const char c : texte) {
        if (c == '+' || c == '=') {
            code += '+';
            code += kHex[static_cast<unsigned char>(c) >> 4];
            code += kHex[static_cast<unsigned char>(c) & 0xF];
        } else {
            code += c;
        }
    }
    return code;
}

bool DemandeDsn(const Enveloppe& enveloppe) {
    return enveloppe.accuses || !enveloppe.notify.empty() || !enveloppe.ret.empty() ||
           !enveloppe.envid.empty();
}

std::string CommandeMail(const Enveloppe& enveloppe, bool utf8, bool dsn,
                         std::optional<std::size_t> taille) {
    std::string commande = "MAIL FROM:<" + enveloppe.expediteur + ">";
    if (taille) {
        commande += " SIZE=" + std::to_string(*taille);
    }
    if (enveloppe.huitBits) {
        commande += " BODY=8BITMIME";
    }
    if (utf8) {
        commande += " SMTPUTF8";
    }
    if (dsn) {
        if (enveloppe.accuses || !enveloppe.ret.empty()) {
            commande += " RET=" + (enveloppe.ret.empty() ? std::string("HDRS") : enveloppe.ret);
        }
        commande +=
            " ENVID=" + (enveloppe.envid.empty() ? IdentifiantEnveloppe() : XText(enveloppe.envid));
    }
    return commande + "\r\n";
}

std::string CommandeRcpt(const std::string& destinataire, const Enveloppe& enveloppe, bool dsn) {
    std::string commande = "RCPT TO:<" + destinataire + ">";
    if (dsn && (enveloppe.accuses || !enveloppe.notify.empty())) {
        commande += " NOTIFY=" +
                    (enveloppe.notify.empty() ? std::string("SUCCESS,FAILURE") : enveloppe.notify);
    }
    return commande + "\r\n";
}

// Writes the content for DATA: a dot that starts a line is doubled, the end
// is a line with a dot alone.
template <typename Ecriture>
class ContenuData {
  public:
    explicit ContenuData(Ecriture ecrit) : ecrit_(std::move(ecrit)) {}

    // The message's size. All but its last piece and final dot are written;
    // those are left in `fin`.
    std::size_t Envoie(FluxMessage& flux, std::string& fin) {
        std::array<char, kMorceau> tampon;
        std::size_t taille = 0;
        for (;;) {
            const std::optional<std::size_t> lus = flux.Lit(tampon.data(), tampon.size());
            if (!lus) {
                throw CanalRompu(flux.Erreur(), GenreEchec::Local);
            }
            if (*lus == 0) {
                break;
            }
            // The piece before goes now: the one read may be the last.
            ecrit_(sortie_);
            sortie_.clear();
            taille += *lus;
            Ajoute(std::string_view(tampon.data(), *lus));
        }
        sortie_ += debutLigne_ ? ".\r\n" : "\r\n.\r\n";
        fin = std::move(sortie_);
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

    Ecriture ecrit_;
    std::string sortie_;
    bool debutLigne_ = true;
};

Issue Refus(GenreEchec genre, std::string statut, bool fermee = false) {
    Issue issue;
    issue.statut = std::move(statut);
    issue.genre = genre;
    issue.fermee = fermee;
    return issue;
}

Issue Echec(const std::string& texte, const Reponse& reponse) {
    Issue issue = Refus(GenreReponse(reponse.code), texte + reponse.texte, reponse.code == 421);
    issue.reponse = reponse.texte;
    return issue;
}

// A message whose content went but whose verdict never came: it may have been
// delivered, so it is not sent again now; the report names its recipients.
// Temporary: a message is rather delivered twice than never.
Issue VerdictPerdu(const CanalRompu& rupture) {
    return Refus(GenreEchec::Temporaire,
                 std::string(rupture.what()) +
                     " (the message was sent whole; the server did not confirm it)",
                 true);
}

// Whether a reply can answer its command at all: a 354 to anything but
// DATA, or a 250 to DATA or QUIT, means the replies are out of step.
bool Convient(int code, bool data, bool quit) {
    if (code >= 400 && code < 600) {
        return true;
    }
    if (data) {
        return code == 354;
    }
    if (quit) {
        return code == 221;
    }
    return code >= 200 && code < 300;
}

}  // namespace

Moteur::Moteur(Canal& canal, const Capacites& capacites, std::int32_t timeoutMs, TraceSMTP* trace,
               std::optional<Login> login)
    : canal_(canal),
      capacites_(capacites),
      timeoutMs_(timeoutMs),
      trace_(trace),
      login_(std::move(login)) {}

void Moteur::Attend(Commande commande, IdLot lot) {
    attendues_.push_back({commande, lot});
    if (const auto suivi = suivis_.find(lot); suivi != suivis_.end()) {
        ++suivi->second.attendues;
    }
}

void Moteur::Rend(IdLot lot, Issue issue) {
    std::shared_ptr<const ARejouer> rejeu;
    if (const auto suivi = suivis_.find(lot); suivi != suivis_.end()) {
        if (issue.rejouable) {
            rejeu = std::move(suivi->second.copie);
        }
        suivis_.erase(suivi);
    }
    lus_.push_back({lot, std::move(issue), std::move(rejeu)});
}

// Every byte of the batch's content went: the server may have taken it.
void Moteur::MarqueEntier(IdLot lot) {
    if (const auto suivi = suivis_.find(lot); suivi != suivis_.end()) {
        suivi->second.contenuEntier = true;
    }
}

std::vector<Verdict> Moteur::Rends() {
    return std::exchange(surs_, {});
}

// The one place a reply meets the command it answers, and a verdict its batch.
void Moteur::Applique(const Reponse& reponse) {
    ++appliquees_;
    if (attendues_.empty()) {
        if (reponse.code == 421) {
            // A server may close at any time, saying so first.
            throw FermeeParServeur("Connection closed by the server: " + reponse.texte);
        }
        throw DialogueFaux("The server sent a reply that answers no command: " + reponse.texte);
    }
    const Attendue attendue = attendues_.front();
    attendues_.pop_front();
    if (attendue.commande == Commande::Auth) {
        AppliqueAuth(reponse);
        return;
    }
    if (!Convient(reponse.code, attendue.commande == Commande::Data,
                  attendue.commande == Commande::Quit)) {
        throw DialogueFaux("The server's reply does not fit the command it should answer: " +
                           reponse.texte);
    }
    if (attendue.commande == Commande::Quit) {
        // Only QUIT gets 221: every reply before it answered its own command.
        std::move(lus_.begin(), lus_.end(), std::back_inserter(surs_));
        lus_.clear();
        return;
    }
    if (attendue.commande == Commande::Rset) {
        if (!reponse.Positive()) {
            throw CanalRompu("The server refused RSET: " + reponse.texte);
        }
        return;
    }
    const auto trouve = suivis_.find(attendue.lot);
    if (trouve == suivis_.end()) {
        return;  // the batch already has its verdict (its MAIL was refused)
    }
    Suivi& suivi = trouve->second;
    --suivi.attendues;
    const bool dernier = suivi.attendues == 0;
    if (reponse.code == 421) {
        Issue issue =
            Echec(attendue.commande == Commande::Mail ? "Sender refused: "
                                                      : "Connection closed by the server: ",
                  reponse);
        // The server closing at the envelope never takes what followed it.
        issue.rejouable =
            suivi.acceptes.empty() && suivi.livres == 0 &&
            (attendue.commande == Commande::Mail || attendue.commande == Commande::Rcpt);
        Rend(attendue.lot, std::move(issue));
        throw FermeeParServeur("Connection closed by the server: " + reponse.texte);
    }
    switch (attendue.commande) {
        case Commande::Mail:
            if (!reponse.Positive()) {
                suivi.mailRefuse = reponse;
                if (dernier) {
                    Rend(attendue.lot, Conclusion(suivi, nullptr));
                }
            }
            return;
        case Commande::Rcpt: {
            const std::string& destinataire = suivi.destinataires.at(suivi.reponsesRcpt++);
            if (reponse.Positive()) {
                suivi.acceptes.push_back(destinataire);
            } else if (reponse.code == 452 || reponse.code == 552) {
                // Too many recipients for one message (RFC 5321 §4.5.3.1.10;
                // 552 from older servers): not a refusal of this one.
                suivi.reportes.emplace_back(destinataire, reponse.texte);
            } else {
                Refuse(suivi, destinataire, reponse.texte, GenreReponse(reponse.code));
            }
            if (dernier && suivi.reponsesRcpt == suivi.destinataires.size() &&
                (suivi.mailRefuse || suivi.acceptes.empty())) {
                Rend(attendue.lot, Conclusion(suivi, nullptr));
            }
            return;
        }
        case Commande::Data:
            if (reponse.code == 354) {
                suivi.donnees = true;
                return;
            }
            break;
        case Commande::Auth:  // applied above
        case Commande::Bdat:
        case Commande::Point:
        case Commande::Rset:
        case Commande::Quit:
            break;
    }
    // The transaction's end: DATA refused, or the reply to its content. Taken
    // with recipients put off, the batch goes on in a new transaction.
    if (reponse.Positive() && attendue.commande != Commande::Data && !suivi.mailRefuse &&
        !suivi.acceptes.empty() && !suivi.reportes.empty() && phase_ != Phase::Fermee &&
        attendue.lot == courant_) {
        suivi.livres += suivi.acceptes.size();
        return;
    }
    Rend(attendue.lot, Conclusion(suivi, &reponse));
}

// A recipient refused. The batch may go later when one of its refusals may
// pass later.
void Moteur::Refuse(Suivi& suivi, const std::string& adresse, const std::string& reponse,
                    GenreEchec genre) {
    suivi.refus.push_back(adresse + ": " + reponse);
    suivi.refuses.push_back({adresse, reponse, genre});
    if (!suivi.refusDecisif ||
        (genre == GenreEchec::Temporaire && suivi.refusDecisif->first != GenreEchec::Temporaire)) {
        suivi.refusDecisif.emplace(genre, reponse);
    }
}

// A batch refused by its recipients, of the kind its decisive refusal gives
// (permanent when none came: it named nobody).
Issue Moteur::RefusDestinataires(const Suivi& suivi, std::string statut) {
    const auto& [genre, reponse] =
        suivi.refusDecisif.value_or(std::pair(GenreEchec::Permanent, std::string()));
    Issue issue = Refus(genre, std::move(statut));
    issue.reponse = reponse;
    issue.refuses = suivi.refuses;
    return issue;
}

// A refused login ends the session at once, before any reply after it is
// read: no content may follow it, not even after a 354 the server still
// sends to a DATA in the same group.
void Moteur::AppliqueAuth(const Reponse& reponse) {
    if (reponse.code == 421) {
        throw FermeeParServeur("Connection closed by the server: " + reponse.texte);
    }
    if (reponse.code == 334 && defi_ == Defi::Aucun) {
        if (attendues_.empty()) {
            defi_ = Defi::ARepondre;
            attendues_.push_front({Commande::Auth, kAucunLot});
        } else {
            // The server reads the line after AUTH as the answer to its
            // challenge, and in a group that line is already written.
            defi_ = Defi::ReponduParLeGroupe;
            attendues_.front() = {Commande::Auth, kAucunLot};
        }
        return;
    }
    if (reponse.code >= 400 && reponse.code < 600) {
        // 454: the server cannot check the login for now.
        throw LoginRefuse("Login denied - server reply: " + reponse.texte,
                          reponse.code == 454 ? GenreEchec::Temporaire : GenreEchec::Configuration);
    }
    if (reponse.code < 200 || reponse.code >= 300 || defi_ == Defi::ReponduParLeGroupe) {
        throw DialogueFaux("The server's reply does not fit the command it should answer: " +
                           reponse.texte);
    }
}

// The batch's verdict from all its transactions; `fin` is the reply to the
// last one's end, when it got that far.
Issue Moteur::Conclusion(Suivi& suivi, const Reponse* fin) {
    // Put off for the server's limit, never refused: another message takes them.
    for (const auto& [adresse, texte] : suivi.reportes) {
        Refuse(suivi, adresse, texte, GenreEchec::Temporaire);
    }
    const bool prise = fin && fin->Positive() && !suivi.mailRefuse && !suivi.acceptes.empty();
    const std::size_t recus = suivi.livres + (prise ? suivi.acceptes.size() : 0);
    if (recus == 0) {
        if (suivi.mailRefuse) {
            return Echec("Sender refused: ", *suivi.mailRefuse);
        }
        if (suivi.acceptes.empty()) {
            return RefusDestinataires(
                suivi, "No recipient accepted the message: " + Joint(suivi.refus, "; "));
        }
        Issue issue = Echec("Message refused: ", *fin);
        if (!suivi.refus.empty()) {
            issue.statut += "; refused recipients: " + Joint(suivi.refus, "; ");
        }
        return issue;
    }
    if (!prise) {
        // An earlier transaction took the message; this one's recipients
        // not refused already did not get it.
        const Reponse* decisive = suivi.mailRefuse ? &*suivi.mailRefuse : fin;
        const std::string raison = decisive ? decisive->texte : std::string("not sent");
        const GenreEchec genre = decisive ? GenreReponse(decisive->code) : GenreEchec::Temporaire;
        for (const std::string& adresse : suivi.acceptes) {
            Refuse(suivi, adresse, raison, genre);
        }
        for (std::size_t i = suivi.reponsesRcpt; i < suivi.destinataires.size(); ++i) {
            Refuse(suivi, suivi.destinataires[i], raison, genre);
        }
    }
    if (suivi.refus.empty()) {
        Issue issue;
        issue.accepte = true;
        issue.statut = fin->texte + " - session closed";
        return issue;
    }
    Issue issue = RefusDestinataires(
        suivi, "Sent to " + std::to_string(recus) + " of " + std::to_string(suivi.total) +
                   " recipients; refused: " + Joint(suivi.refus, "; "));
    issue.partiel = true;
    return issue;
}

// The session is over. Verdicts read stand, unless the replies went out of
// step: then none read since the last certain point is trusted. A batch still
// owed is failed, and sent again only when the server cannot have taken it.
void Moteur::Rompt(const CanalRompu& rupture) {
    const bool faux = dynamic_cast<const DialogueFaux*>(&rupture) != nullptr;
    const bool login = dynamic_cast<const LoginRefuse*>(&rupture) != nullptr;
    const bool ferme = dynamic_cast<const FermeeParServeur*>(&rupture) != nullptr;
    const bool muet = dynamic_cast<const CanalMuet*>(&rupture) != nullptr;
    Passe(Phase::Fermee);
    attendues_.clear();
    finDue_.clear();
    const std::string douteux = std::string(rupture.what()) +
                                "; the session was ended, and the message may or may not "
                                "have been delivered";
    for (Verdict& verdict : lus_) {
        if (faux && (verdict.issue.accepte || verdict.issue.partiel)) {
            verdict.issue = Refus(rupture.Genre(), douteux, true);
        }
        surs_.push_back(std::move(verdict));
    }
    lus_.clear();
    for (auto& [lot, suivi] : suivis_) {
        Issue issue;
        if (login) {
            issue = Refus(rupture.Genre(), rupture.what(), true);
            issue.loginRefuse = true;
        } else if (faux) {
            issue = Refus(rupture.Genre(), douteux, true);
        } else if (ferme) {
            issue = Refus(rupture.Genre(), rupture.what(), true);
            issue.rejouable = suivi.livres == 0;
        } else if (suivi.contenuEntier) {
            issue = VerdictPerdu(rupture);
        } else {
            issue = Refus(rupture.Genre(), rupture.what(), true);
            issue.rejouable = suivi.acceptes.empty() && suivi.livres == 0 && !suivi.contenuParti;
        }
        issue.muet = muet;
        std::shared_ptr<const ARejouer> rejeu = issue.rejouable ? suivi.copie : nullptr;
        surs_.push_back({lot, std::move(issue), std::move(rejeu)});
    }
    suivis_.clear();
}

bool Moteur::Ouvert() {
    return phase_ != Phase::Fermee && debut_ == recu_.size() && !enCours_ &&
           !canal_.Attend(false, 0).lisible;
}

std::vector<Verdict> Moteur::Envoie(IdLot lot, const Enveloppe& enveloppe, SourceMessage message,
                                    Suite suite) {
    const bool utf8 =
        NonAscii(enveloppe.expediteur) ||
        std::any_of(enveloppe.destinataires.begin(), enveloppe.destinataires.end(), NonAscii);
    const bool dsn = DemandeDsn(enveloppe) && capacites_.dsn;
    std::optional<std::size_t> taille = enveloppe.taille;
    const std::string_view* octets = std::get_if<std::string_view>(&message);
    if (octets) {
        taille = octets->size();
    }
    // What is wrong with the envelope is known before anything is written.
    std::optional<std::string> refus = AdresseInvalide(enveloppe.expediteur);
    for (const std::string& destinataire : enveloppe.destinataires) {
        if (!refus) {
            refus = AdresseInvalide(destinataire);
        }
    }
    if (!refus && utf8 && !capacites_.smtputf8) {
        refus =
            "The server does not take addresses written with non-ASCII characters "
            "(no SMTPUTF8); message not sent";
    }
    // An estimate is left for the server to judge, at MAIL, before the content.
    if (!refus && octets && capacites_.tailleMax && *taille > *capacites_.tailleMax) {
        refus = "The message (" + std::to_string(*taille) +
                " bytes) is larger than the server takes (SIZE " +
                std::to_string(*capacites_.tailleMax) + " bytes); message not sent";
    }
    // A message handed over with 8-bit bytes cannot go as it is: what to mend
    // is on our side, the message, not the server's.
    if (!refus && enveloppe.huitBits && !capacites_.huitBitsMime) {
        surs_.push_back({lot,
                         Refus(GenreEchec::Local,
                               "The server does not take 8-bit messages (no 8BITMIME) and the "
                               "message holds 8-bit bytes; message not sent"),
                         nullptr});
        return Rends();
    }
    // None of these would pass later: the message is the same.
    if (refus) {
        surs_.push_back({lot, Refus(GenreEchec::Permanent, *refus), nullptr});
        return Rends();
    }
    if (phase_ == Phase::Fermee) {
        surs_.push_back(
            {lot, Refus(GenreEchec::Temporaire, "The session is closed", true), nullptr});
        return Rends();
    }
    suivis_[lot].total = enveloppe.destinataires.size();
    courant_ = lot;
    try {
        Transmet(lot, enveloppe, message, suite, utf8, dsn,
                 capacites_.tailleMax ? taille : std::nullopt);
        while (const std::optional<Enveloppe> reste = Reste(lot, enveloppe)) {
            Transmet(lot, *reste, message, suite, utf8, dsn,
                     capacites_.tailleMax ? taille : std::nullopt);
        }
    } catch (const CanalRompu& rupture) {
        Rompt(rupture);
    }
    return Rends();
}

// AUTH with its initial response, its reply awaited.
std::string Moteur::CommandeAuth() {
    std::string commande = "AUTH " + login_->mecanisme + " " + login_->reponseInitiale + "\r\n";
    reponseAuDefi_ = std::move(login_->reponseAuDefi);
    login_.reset();
    Attend(Commande::Auth, kAucunLot);
    return commande;
}

void Moteur::Transmet(IdLot lot, const Enveloppe& enveloppe, SourceMessage message, Suite suite,
                      bool utf8, bool dsn, std::optional<std::size_t> taille) {
    Suivi& suivi = suivis_.at(lot);
    suivi.destinataires = enveloppe.destinataires;
    suivi.acceptes.clear();
    suivi.reponsesRcpt = 0;
    suivi.mailRefuse.reset();
    suivi.donnees = suivi.contenuParti = suivi.contenuEntier = false;
    const bool groupe = capacites_.pipelining;
    // BDAT needs the size first: only for a message already written.
    const std::optional<std::string_view> entier =
        std::holds_alternative<std::string_view>(message)
            ? std::optional(std::get<std::string_view>(message))
            : std::nullopt;
    const bool bdat = capacites_.chunking && entier;
    const std::string finEnveloppe =
        bdat ? "BDAT " + std::to_string(entier->size()) + " LAST\r\n" : "DATA\r\n";
    // The login opens the first group, where the replies stop before any
    // content: with DATA, at the 354. A BDAT group carries its content, so
    // AUTH goes alone then, as it does without pipelining: the same round
    // trips.
    std::string auth = login_ ? CommandeAuth() : std::string();
    if (!auth.empty() && (!groupe || bdat)) {
        if (trace_) {
            trace_->Envoye(auth);
        }
        Ecrit(std::exchange(auth, {}));
        AttendTout();
    }
    // The previous message's end opens this group: the server reads both at
    // once and answers them in one write (a reply split in two would wait
    // for an acknowledgement, 40 ms on many systems).
    std::string ecrit = std::exchange(finDue_, {});
    const bool finDue = !ecrit.empty();
    if (finDue) {
        Attend(Commande::Point, lotFinDu_);
    }
    std::string commandes = auth + CommandeMail(enveloppe, utf8, dsn, taille);
    Attend(Commande::Mail, lot);
    if (groupe) {
        for (const std::string& destinataire : enveloppe.destinataires) {
            commandes += CommandeRcpt(destinataire, enveloppe, dsn);
            Attend(Commande::Rcpt, lot);
        }
        commandes += finEnveloppe;
        Attend(bdat ? Commande::Bdat : Commande::Data, lot);
    }
    if (trace_) {
        trace_->Envoye(commandes);
    }
    ecrit += commandes;
    Passe(Phase::Enveloppe);
    bool quitte = false;
    // A whole transaction the next ones need not wait for; kept to go again
    // should the server close before taking it.
    const bool fenetre = groupe && bdat && suite == Suite::Serie &&
                         enveloppe.destinataires.size() <= kDestinatairesSurs &&
                         entier->size() <= kFenetreOctets && suivi.livres == 0 &&
                         suivi.reportes.empty();
    if (fenetre) {
        suivi.copie = std::make_shared<const ARejouer>(ARejouer{enveloppe, std::string(*entier)});
    }
    if (groupe && bdat) {
        // The whole transaction in one write; with the series' last message,
        // the session's end too: its replies, the content's and QUIT's come
        // back together.
        if (trace_) {
            trace_->Contenu(entier->size());
        }
        suivi.contenuParti = true;
        ecrit += *entier;
        Passe(Phase::Libre);
        // A server must take 100 recipients a message (RFC 5321 §4.5.3.1.8):
        // a larger batch may need another transaction after this one.
        if (suite == Suite::FinDeSerie && suivi.reportes.empty() &&
            enveloppe.destinataires.size() <= kDestinatairesSurs) {
            ecrit += "QUIT\r\n";
            if (trace_) {
                trace_->Envoye("QUIT\r\n");
            }
            Attend(Commande::Quit, kAucunLot);
            Passe(Phase::Fermee);
            quitte = true;
        }
    }
    Ecrit(ecrit);
    if (finDue) {
        MarqueEntier(lotFinDu_);
    }
    if (groupe && bdat) {
        MarqueEntier(lot);
    }
    if (fenetre) {
        AttendJusqua([this] { return suivis_.size() < kFenetre; });
        return;
    }
    if (!groupe) {
        AttendTout();
        for (const std::string& destinataire : enveloppe.destinataires) {
            if (!suivis_.contains(lot)) {
                break;
            }
            const std::string rcpt = CommandeRcpt(destinataire, enveloppe, dsn);
            if (trace_) {
                trace_->Envoye(rcpt);
            }
            Attend(Commande::Rcpt, lot);
            Ecrit(rcpt);
            AttendTout();
        }
        if (suivis_.contains(lot)) {
            if (trace_) {
                trace_->Envoye(finEnveloppe);
            }
            Attend(bdat ? Commande::Bdat : Commande::Data, lot);
            if (bdat) {
                suivi.contenuParti = true;
                if (trace_) {
                    trace_->Contenu(entier->size());
                }
                Passe(Phase::Libre);
                Ecrit(finEnveloppe + std::string(*entier));
                MarqueEntier(lot);
            } else {
                Ecrit(finEnveloppe);
            }
        }
    }
    AttendTout();
    if (quitte) {
        return;
    }
    const auto reste = suivis_.find(lot);
    if (reste != suivis_.end() && reste->second.donnees) {
        Passe(Phase::Donnees);
        EnvoieContenu(lot, message,
                      suite != Suite::Seul && groupe && !reste->second.acceptes.empty() &&
                          reste->second.reportes.empty());
    }
    if (phase_ == Phase::Enveloppe) {
        // A transaction stopped mid-way leaves the server in it.
        Reinitialise();
    }
}

// What the server put off of a batch it took, for a new transaction on the
// same session: no more recipients than it has just accepted in one.
std::optional<Enveloppe> Moteur::Reste(IdLot lot, const Enveloppe& enveloppe) {
    const auto trouve = suivis_.find(lot);
    if (phase_ != Phase::Libre || trouve == suivis_.end() || trouve->second.reportes.empty()) {
        return std::nullopt;
    }
    Suivi& suivi = trouve->second;
    const std::size_t nombre = std::min(suivi.acceptes.size(), suivi.reportes.size());
    Enveloppe reste = enveloppe;
    reste.destinataires.clear();
    reste.taille.reset();
    for (std::size_t i = 0; i < nombre; ++i) {
        reste.destinataires.push_back(std::move(suivi.reportes[i].first));
    }
    suivi.reportes.erase(suivi.reportes.begin(),
                         suivi.reportes.begin() + static_cast<std::ptrdiff_t>(nombre));
    if (trace_) {
        trace_->Info("The server takes " + std::to_string(nombre) +
                     " recipients a message: the next ones go in a new transaction");
    }
    return reste;
}

void Moteur::EnvoieContenu(IdLot lot, SourceMessage message, bool retenir) {
    suivis_.at(lot).contenuParti = true;
    FluxMessage flux(message);
    std::string fin;
    const std::size_t taille =
        ContenuData([this](std::string_view octets) { Ecrit(octets); }).Envoie(flux, fin);
    if (trace_) {
        trace_->Contenu(taille);
    }
    Passe(Phase::Libre);
    if (retenir) {
        finDue_ = std::move(fin);
        lotFinDu_ = lot;
        return;
    }
    Attend(Commande::Point, lot);
    Ecrit(fin);
    MarqueEntier(lot);
    AttendTout();
}

void Moteur::Reinitialise() {
    if (trace_) {
        trace_->Envoye("RSET\r\n");
    }
    Attend(Commande::Rset, kAucunLot);
    Passe(Phase::Libre);
    Ecrit("RSET\r\n");
    AttendTout();
}

std::vector<Verdict> Moteur::Conclut(bool quitte) {
    if (phase_ == Phase::Fermee) {
        return Rends();
    }
    try {
        std::string ecrit = std::exchange(finDue_, {});
        if (!ecrit.empty()) {
            Attend(Commande::Point, lotFinDu_);
        }
        if (quitte) {
            ecrit += "QUIT\r\n";
            if (trace_) {
                trace_->Envoye("QUIT\r\n");
            }
            Attend(Commande::Quit, kAucunLot);
            Passe(Phase::Fermee);
        }
        if (!ecrit.empty()) {
            Ecrit(ecrit);
            MarqueEntier(lotFinDu_);
        }
        AttendTout();
    } catch (const CanalRompu& rupture) {
        // A server that closes once every verdict is read only went first.
        if (!(quitte && suivis_.empty() && attendues_.size() == 1 &&
              dynamic_cast<const DialogueFaux*>(&rupture) == nullptr)) {
            Rompt(rupture);
        }
        Passe(Phase::Fermee);
    }
    std::move(lus_.begin(), lus_.end(), std::back_inserter(surs_));
    lus_.clear();
    return Rends();
}

// Writes every byte, or raises CanalRompu. Replies that come meanwhile are
// read and applied at once, so a server answering a long pipelined group
// never blocks, and one that floods replies is stopped by the first that
// answers nothing. The time-out runs from the last byte the server took.
void Moteur::Ecrit(std::string_view octets) {
    auto limite = Horloge::now() + std::chrono::milliseconds(timeoutMs_);
    while (!octets.empty()) {
        const std::size_t ecrits = EnvoieOuLitLaFin(octets);
        if (ecrits > 0) {
            octets.remove_prefix(ecrits);
            limite = Horloge::now() + std::chrono::milliseconds(timeoutMs_);
            continue;
        }
        while (LitDisponible()) {
        }
        const auto reste =
            std::chrono::duration_cast<std::chrono::milliseconds>(limite - Horloge::now());
        const EtatCanal etat = reste.count() > 0
                                   ? canal_.Attend(true, static_cast<std::int32_t>(reste.count()))
                                   : EtatCanal{};
        if (!etat.lisible && !etat.inscriptible) {
            throw CanalRompu("The server took no data within " + std::to_string(timeoutMs_) +
                             " ms (time-out)");
        }
    }
}

// A server that stopped reading may have answered first, even closed with
// a 421: those replies, still there to read, say what it took.
std::size_t Moteur::EnvoieOuLitLaFin(std::string_view octets) {
    try {
        return canal_.Envoie(octets);
    } catch (const CanalRompu&) {
        try {
            while (LitDisponible()) {
            }
        } catch (const FermeeParServeur&) {
            throw;
        } catch (const DialogueFaux&) {
            throw;
        } catch (const CanalRompu&) {
            // Nothing more to read: the write's failure stands.
        }
        throw;
    }
}

// Reads until every awaited reply has come; then checks that nothing more
// came.
void Moteur::AttendTout() {
    AttendJusqua([this] { return attendues_.empty(); });
    if (phase_ != Phase::Fermee) {
        VerifieSilence();
    }
}

// Reads replies until `condition` holds, each within one time-out.
template <typename Condition>
void Moteur::AttendJusqua(Condition condition) {
    auto limite = Horloge::now() + std::chrono::milliseconds(timeoutMs_);
    std::size_t vues = appliquees_;
    while (!condition()) {
        if (defi_ == Defi::ARepondre) {
            defi_ = Defi::Repondu;
            const std::string reponse = reponseAuDefi_ + "\r\n";
            if (trace_) {
                trace_->Envoye(reponse);
            }
            Ecrit(reponse);
        }
        if (LitDisponible()) {
            if (appliquees_ != vues) {
                vues = appliquees_;
                limite = Horloge::now() + std::chrono::milliseconds(timeoutMs_);
            }
            continue;
        }
        const auto reste =
            std::chrono::duration_cast<std::chrono::milliseconds>(limite - Horloge::now());
        if (reste.count() <= 0 ||
            !canal_.Attend(false, static_cast<std::int32_t>(reste.count())).lisible) {
            throw CanalMuet(TexteAttente(timeoutMs_));
        }
    }
}

// Every command has its reply: anything more already there answers nothing.
// Otherwise the replies read so far matched their commands, and their
// verdicts are certain.
void Moteur::VerifieSilence() {
    while (LitDisponible()) {
    }
    if (debut_ != recu_.size() || enCours_) {
        throw DialogueFaux("The server sent a reply that answers no command");
    }
    std::move(lus_.begin(), lus_.end(), std::back_inserter(surs_));
    lus_.clear();
}

// Reads what has come, if anything, and applies every whole reply in it.
bool Moteur::LitDisponible() {
    std::array<char, 16384> tampon;  // filled by the read, no need to clear
    const std::size_t lus = canal_.Recoit(tampon.data(), tampon.size());
    if (lus == 0) {
        return false;
    }
    if (debut_ > 0) {
        recu_.erase(0, debut_);
        debut_ = 0;
    }
    recu_.append(tampon.data(), lus);
    while (const std::optional<Reponse> reponse = ExtraitReponse()) {
        Applique(*reponse);
    }
    return true;
}

std::optional<Reponse> Moteur::ExtraitReponse() {
    for (;;) {
        const std::size_t fin = recu_.find('\n', debut_);
        if (fin == std::string::npos) {
            if (recu_.size() - debut_ > kLigneMax) {
                throw DialogueFaux("The server's reply is not SMTP (a line longer than " +
                                   std::to_string(kLigneMax) + " bytes)");
            }
            return std::nullopt;
        }
        std::string_view ligne(recu_.data() + debut_, fin - debut_);
        debut_ = fin + 1;
        if (!ligne.empty() && ligne.back() == '\r') {
            ligne.remove_suffix(1);
        }
        if (ligne.size() > kLigneMax) {
            throw DialogueFaux("The server's reply is not SMTP (a line longer than " +
                               std::to_string(kLigneMax) + " bytes)");
        }
        if (trace_) {
            trace_->Recu(ligne);
        }
        Reponse& reponse = enCours_ ? *enCours_ : enCours_.emplace();
        if (!reponse.texte.empty()) {
            reponse.texte += ' ';
        }
        reponse.texte += ligne;
        if (reponse.texte.size() > kReponseMax) {
            throw DialogueFaux("The server's reply is not SMTP (longer than " +
                               std::to_string(kReponseMax / 1024) + " KiB)");
        }
        // "250-..." announces more lines; "250 ..." ends the reply.
        if (ligne.size() >= 4 && ligne[3] == '-') {
            continue;
        }
        Reponse complete = std::move(reponse);
        enCours_.reset();
        const std::string_view debut(complete.texte.data(),
                                     std::min<std::size_t>(3, complete.texte.size()));
        if (debut.size() == 3 && debut.find_first_not_of("0123456789") == std::string_view::npos) {
            complete.code = std::stoi(std::string(debut));
        }
        return complete;
    }
}

}  // namespace corvelle::smtp
