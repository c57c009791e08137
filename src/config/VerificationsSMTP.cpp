#include "config/VerificationsSMTP.h"

#include <algorithm>
#include <cctype>

#include "config/ConfigSMTP.h"
#include "core/Texte.h"

namespace corvelle {

namespace {

constexpr std::int32_t kPortMaximal = 65535;
constexpr std::int32_t kPortSMTP = 25;
constexpr std::int32_t kPortSSL = 465;

bool EstChiffre(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// The leading number of a text, as a person reads it: "025" and "25 " are 25,
// a text that does not start with a digit is 0. Capped above any port.
std::int32_t ValeurNumerique(std::string_view texte) {
    std::size_t i = 0;
    while (i < texte.size() && (texte[i] == ' ' || texte[i] == '\t')) {
        ++i;
    }
    std::int32_t valeur = 0;
    for (; i < texte.size() && EstChiffre(texte[i]); ++i) {
        valeur = std::min(valeur * 10 + (texte[i] - '0'), kPortMaximal + 1);
    }
    return valeur;
}

// A token command needs nothing else; the client-credentials flow needs its
// endpoint, its client id and the secret.
std::optional<RefusSMTP> VerifieOAuth(const SaisieSMTP& s) {
    if (!s.commandeJeton.empty()) {
        return std::nullopt;
    }
    if (!UrlOuTenantValide(s.urlJeton)) {
        return RefusSMTP{"MSG_ERREUR_CONF_SMTP_URL_JETON", ChampSMTP::UrlJeton};
    }
    if (s.clientOAuth.empty()) {
        return RefusSMTP{"MSG_ERREUR_CONF_SMTP_CLIENT_OAUTH", ChampSMTP::ClientOAuth};
    }
    if (s.password.empty()) {
        return RefusSMTP{"MSG_ERREUR_CONF_SMTP_PASSWORD", ChampSMTP::Password};
    }
    return std::nullopt;
}

}  // namespace

bool UrlOuTenantValide(std::string_view texte) {
    if (EstUrlJeton(texte)) {
        return texte.size() > kDebutUrlJeton.size();
    }
    return !texte.empty() && std::none_of(texte.begin(), texte.end(), [](char c) {
        return c == '/' || c == ':' || static_cast<unsigned char>(c) <= ' ';
    });
}

std::optional<std::int32_t> PortValide(std::string_view texte) {
    if (texte.empty()) {
        return std::nullopt;
    }
    for (const char c : texte) {
        if (!EstChiffre(c)) {
            return std::nullopt;
        }
    }
    const std::int32_t valeur = ValeurNumerique(texte);
    if (valeur > kPortMaximal) {
        return std::nullopt;
    }
    return valeur;
}

std::optional<RefusSMTP> VerifieSaisieSMTP(const SaisieSMTP& s) {
    if (s.serveur.empty()) {
        return RefusSMTP{"MSG_ERREUR_CONF_SMTP_SERVEUR", ChampSMTP::Serveur};
    }
    if (!PortValide(s.port)) {
        return RefusSMTP{"MSG_ERREUR_CONF_SMTP_PORT", ChampSMTP::Port};
    }
    if (s.identifiantsActifs && s.username.empty()) {
        return RefusSMTP{"MSG_ERREUR_CONF_SMTP_USERNAME", ChampSMTP::Username};
    }
    if (s.oauth) {
        if (std::optional<RefusSMTP> refus = VerifieOAuth(s)) {
            return refus;
        }
    } else if (s.identifiantsActifs && s.password.empty()) {
        return RefusSMTP{"MSG_ERREUR_CONF_SMTP_PASSWORD", ChampSMTP::Password};
    }
    if (s.serveurPopActif && s.serveurPop.empty()) {
        return RefusSMTP{"MSG_ERREUR_CONF_SMTP_SERVEUR_POP", ChampSMTP::ServeurPop};
    }
    return std::nullopt;
}

std::string PortApresSSL(const std::string& port, bool ssl) {
    const std::int32_t valeur = ValeurNumerique(port);
    if (ssl && valeur == kPortSMTP) {
        return std::to_string(kPortSSL);
    }
    if (!ssl && valeur == kPortSSL) {
        return std::to_string(kPortSMTP);
    }
    return port;
}

bool IdentifiantsRequis(std::int32_t code) {
    return code != AuthAucune;
}

bool ServeurPopRequis(std::int32_t code) {
    return code == AuthPop3;
}

std::string PremierDestinataire(std::string_view liste) {
    return Elague(liste.substr(0, liste.find(',')));
}

std::optional<std::string> EmpreinteNormalisee(std::string_view texte) {
    constexpr std::string_view kPrefixe = "sha256:";
    std::string chiffres = Minuscules(Elague(texte));
    if (chiffres.rfind(kPrefixe, 0) == 0) {
        chiffres.erase(0, kPrefixe.size());
    }
    // Colons only between pairs, as `openssl x509 -fingerprint` prints them.
    if (chiffres.size() == 95) {
        for (std::size_t i = 2; i < chiffres.size(); i += 3) {
            if (chiffres[i] != ':') {
                return std::nullopt;
            }
        }
        std::erase(chiffres, ':');
    }
    if (chiffres.size() != 64 || !std::all_of(chiffres.begin(), chiffres.end(), [](char c) {
            return std::isxdigit(static_cast<unsigned char>(c)) != 0;
        })) {
        return std::nullopt;
    }
    return "SHA256:" + chiffres;
}

}  // namespace corvelle
