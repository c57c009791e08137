#include "sending/smtp/MessageEntrant.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "sending/smtp/Adresses.h"
#include "sending/smtp/EchecEnvoi.h"
#include "sending/smtp/JeuCaracteres.h"
#include "sending/smtp/MessageMime.h"
#include "sending/smtp/RessourcesGMime.h"

namespace corvelle::smtp {

namespace {

constexpr std::string_view kFinLigne = "\r\n";

// A header field as given: its name and its lines, continuation lines
// included, each without its line end.
struct Champ {
    std::string nom;
    std::vector<std::string> lignes;

    [[nodiscard]] bool Est(std::string_view autre) const {
        if (nom.size() != autre.size()) {
            return false;
        }
        for (std::size_t i = 0; i < nom.size(); ++i) {
            const auto minuscule = [](char c) {
                return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
            };
            if (minuscule(nom[i]) != minuscule(autre[i])) {
                return false;
            }
        }
        return true;
    }

    // The value unfolded: what follows the colon, continuation lines joined.
    [[nodiscard]] std::string Valeur() const {
        std::string valeur = lignes.front().substr(nom.size() + 1);
        for (std::size_t i = 1; i < lignes.size(); ++i) {
            valeur += lignes[i];
        }
        return valeur;
    }
};

// "Name:" with a name of printable characters other than the colon.
std::optional<std::string> NomChamp(std::string_view ligne) {
    const std::size_t deuxPoints = ligne.find(':');
    if (deuxPoints == 0 || deuxPoints == std::string_view::npos) {
        return std::nullopt;
    }
    for (const char c : ligne.substr(0, deuxPoints)) {
        if (c < '!' || c > '~') {
            return std::nullopt;
        }
    }
    return std::string(ligne.substr(0, deuxPoints));
}

// The message's lines without their line ends, up to a lone dot when that
// ends it. A CR that ends no line is a line end too in the body, where tools
// print progress with it; in a header it becomes a space, so that it can
// never start a field of its own.
class Lecteur {
  public:
    Lecteur(std::istream& entree, bool pointFinal) : entree_(entree), pointFinal_(pointFinal) {}

    std::optional<std::string> Suivante() {
        if (!attente_.empty()) {
            std::string ligne = std::move(attente_.front());
            attente_.erase(attente_.begin());
            return ligne;
        }
        std::string ligne;
        if (fini_ || !std::getline(entree_, ligne)) {
            fini_ = true;
            return std::nullopt;
        }
        lu_ = true;
        if (ligne.find('\0') != std::string::npos) {
            throw EntreeRefusee(DefautEntree::OctetNul, {});
        }
        if (!ligne.empty() && ligne.back() == '\r') {
            ligne.pop_back();
        }
        if (pointFinal_ && ligne == ".") {
            fini_ = true;
            return std::nullopt;
        }
        if (ligne.find('\r') == std::string::npos) {
            return ligne;
        }
        if (dansEntetes_) {
            std::replace(ligne.begin(), ligne.end(), '\r', ' ');
            return ligne;
        }
        std::size_t debut = 0;
        for (std::size_t cr = ligne.find('\r'); cr != std::string::npos;
             cr = ligne.find('\r', debut)) {
            attente_.push_back(ligne.substr(debut, cr - debut));
            debut = cr + 1;
        }
        attente_.push_back(ligne.substr(debut));
        return Suivante();
    }

    void FinEntetes() { dansEntetes_ = false; }
    [[nodiscard]] bool RienLu() const { return !lu_; }

