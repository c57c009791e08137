#include "sending/smtp/Transport.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <utility>

#include "core/Plateforme.h"
#include "sending/smtp/EchecEnvoi.h"

namespace corvelle::smtp {

namespace {

constexpr long kTimeoutParDefautMs = 60000;

// A host name goes into a URL: anything that could end the host part there
// (or a control character) is refused rather than reaching the server.
void VerifieHote(const std::string& hote, std::string_view role) {
    if (hote.empty()) {
        throw EchecEnvoi("No " + std::string(role) + " server given");
    }
    const bool mauvais = std::any_of(hote.begin(), hote.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u <= 0x20 || u == 0x7F || std::strchr("/?#@\\%\"<>", c) != nullptr;
    });
    if (mauvais) {
        throw EchecEnvoi("Invalid " + std::string(role) + " server name: \"" + hote + "\"");
    }
}

void VerifiePort(std::int32_t port) {
    if (port < 1 || port > 65535) {
        throw EchecEnvoi("Invalid port " + std::to_string(port) + " (1 to 65535)");
    }
}

std::string Url(const char* schema, const std::string& hote, std::int32_t port) {
    const bool ipv6 = hote.find(':') != std::string::npos && hote.front() != '[';
    return std::string(schema) + "://" + (ipv6 ? "[" + hote + "]" : hote) + ":" +
           std::to_string(port) + "/";
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

// libcurl reads no CA variable itself; people and tests set these to trust
// their own authority, as for the curl program. Read when a handle is made.
void ConfigureConfiance(CURL* curl) {
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    for (const char* variable : {"CURL_CA_BUNDLE", "SSL_CERT_FILE"}) {
        const std::string fichier = plateforme::VariableEnvironnement(variable);
        if (!fichier.empty()) {
            curl_easy_setopt(curl, CURLOPT_CAINFO, fichier.c_str());
            return;
        }
    }
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

std::size_t LitFlux(char* tampon, std::size_t taille, std::size_t nombre, void* flux) {
    const std::optional<std::size_t> lus =
        static_cast<FluxMessage*>(flux)->Lit(tampon, taille * nombre);
    return lus ? *lus : CURL_READFUNC_ABORT;
}

// Time-outs bound each wait (connection, every reply, a stalled upload), never
// the whole transfer: a large attachment may take minutes.
void ConfigureAttentes(CURL* curl, std::int32_t timeoutMs) {
    const long ms = timeoutMs > 0 ? static_cast<long>(timeoutMs) : kTimeoutParDefautMs;
    const long secondes = (ms + 999) / 1000;
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, ms);
    curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, secondes);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, secondes);
    // Time-outs without alarm signals: the resolver runs in its own thread,
    // and signal handling on every round trip costs a long dispatch dearly.
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
}

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

bool ALigne(const std::string& texte) {
    return texte.find_first_of("\r\n") != std::string::npos;
}

}  // namespace

void JournalReponses::Vide() {
    ligne_.clear();
    reponse_.clear();
    refus_.clear();
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
    }
    if (!reponse_.empty()) {
        reponse_ += ' ';
    }
    reponse_ += ligne_;
    // "250-..." announces more lines; "250 ..." ends the reply (RFC 5321, 4.2.1).
    complete_ = !(ligne_.size() >= 4 && ligne_[3] == '-');
    ligne_.clear();
    if (complete_ && !reponse_.empty() &&
        (reponse_[0] == '4' || reponse_[0] == '5' || reponse_.rfind("-ERR", 0) == 0)) {
        refus_ = reponse_;
    }
}

SessionSMTP::SessionSMTP() : curl_(NouvellePoigneeCurl()) {
    CURL* curl = curl_.get();
    ConfigureJournal(curl, journal_, erreurs_);
    ConfigureConfiance(curl);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "smtp,smtps");
    curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(curl, CURLOPT_READFUNCTION, &LitFlux);
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

Issue SessionSMTP::Envoie(const ReglagesServeur& reglages, const Enveloppe& enveloppe,
                          SourceMessage message) {
    VerifieHote(reglages.hote, "SMTP");
    VerifiePort(reglages.port);
    const std::string serveur = reglages.hote + ":" + std::to_string(reglages.port);
    if (serveur != serveurRetenu_) {
        modeRetenu_.reset();
        serveurRetenu_ = serveur;
    }
    std::string echecs;
    for (const ModeSession mode : ModesAEssayer(reglages)) {
        const Tentative tentative = Tente(mode, reglages, enveloppe, message);
        if (tentative.accepte) {
            modeRetenu_ = mode;
            return {true, tentative.description};
        }
        if (!echecs.empty()) {
            echecs += "; then ";
        }
        echecs +=
            reglages.ssl ? TexteMode(mode) + ": " + tentative.description : tentative.description;
        if (!tentative.autreMode) {
            break;
        }
    }
    return {false, echecs};
}

