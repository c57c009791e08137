#include "sending/smtp/Transport.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <tuple>
#include <utility>

#include "core/Plateforme.h"
#include "sending/smtp/EchecEnvoi.h"
#include "sending/smtp/VerificationTLS.h"

namespace corvelle::smtp {

namespace {

// A host name goes into a URL: anything that could end the host part there
// (or a control character) is refused rather than reaching the server.
void VerifieHote(const std::string& hote, std::string_view role) {
    if (hote.empty()) {
        throw EchecEnvoi(GenreEchec::Configuration, "No " + std::string(role) + " server given");
    }
    const bool mauvais = std::any_of(hote.begin(), hote.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u <= 0x20 || u == 0x7F || std::strchr("/?#@\\%\"<>", c) != nullptr;
    });
    if (mauvais) {
        throw EchecEnvoi(GenreEchec::Configuration,
                         "Invalid " + std::string(role) + " server name: \"" + hote + "\"");
    }
}

void VerifiePort(std::int32_t port) {
    if (port < 1 || port > 65535) {
        throw EchecEnvoi(GenreEchec::Configuration,
                         "Invalid port " + std::to_string(port) + " (1 to 65535)");
    }
}

// "host:port", an IPv6 address in brackets.
std::string HotePort(const std::string& hote, std::int32_t port) {
    const bool ipv6 = hote.find(':') != std::string::npos && hote.front() != '[';
    return (ipv6 ? "[" + hote + "]" : hote) + ":" + std::to_string(port);
}

std::string Url(const char* schema, const std::string& hote, std::int32_t port) {
    return std::string(schema) + "://" + HotePort(hote, port) + "/";
}

std::string TexteMode(ModeSession mode) {
    switch (mode) {
        case ModeSession::StartTLS:
            return "STARTTLS";
        case ModeSession::TLSImplicite:
            return "Implicit TLS";
        case ModeSession::Clair:
            break;
    }
    return "Plain text";
}

// For SMTP, libcurl hands every server reply line to the header callback:
// the replies are kept without the cost of its verbose trace.
std::size_t Observe(char* donnees, std::size_t taille, std::size_t nombre, void* journal) {
    try {
        static_cast<JournalReponses*>(journal)->Recoit({donnees, taille * nombre});
    } catch (...) {
        // Out of memory for a reply's copy: the status loses detail, the
        // send goes on.
    }
    return taille * nombre;
}

// libcurl bounds the whole opening (TCP, greeting, EHLO, STARTTLS, EHLO,
// AUTH) by its connect time-out: as many waits as that opening has, each
// reply within one time-out of its own.
constexpr long kAttentesOuverture = 7;

// libcurl counts each reply's wait in whole seconds.
long SecondesReponse(std::int32_t attenteMs) {
    return (static_cast<long>(attenteMs) + 999) / 1000;
}

void ConfigureAttentesSMTP(CURL* curl, std::int32_t timeoutMs) {
    const std::int32_t ms = AttenteMs(timeoutMs);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, ms * kAttentesOuverture);
    curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, SecondesReponse(ms));
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
}

// The opening's limit above covers the connection too; the name lookup and
// the TCP connection get one wait of their own, or a host that is down would
// hold the run for the whole opening's allowance. libcurl reports progress
// about once a second while it connects, so the wait ends within that second.
class AttenteConnexion {
  public:
    AttenteConnexion(CURL* curl, std::int32_t ms) : curl_(curl), limiteUs_(curl_off_t{ms} * 1000) {
        curl_easy_setopt(curl_, CURLOPT_XFERINFOFUNCTION, &Surveille);
        curl_easy_setopt(curl_, CURLOPT_XFERINFODATA, this);
        curl_easy_setopt(curl_, CURLOPT_NOPROGRESS, 0L);
    }
    ~AttenteConnexion() {
        curl_easy_setopt(curl_, CURLOPT_NOPROGRESS, 1L);
        curl_easy_setopt(curl_, CURLOPT_XFERINFODATA, nullptr);
    }
    AttenteConnexion(const AttenteConnexion&) = delete;
    AttenteConnexion& operator=(const AttenteConnexion&) = delete;

