#include "sending/sendmail/OptionsSendmail.h"

#include <algorithm>
#include <string_view>

#include "core/Listes.h"
#include "core/Texte.h"

namespace corvelle::sendmail {

namespace {

// Letters that stand alone and may be bundled ("-ti"); those that take a
// value take the rest of the argument, or the next one ("-fa@b", "-f a@b").
constexpr std::string_view kDrapeaux = "tivmnGUIcs";
constexpr std::string_view kAvecValeur = "BbCFfhLNOoRrVXp";

std::string Majuscules(std::string_view texte) {
    std::string resultat = Elague(texte);
    std::transform(resultat.begin(), resultat.end(), resultat.begin(), [](char c) {
        return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    });
    return resultat;
}

bool Contient(std::string_view ensemble, char c) {
    return ensemble.find(c) != std::string_view::npos;
}

// "<a@b>" as programs pass it for -f; "<>" is the null sender of bounces.
std::string SansChevrons(std::string valeur) {
    valeur = Elague(valeur);
    if (valeur.size() >= 2 && valeur.front() == '<' && valeur.back() == '>') {
        return valeur.substr(1, valeur.size() - 2);
    }
    return valeur;
}

// -N: "never", or some of success, failure and delay.
std::optional<std::string> Notification(std::string_view valeur) {
    const std::string texte = Majuscules(valeur);
    if (texte == "NEVER") {
        return texte;
    }
    std::string resultat;
    for (const std::string& element : DecoupeListe(texte, ",")) {
        if (element != "SUCCESS" && element != "FAILURE" && element != "DELAY") {
            return std::nullopt;
        }
        resultat += (resultat.empty() ? "" : ",") + element;
    }
    if (resultat.empty()) {
        return std::nullopt;
    }
    return resultat;
}

// ENVID travels as xtext: any printable ASCII, at most 100 characters.
bool EnvidValide(std::string_view valeur) {
    if (valeur.empty() || valeur.size() > 100) {
        return false;
    }
    for (const char c : valeur) {
        if (c < '!' || c > '~') {
            return false;
        }
    }
    return true;
}

class Analyse {
  public:
    explicit Analyse(const std::vector<std::string>& arguments) : arguments_(arguments) {}

    AnalyseSendmail Lance() {
        bool options = true;
        for (i_ = 0; i_ < arguments_.size() && resultat_.erreur == ErreurOption::Aucune; ++i_) {
            const std::string& argument = arguments_[i_];
            if (options && argument == "--") {
                options = false;
            } else if (options && argument.starts_with("--")) {
                Longue(argument);
            } else if (options && argument.size() > 1 && argument.front() == '-') {
                Courtes(argument);
            } else {
                resultat_.options.destinataires.push_back(argument);
            }
        }
        return resultat_;
    }

  private:
    void Echoue(ErreurOption erreur, std::string option) {
        resultat_.erreur = erreur;
        resultat_.option = std::move(option);
    }

    // The value of an option: the rest of its argument, else the next one.
    std::optional<std::string> Valeur(const std::string& argument, std::size_t apres) {
        if (apres < argument.size()) {
            return argument.substr(apres);
        }
        if (i_ + 1 < arguments_.size()) {
            return arguments_[++i_];
        }
        return std::nullopt;
    }

    void Longue(const std::string& argument) {
        const std::size_t egal = argument.find('=');
        const std::string nom = argument.substr(0, egal);
        if (nom != "--conf") {
            Echoue(ErreurOption::Inconnue, nom);
            return;
        }
        if (egal != std::string::npos) {
            resultat_.options.configuration = argument.substr(egal + 1);
        } else if (i_ + 1 < arguments_.size()) {
            resultat_.options.configuration = arguments_[++i_];
        } else {
            Echoue(ErreurOption::ValeurManquante, nom);
        }
    }

    void Courtes(const std::string& argument) {
        for (std::size_t k = 1; k < argument.size(); ++k) {
            const char lettre = argument[k];
            if (Contient(kDrapeaux, lettre)) {
                Drapeau(lettre);
                continue;
            }
            const std::string option = std::string("-") + lettre;
            if (!Contient(kAvecValeur, lettre)) {
                Echoue(ErreurOption::Inconnue, option);
                return;
            }
            const std::optional<std::string> valeur = Valeur(argument, k + 1);
            if (!valeur) {
                Echoue(ErreurOption::ValeurManquante, option);
            } else {
                Applique(lettre, *valeur);
            }
            return;
        }
    }

    void Drapeau(char lettre) {
        OptionsSendmail& o = resultat_.options;
        if (lettre == 't') {
            o.lireEntetes = true;
        } else if (lettre == 'i') {
            o.pointFinal = false;
        } else if (lettre == 'v') {
            o.trace = true;
        }
        // -m, -n, -G, -U, -I, -c, -s: accepted and meaningless for a relay.
    }

    void Applique(char lettre, const std::string& valeur) {
        OptionsSendmail& o = resultat_.options;
        const std::string option = std::string("-") + lettre + " " + valeur;
        switch (lettre) {
            case 'f':
            case 'r':
                o.expediteurEnveloppe = SansChevrons(valeur);
                o.enveloppeDonnee = true;
                break;
            case 'F':
                o.nomComplet = valeur;
                break;
            case 'C':
                o.configuration = valeur;
                break;
            case 'o':
                // -oi as -i; the other -o settings (-oem, -odi, -odb...) do not
                // apply to a relay that sends at once.
                if (valeur == "i") {
                    o.pointFinal = false;
                }
                break;
            case 'b':
                if (valeur == "p") {
                    o.listeFileAttente = true;
                } else if (valeur != "m") {
                    Echoue(ErreurOption::ModeNonPrisEnCharge, "-b" + valeur);
                }
                break;
            case 'N':
                if (const std::optional<std::string> notify = Notification(valeur)) {
                    o.dsn.notify = *notify;
                } else {
                    Echoue(ErreurOption::ValeurInvalide, option);
                }
                break;
            case 'R': {
                const std::string ret = Majuscules(valeur);
                if (ret == "HDRS" || ret == "FULL") {
                    o.dsn.ret = ret;
                } else {
                    Echoue(ErreurOption::ValeurInvalide, option);
                }
                break;
            }
            case 'V':
                if (EnvidValide(valeur)) {
                    o.dsn.envid = valeur;
                } else {
                    Echoue(ErreurOption::ValeurInvalide, option);
                }
                break;
            default:
                // -B (body type), -h (hop count), -L, -O, -X, -p: taken, no use here.
                break;
        }
    }

    const std::vector<std::string>& arguments_;
    std::size_t i_ = 0;
    AnalyseSendmail resultat_;
};

}  // namespace

AnalyseSendmail AnalyseOptionsSendmail(const std::vector<std::string>& arguments) {
    return Analyse(arguments).Lance();
}

}  // namespace corvelle::sendmail