SessionSMTP::Tentative SessionSMTP::Tente(ModeSession mode, const ReglagesServeur& reglages,
                                          const Enveloppe& enveloppe, SourceMessage message) {
    CURL* curl = curl_.get();
    const char* schema = mode == ModeSession::TLSImplicite ? "smtps" : "smtp";
    curl_easy_setopt(curl, CURLOPT_URL, Url(schema, reglages.hote, reglages.port).c_str());
    curl_easy_setopt(curl, CURLOPT_USE_SSL,
                     mode == ModeSession::StartTLS ? static_cast<long>(CURLUSESSL_ALL)
                                                   : static_cast<long>(CURLUSESSL_NONE));
    ConfigureAttentes(curl, reglages.timeoutMs);

    const bool authentifie = reglages.authentification == 2 || reglages.authentification == 3;
    curl_easy_setopt(curl, CURLOPT_USERNAME, authentifie ? reglages.utilisateur.c_str() : nullptr);
    curl_easy_setopt(curl, CURLOPT_PASSWORD, authentifie ? reglages.motDePasse.c_str() : nullptr);
    curl_easy_setopt(curl, CURLOPT_LOGIN_OPTIONS,
                     !authentifie                     ? nullptr
                     : reglages.authentification == 2 ? "AUTH=LOGIN"
                                                      : "AUTH=PLAIN");

    ListeCurl destinataires;
    for (const std::string& destinataire : enveloppe.destinataires) {
        destinataires.Ajoute("<" + destinataire + ">");
    }
    curl_easy_setopt(curl, CURLOPT_MAIL_FROM, ("<" + enveloppe.expediteur + ">").c_str());
    curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, destinataires.get());

    FluxMessage flux(message);
    curl_easy_setopt(curl, CURLOPT_READDATA, &flux);
    journal_.Vide();
    const CURLcode code = curl_easy_perform(curl);
    // Neither outlives this attempt; the handle must not keep pointing at them.
    curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, nullptr);
    curl_easy_setopt(curl, CURLOPT_READDATA, nullptr);
    flux.Termine();

    Tentative tentative;
    if (code == CURLE_OK) {
        tentative.accepte = true;
        tentative.description =
            (journal_.Derniere().empty() ? std::string("Message accepted") : journal_.Derniere()) +
            " - session closed";
        return tentative;
    }
    tentative.description = code == CURLE_ABORTED_BY_CALLBACK && !flux.Erreur().empty()
                                ? flux.Erreur()
                                : Decrit(code, erreurs_, journal_);
    // A TLS handshake that fails on an implicit-TLS attempt usually meets a
    // clear-text greeting; STARTTLS refused means the server may want TLS
    // from the start. Both fail before any message byte has gone out, and the
    // other mode still demands TLS, so trying it once never sends in clear.
    tentative.autreMode = !flux.Commence() &&
                          ((mode == ModeSession::TLSImplicite && code == CURLE_SSL_CONNECT_ERROR) ||
                           (mode == ModeSession::StartTLS && code == CURLE_USE_SSL_FAILED));
    return tentative;
}

std::optional<std::string> ConnexionPop3(const ReglagesServeur& reglages) {
    VerifieHote(reglages.hote, "POP3");
    VerifiePort(reglages.port);
    // USER and PASS go to the server as typed: a line break would start a
    // command of its own.
    if (ALigne(reglages.utilisateur) || ALigne(reglages.motDePasse)) {
        throw EchecEnvoi("The POP3 user name or password holds a line break");
    }
    // Declared before the handle, which reports to them until it is gone.
    JournalReponses journal;
    char erreurs[CURL_ERROR_SIZE] = {};
    const PoigneeCurl poignee = NouvellePoigneeCurl();
    CURL* curl = poignee.get();
    ConfigureJournal(curl, journal, erreurs);
    ConfigureConfiance(curl);
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
    return "POP3 login on " + reglages.hote + ":" + std::to_string(reglages.port) +
           " failed: " + Decrit(code, erreurs, journal);
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
        throw EchecEnvoi("Invalid port in \"" + std::string(texte) + "\"");
    }
    return {std::string(hote), numero};
}

}  // namespace corvelle::smtp