    [[nodiscard]] bool Depassee() const noexcept { return depassee_; }

  private:
    static int Surveille(void* donnees, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
        auto* attente = static_cast<AttenteConnexion*>(donnees);
        curl_off_t connecte = 0;
        curl_off_t ecoule = 0;
        curl_easy_getinfo(attente->curl_, CURLINFO_CONNECT_TIME_T, &connecte);
        curl_easy_getinfo(attente->curl_, CURLINFO_TOTAL_TIME_T, &ecoule);
        attente->depassee_ = connecte == 0 && ecoule >= attente->limiteUs_;
        return attente->depassee_ ? 1 : 0;
    }

    CURL* curl_;
    curl_off_t limiteUs_;
    bool depassee_ = false;
};

void ConfigureJournal(CURL* curl, JournalReponses& journal, char* erreurs) {
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, erreurs);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, &Observe);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &journal);
}

std::string Decrit(CURLcode code, const char* erreurs, const JournalReponses& journal) {
    std::string texte = *erreurs ? erreurs : curl_easy_strerror(code);
    if (!journal.DernierRefus().empty()) {
        texte += " - server reply: " + journal.DernierRefus();
    }
    return texte;
}

// What libcurl says and does while it opens the session, for the trace: its
// commands, the server's replies and its own remarks (address tried, TLS).
int Rapporte(CURL*, curl_infotype type, char* donnees, std::size_t taille, void* trace) {
    const std::string_view octets(donnees, taille);
    auto& sortie = *static_cast<TraceSMTP*>(trace);
    try {
        switch (type) {
            case CURLINFO_TEXT:
                sortie.Info(octets);
                break;
            case CURLINFO_HEADER_IN:
                sortie.Recu(octets);
                break;
            case CURLINFO_HEADER_OUT:
                sortie.Envoye(octets);
                break;
            default:
                break;
        }
    } catch (...) {
        // A trace line lost to a full memory: the session goes on.
    }
    return 0;
}

void ConfigureTrace(CURL* curl, TraceSMTP* trace) {
    if (trace) {
        curl_easy_setopt(curl, CURLOPT_DEBUGFUNCTION, &Rapporte);
        curl_easy_setopt(curl, CURLOPT_DEBUGDATA, trace);
        curl_easy_setopt(curl, CURLOPT_VERBOSE, 1L);
    }
}

std::string Base64(std::string_view octets) {
    static constexpr char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string code;
    code.reserve((octets.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < octets.size(); i += 3) {
        const std::size_t n = std::min<std::size_t>(3, octets.size() - i);
        std::uint32_t bloc = 0;
        for (std::size_t j = 0; j < 3; ++j) {
            bloc = (bloc << 8) | (j < n ? static_cast<unsigned char>(octets[i + j]) : 0U);
        }
        for (std::size_t j = 0; j < 4; ++j) {
            code += j <= n ? kAlphabet[(bloc >> (18 - 6 * j)) & 0x3F] : '=';
        }
    }
    return code;
}

// The logins whose first message goes with AUTH are the engine's: PLAIN
// (RFC 4616), and for OAuth2 OAUTHBEARER (RFC 7628) or XOAUTH2, whichever
// the server offers, the former first. Nothing when the server offers none.
std::optional<Login> LoginDuMoteur(const ReglagesServeur& reglages, const Capacites& capacites) {
    const auto offert = [&capacites](std::string_view mecanisme) {
        return std::find(capacites.mecanismes.begin(), capacites.mecanismes.end(), mecanisme) !=
               capacites.mecanismes.end();
    };
    const std::string& utilisateur = reglages.utilisateur;
    if (reglages.authentification == 3) {
        if (!offert("plain")) {
            return std::nullopt;
        }
        // A challenge after the initial response is cancelled ("*").
        return Login{"PLAIN",
                     Base64(std::string(1, '\0') + utilisateur + '\0' + reglages.motDePasse), "*"};
    }
    const std::string porteur = "auth=Bearer " + reglages.jeton + "\x01\x01";
    // The challenge carries the refusal's details; the answer lets the
    // server end with its refusal.
    if (offert("oauthbearer")) {
        return Login{"OAUTHBEARER",
                     Base64("n,a=" + utilisateur + ",\x01host=" + reglages.hote +
                            "\x01port=" + std::to_string(reglages.port) + "\x01" + porteur),
                     Base64("\x01")};
    }
    if (offert("xoauth2")) {
        return Login{"XOAUTH2", Base64("user=" + utilisateur + "\x01" + porteur), ""};
    }
    return std::nullopt;
}

bool ALigne(const std::string& texte) {
    return texte.find_first_of("\r\n") != std::string::npos;
}

}  // namespace