  private:
    std::istream& entree_;
    bool pointFinal_;
    bool dansEntetes_ = true;
    bool fini_ = false;
    bool lu_ = false;
    std::vector<std::string> attente_;
};

std::string LigneFrom(const ReglesEntree& regles) {
    const ObjetG<InternetAddress> boite(internet_address_mailbox_new(
        regles.nomComplet.empty() ? nullptr : regles.nomComplet.c_str(),
        regles.expediteur.c_str()));
    const OptionsFormat options = OptionsSMTP();
    const TexteG texte(internet_address_to_string(boite.get(), options.get(), TRUE));
    return "From: " + std::string(texte.get());
}

std::string LigneDate() {
    const DateG maintenant(g_date_time_new_now_local());
    const TexteG texte(g_mime_utils_header_format_date(maintenant.get()));
    return "Date: " + std::string(texte.get());
}

std::string Domaine(const std::string& boite) {
    const std::size_t arobase = boite.rfind('@');
    return arobase == std::string::npos ? "localhost" : boite.substr(arobase + 1);
}

// Letters, digits and what else a local part may hold unquoted (RFC 5322
// atext), with dots.
bool NomSeul(std::string_view entree) {
    constexpr std::string_view kAutres = ".!#$%&'*+-/=?^_`{|}~";
    return !entree.empty() && std::all_of(entree.begin(), entree.end(), [&](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               kAutres.find(c) != std::string_view::npos;
    });
}

void AjouteDestinataires(const Champ& champ, const std::string& suffixe,
                         std::vector<std::string>& destinataires) {
    try {
        AjouteBoites(CompleteNomsSeuls(champ.Valeur(), suffixe), JeuCaracteres("utf-8"), champ.nom,
                     destinataires);
    } catch (const EchecEnvoi& echec) {
        throw EntreeRefusee(DefautEntree::AdresseIllisible, champ.nom + ": " + echec.what());
    }
}

}  // namespace

std::string CompleteNomsSeuls(std::string_view liste, std::string_view suffixe) {
    std::optional<std::vector<std::string>> entrees = DecoupeAdresses(liste);
    if (!entrees || suffixe.empty()) {
        return std::string(liste);
    }
    std::string complete;
    for (std::string& entree : *entrees) {
        if (NomSeul(entree)) {
            entree += '@';
            entree += suffixe;
        }
        complete += (complete.empty() ? "" : ", ") + entree;
    }
    return complete;
}

std::optional<Boite> LitBoite(std::string_view texte) {
    try {
        const Adresses lu = LitAdresses(texte, JeuCaracteres("utf-8"), "sender");
        if (lu.boites.size() != 1 || internet_address_list_length(lu.liste.get()) != 1) {
            return std::nullopt;
        }
        const char* nom =
            internet_address_get_name(internet_address_list_get_address(lu.liste.get(), 0));
        return Boite{lu.boites.front(), nom ? nom : ""};
    } catch (const EchecEnvoi&) {
        return std::nullopt;
    }
}

std::vector<std::string> BoitesDeListe(std::string_view liste, std::string_view suffixe) {
    std::vector<std::string> boites;
    try {
        AjouteBoites(CompleteNomsSeuls(liste, suffixe), JeuCaracteres("utf-8"), "recipient",
                     boites);
    } catch (const EchecEnvoi& echec) {
        throw EntreeRefusee(DefautEntree::AdresseIllisible, echec.what());
    }
    return boites;
}

MessageEntrant LitMessageEntrant(std::istream& entree, const ReglesEntree& regles) {
    InitialiseGMime();
    Lecteur lecteur(entree, regles.pointFinal);
    std::vector<Champ> champs;
    std::optional<std::string> ligne = lecteur.Suivante();
    // The header block ends at the blank line, or at the first line that is
    // neither a field nor a continuation: that one starts the body.
    for (; ligne && !ligne->empty(); ligne = lecteur.Suivante()) {
        const bool suite = (ligne->front() == ' ' || ligne->front() == '\t') && !champs.empty();
        if (suite) {
            champs.back().lignes.push_back(std::move(*ligne));
        } else if (std::optional<std::string> nom = NomChamp(*ligne)) {
            champs.push_back({std::move(*nom), {std::move(*ligne)}});
        } else {
            break;
        }
    }
    const bool separateur = ligne && ligne->empty();
    lecteur.FinEntetes();
    if (lecteur.RienLu() || (champs.empty() && !ligne)) {
        throw EntreeRefusee(DefautEntree::Vide, {});
    }

    MessageEntrant message;
    bool date = false;
    bool identifiant = false;
    bool from = false;
    for (const Champ& champ : champs) {
        date = date || champ.Est("Date");
        identifiant = identifiant || champ.Est("Message-ID");
        from = from || champ.Est("From");
        if (regles.lireEntetes && (champ.Est("To") || champ.Est("Cc") || champ.Est("Bcc"))) {
            AjouteDestinataires(champ, regles.suffixe, message.destinataires);
        }
        if (champ.Est("Bcc")) {
            continue;
        }
        for (const std::string& l : champ.lignes) {
            message.octets += l;
            message.octets += kFinLigne;
        }
    }
    if (!from && !regles.expediteur.empty()) {
        message.octets += LigneFrom(regles);
        message.octets += kFinLigne;
    }
    if (!date) {
        message.octets += LigneDate();
        message.octets += kFinLigne;
    }
    if (!identifiant) {
        message.octets += "Message-ID: <" + NouvelIdentifiant(Domaine(regles.expediteur)) + ">";
        message.octets += kFinLigne;
    }
    message.octets += kFinLigne;
    // The blank line was read; a body that starts without one keeps its line.
    if (separateur) {
        ligne = lecteur.Suivante();
    }
    for (; ligne; ligne = lecteur.Suivante()) {
        message.octets += *ligne;
        message.octets += kFinLigne;
    }
    for (const char c : message.octets) {
        if (static_cast<unsigned char>(c) > 127) {
            message.huitBits = true;
            break;
        }
    }
    return message;
}

}  // namespace corvelle::smtp