// A login refused for now (454, RFC 4954) may pass later.
GenreEchec GenreOuverture(CURLcode code, const JournalReponses& journal) {
    const std::string& refus = journal.DernierRefus();
    const int reponse = refus.empty() || refus[0] == '-' ? 0 : std::atoi(refus.c_str());
    const GenreEchec genre = GenreCurl(code);
    if (genre == GenreEchec::Configuration && code == CURLE_LOGIN_DENIED && reponse / 100 == 4) {
        return GenreEchec::Temporaire;
    }
    return genre != GenreEchec::Temporaire || reponse == 0 ? genre : GenreReponse(reponse);
}

void JournalReponses::Vide() {
    ligne_.clear();
    reponse_.clear();
    refus_.clear();
    lignes_.clear();
    accord_.clear();
    complete_ = true;
}

void JournalReponses::Recoit(std::string_view octets) {
    // libcurl hands over one whole line at a time: appended in runs, not
    // byte by byte.
    for (std::size_t fin; (fin = octets.find('\n')) != std::string_view::npos;) {
        ligne_.append(octets.substr(0, fin));
        TermineLigne();
        octets.remove_prefix(fin + 1);
    }
    ligne_.append(octets);
}

void JournalReponses::TermineLigne() {
    std::erase(ligne_, '\r');
    if (complete_) {
        reponse_.clear();
        lignes_.clear();
    }
    lignes_.push_back(ligne_);
    if (!reponse_.empty()) {
        reponse_ += ' ';
    }
    reponse_ += ligne_;
    // "250-..." announces more lines; "250 ..." ends the reply (RFC 5321, 4.2.1).
    complete_ = !(ligne_.size() >= 4 && ligne_[3] == '-');
    ligne_.clear();
    if (complete_ && reponse_.rfind("250", 0) == 0) {
        accord_ = lignes_;
    }
    if (complete_ && !reponse_.empty() &&
        (reponse_[0] == '4' || reponse_[0] == '5' || reponse_.rfind("-ERR", 0) == 0)) {
        refus_ = reponse_;
    }
}

struct SessionSMTP::Connexion {
    // Declared before the handle, which reports to them until it is gone.
    JournalReponses journal;
    char erreurs[CURL_ERROR_SIZE] = {};
    VerificationTLS verification;
    PoigneeCurl curl = NouvellePoigneeCurl();
    std::optional<CanalCurl> canal;
    Capacites capacites;
    std::optional<Moteur> transactions;

    Connexion() = default;
    Connexion(const Connexion&) = delete;
    Connexion& operator=(const Connexion&) = delete;
    // libcurl says no QUIT on a connection it only opened.
    ~Connexion() {
        if (transactions) {
            (void)transactions->Conclut(true);
        }
    }
};

SessionSMTP::SessionSMTP(TraceSMTP* trace) : trace_(trace) {}

SessionSMTP::~SessionSMTP() = default;

// A broken or closing connection gets no QUIT.
void SessionSMTP::Abandonne() {
    if (connexion_) {
        connexion_->transactions.reset();
        connexion_.reset();
    }
}

std::vector<ModeSession> SessionSMTP::ModesAEssayer(const ReglagesServeur& reglages) const {
    if (!reglages.ssl) {
        return {ModeSession::Clair};
    }
    // Submission ports greet in clear text and offer STARTTLS; the others
    // (465 first) are taken to speak TLS from the first byte.
    ModeSession premier = reglages.port == 25 || reglages.port == 587 ? ModeSession::StartTLS
                                                                      : ModeSession::TLSImplicite;
    if (modeRetenu_ && *modeRetenu_ != ModeSession::Clair) {
        premier = *modeRetenu_;
    }
    const ModeSession second =
        premier == ModeSession::StartTLS ? ModeSession::TLSImplicite : ModeSession::StartTLS;
    return {premier, second};
}

bool ReglagesServeur::MemeSession(const ReglagesServeur& autre) const {
    const auto cles = [](const ReglagesServeur& r) {
        return std::tie(r.hote, r.port, r.ssl, r.authentification, r.utilisateur, r.motDePasse,
                        r.timeoutMs, r.confiance);
    };
    return cles(*this) == cles(autre);
}

std::vector<Verdict> SessionSMTP::Conclut(bool quitte) {
    std::vector<Verdict> verdicts;
    if (connexion_) {
        verdicts = connexion_->transactions->Conclut(quitte);
        if (connexion_->transactions->Fermee()) {
            Abandonne();
        }
        if (reglagesRetenus_) {
            Rejoue(verdicts, *reglagesRetenus_, ~IdLot{0}, Suite::Seul);
        }
        if (quitte && connexion_) {
            for (Verdict& verdict : connexion_->transactions->Conclut(true)) {
                verdicts.push_back(std::move(verdict));
            }
            Abandonne();
        }
    }
    return verdicts;
}

// Batches of a window that the server closed on before taking them go once
// more, on a new connection; the caller no longer holds their bytes.
void SessionSMTP::Rejoue(std::vector<Verdict>& verdicts, const ReglagesServeur& reglages,
                         IdLot courant, Suite suite) {
    for (std::size_t i = 0; i < verdicts.size(); ++i) {
        const std::shared_ptr<const ARejouer> rejeu = verdicts[i].rejeu;
        const IdLot lot = verdicts[i].lot;
        if (!verdicts[i].issue.rejouable || !rejeu || lot == courant ||
            !rejoues_.insert(lot).second) {
            continue;
        }
        verdicts.erase(verdicts.begin() + static_cast<std::ptrdiff_t>(i--));
        if (trace_) {
            trace_->Info("The server closed before taking a message: sending it again");
        }
        for (Verdict& verdict :
             EnvoieUne(reglages, lot, rejeu->enveloppe, std::string_view(rejeu->octets), suite)) {
            verdicts.push_back(std::move(verdict));
        }
    }
}

std::vector<Verdict> SessionSMTP::Envoie(const ReglagesServeur& reglages, IdLot lot,
                                         const Enveloppe& enveloppe, SourceMessage message,
                                         Suite suite) {
    std::vector<Verdict> verdicts = EnvoieUne(reglages, lot, enveloppe, message, suite);
    Rejoue(verdicts, reglages, lot, Suite::Serie);
    return verdicts;
}

std::vector<Verdict> SessionSMTP::EnvoieUne(const ReglagesServeur& reglages, IdLot lot,
                                            const Enveloppe& enveloppe, SourceMessage message,
                                            Suite suite) {
    VerifieHote(reglages.hote, "SMTP");
    VerifiePort(reglages.port);
    std::vector<Verdict> verdicts;
    if (!reglagesRetenus_ || !reglagesRetenus_->MemeSession(reglages)) {
        if (!reglagesRetenus_ || reglagesRetenus_->hote != reglages.hote ||
            reglagesRetenus_->port != reglages.port) {
            modeRetenu_.reset();
            sansPipelining_ = false;
        }
        verdicts = Conclut(true);
        Abandonne();
        reglagesRetenus_ = reglages;
    }
    for (bool rejoue = false;; rejoue = true) {
        // A server that closed the idle session (or said 421) is not written
        // to; with a verdict owed, its reply may be waiting.
        if (connexion_ && !connexion_->transactions->Doit() &&
            !connexion_->transactions->Ouvert()) {
            Abandonne();
        }
        if (!connexion_) {
            // A server that said 421 while opening (busy, too many
            // connections) may take the next one: once more, as below. A
            // silent or refused connection is not tried twice.
            if (std::optional<Issue> echec = Ouvre(reglages)) {
                if (echec->rejouable && !rejoue) {
                    if (trace_) {
                        trace_->Info(
                            "The server said 421 while the session opened: "
                            "trying a new connection");
                    }
                    continue;
                }
                verdicts.push_back({lot, std::move(*echec), nullptr});
                return verdicts;
            }
        }
        std::vector<Verdict> recus =
            connexion_->transactions->Envoie(lot, enveloppe, message, suite);
        // Said as a login refused while the session opened says it.
        for (Verdict& verdict : recus) {
            if (verdict.issue.loginRefuse && reglages.ssl && modeRetenu_) {
                verdict.issue.statut = TexteMode(*modeRetenu_) + ": " + verdict.issue.statut;
            }
        }
        const bool pipelinait = connexion_->capacites.pipelining;
        if (connexion_->transactions->Fermee()) {
            Abandonne();
        }
        const auto sien = std::find_if(recus.begin(), recus.end(), [lot](const Verdict& verdict) {
            return verdict.lot == lot;
        });
        std::optional<Issue> issue;
        if (sien != recus.end()) {
            issue = std::move(sien->issue);
            recus.erase(sien);
        }
        std::move(recus.begin(), recus.end(), std::back_inserter(verdicts));
        if (issue && issue->rejouable && !rejoue && rejoues_.insert(lot).second) {
            // Other batches of its window go again after it, on the same
            // connection: QUIT waits for them.
            if (std::any_of(verdicts.begin(), verdicts.end(), [lot](const Verdict& autre) {
                    return autre.issue.rejouable && autre.rejeu && autre.lot != lot;
                })) {
                suite = suite == Suite::FinDeSerie ? Suite::Serie : suite;
            }
            // A server that leaves a pipelined group unanswered gets one
            // command at a time from now on.
            sansPipelining_ = sansPipelining_ || (issue->muet && pipelinait);
            if (trace_) {
                trace_->Info(
                    "The server closed or stopped answering before taking the "
                    "message: sending it again on a new connection");
            }
            continue;
        }
        if (issue) {
            verdicts.push_back({lot, std::move(*issue), nullptr});
        }
        return verdicts;
    }
}

std::optional<Issue> SessionSMTP::Ouvre(const ReglagesServeur& reglages) {
    Issue echec;
    echec.fermee = true;
    for (const ModeSession mode : ModesAEssayer(reglages)) {
        const Tentative tentative = Tente(mode, reglages);
        if (tentative.ouverte) {
            modeRetenu_ = mode;
            return std::nullopt;
        }
        if (!echec.statut.empty()) {
            echec.statut += "; then ";
        }
        echec.statut +=
            reglages.ssl ? TexteMode(mode) + ": " + tentative.description : tentative.description;
        echec.loginRefuse = tentative.loginRefuse;
        echec.rejouable = tentative.ferme421;
        // The last mode tried knows best what the server speaks.
        echec.genre = tentative.genre;
        echec.reponse = tentative.reponse;
        if (!tentative.autreMode) {
            break;
        }
    }
    return echec;
}

SessionSMTP::Tentative SessionSMTP::Tente(ModeSession mode, const ReglagesServeur& reglages) {
    auto connexion = std::make_unique<Connexion>();
    CURL* curl = connexion->curl.get();
    ConfigureJournal(curl, connexion->journal, connexion->erreurs);
    connexion->verification.Configure(curl, reglages.confiance);
    ConfigureAttentesSMTP(curl, reglages.timeoutMs);
    ConfigureTrace(curl, trace_);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "smtp,smtps");
    const char* schema = mode == ModeSession::TLSImplicite ? "smtps" : "smtp";
    curl_easy_setopt(curl, CURLOPT_URL, Url(schema, reglages.hote, reglages.port).c_str());
    curl_easy_setopt(curl, CURLOPT_USE_SSL,
                     mode == ModeSession::StartTLS ? static_cast<long>(CURLUSESSL_ALL)
                                                   : static_cast<long>(CURLUSESSL_NONE));
    const bool authentifie = reglages.authentification >= 2 && reglages.authentification <= 4;
    // PLAIN and OAuth2 are the engine's, in its first group; LOGIN, which
    // answers a challenge, stays with libcurl.
    if (reglages.authentification == 2) {
        curl_easy_setopt(curl, CURLOPT_USERNAME, reglages.utilisateur.c_str());
        curl_easy_setopt(curl, CURLOPT_PASSWORD, reglages.motDePasse.c_str());
        curl_easy_setopt(curl, CURLOPT_SASL_IR, 1L);
        curl_easy_setopt(curl, CURLOPT_LOGIN_OPTIONS, "AUTH=LOGIN");
    }
    // Greeting, EHLO, STARTTLS (and AUTH LOGIN); then the connection is ours.
    curl_easy_setopt(curl, CURLOPT_CONNECT_ONLY, 1L);
    const std::int32_t attenteMs = AttenteMs(reglages.timeoutMs);
    bool injoignable = false;
    CURLcode code = CURLE_OK;
    {
        const AttenteConnexion attente(curl, attenteMs);
        code = curl_easy_perform(curl);
        injoignable = attente.Depassee();
    }

    Tentative tentative;
    connexion->capacites = LitCapacites(connexion->journal.DernierAccord());
    // libcurl opens the session without logging in when the server offers no
    // AUTH: a configured login must never turn into a send without one.
    if (authentifie && !connexion->capacites.auth &&
        (code == CURLE_OK || code == CURLE_LOGIN_DENIED)) {
        tentative.description =
            "The server offers no authentication (AUTH) although a login is configured; "
            "message not sent";
        tentative.genre = GenreEchec::Configuration;
        return tentative;
    }
    if (injoignable) {
        // Another TLS mode on the same port would meet the same silence.
        tentative.description = "No connection to " + reglages.hote + " port " +
                                std::to_string(reglages.port) + " within " +
                                std::to_string(attenteMs) + " ms";
        return tentative;
    }
    if (code != CURLE_OK) {
        tentative.description = Decrit(code, connexion->erreurs, connexion->journal);
        if (const std::string certificat = connexion->verification.Explique(code);
            !certificat.empty()) {
            tentative.description += "; " + certificat;
        }
        tentative.loginRefuse = code == CURLE_LOGIN_DENIED;
        tentative.genre = GenreOuverture(code, connexion->journal);
        tentative.reponse = connexion->journal.DernierRefus();
        tentative.ferme421 = connexion->journal.DernierRefus().rfind("421", 0) == 0;
        // A TLS handshake that fails on an implicit-TLS attempt usually meets
        // a clear-text greeting; STARTTLS refused, or no greeting at all (the
        // server waits for a TLS hello), means the server may want TLS from
        // the start. No message byte has gone out, and the other mode still
        // demands TLS, so trying it once never sends in clear.
        const bool sansAccueil =
            code == CURLE_OPERATION_TIMEDOUT && connexion->journal.Derniere().empty();
        if (sansAccueil && mode != ModeSession::TLSImplicite) {
            // Connected, yet not a word: libcurl only says its wait ran out.
            tentative.description = "No greeting from " + HotePort(reglages.hote, reglages.port) +
                                    " within " + std::to_string(SecondesReponse(attenteMs)) + " s";
        }
        tentative.autreMode =
            (mode == ModeSession::TLSImplicite && code == CURLE_SSL_CONNECT_ERROR) ||
            (mode == ModeSession::StartTLS && (code == CURLE_USE_SSL_FAILED || sansAccueil));
        return tentative;
    }
    std::optional<Login> login;
    if (reglages.authentification == 3 || reglages.authentification == 4) {
        login = LoginDuMoteur(reglages, connexion->capacites);
        if (!login) {
            tentative.description =
                reglages.authentification == 3
                    ? "Login denied - the server offers no PLAIN login"
                    : "Login denied - the server offers no OAUTHBEARER or XOAUTH2 login";
            tentative.loginRefuse = true;
            return tentative;
        }
    }
    // From here the dialogue is ours, and traced by the channel.
    curl_easy_setopt(curl, CURLOPT_VERBOSE, 0L);
    connexion->canal.emplace(curl);
    connexion->capacites.pipelining = connexion->capacites.pipelining && !sansPipelining_;
    connexion->transactions.emplace(*connexion->canal, connexion->capacites, attenteMs, trace_,
                                    std::move(login));
    connexion_ = std::move(connexion);
    tentative.ouverte = true;
    return tentative;
}

std::optional<Defaillance> ConnexionPop3(const ReglagesServeur& reglages) {
    VerifieHote(reglages.hote, "POP3");
    VerifiePort(reglages.port);
    // USER and PASS go to the server as typed: a line break would start a
    // command of its own.
    if (ALigne(reglages.utilisateur) || ALigne(reglages.motDePasse)) {
        throw EchecEnvoi(GenreEchec::Configuration,
                         "The POP3 user name or password holds a line break");
    }
    // Declared before the handle, which reports to them until it is gone.
    JournalReponses journal;
    char erreurs[CURL_ERROR_SIZE] = {};
    VerificationTLS verification;
    const PoigneeCurl poignee = NouvellePoigneeCurl();
    CURL* curl = poignee.get();
    ConfigureJournal(curl, journal, erreurs);
    verification.Configure(curl, reglages.confiance);
    ConfigureAttentes(curl, reglages.timeoutMs);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "pop3,pop3s");
    curl_easy_setopt(curl, CURLOPT_URL,
                     Url(reglages.ssl ? "pop3s" : "pop3", reglages.hote, reglages.port).c_str());
    curl_easy_setopt(curl, CURLOPT_USERNAME, reglages.utilisateur.c_str());
    curl_easy_setopt(curl, CURLOPT_PASSWORD, reglages.motDePasse.c_str());
    // Log in, then a command that lists nothing; QUIT follows when the
    // handle goes.
    curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, "NOOP");
    curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
    const CURLcode code = curl_easy_perform(curl);
    if (code == CURLE_OK) {
        return std::nullopt;
    }
    std::string texte = "POP3 login on " + reglages.hote + ":" + std::to_string(reglages.port) +
                        " failed: " + Decrit(code, erreurs, journal);
    if (const std::string certificat = verification.Explique(code); !certificat.empty()) {
        texte += "; " + certificat;
    }
    return Defaillance{GenreOuverture(code, journal), std::move(texte), journal.DernierRefus()};
}

std::pair<std::string, std::int32_t> HoteEtPort(std::string_view texte,
                                                std::int32_t portParDefaut) {
    std::string_view hote = texte;
    std::string_view port;
    if (!texte.empty() && texte.front() == '[') {
        const std::size_t fin = texte.find(']');
        if (fin != std::string_view::npos) {
            hote = texte.substr(1, fin - 1);
            if (fin + 1 < texte.size() && texte[fin + 1] == ':') {
                port = texte.substr(fin + 2);
            }
        }
    } else if (const std::size_t deuxPoints = texte.find(':');
               deuxPoints != std::string_view::npos &&
               texte.find(':', deuxPoints + 1) == std::string_view::npos) {
        // One colon: a port. More than one: a bare IPv6 address.
        hote = texte.substr(0, deuxPoints);
        port = texte.substr(deuxPoints + 1);
    }
    if (port.empty()) {
        return {std::string(hote), portParDefaut};
    }
    std::int32_t numero = 0;
    const auto [fin, erreur] = std::from_chars(port.data(), port.data() + port.size(), numero);
    if (erreur != std::errc() || fin != port.data() + port.size()) {
        throw EchecEnvoi(GenreEchec::Configuration,
                         "Invalid port in \"" + std::string(texte) + "\"");
    }
    return {std::string(hote), numero};
}

}  // namespace corvelle::smtp
