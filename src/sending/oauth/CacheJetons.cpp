#include "sending/oauth/CacheJetons.h"

#include <filesystem>
#include <nlohmann/json.hpp>
#include <vector>

#include "core/Plateforme.h"

namespace corvelle::oauth {

namespace {

using nlohmann::json;
namespace fs = std::filesystem;

// One entry of the file.
struct Entree {
    std::string url;
    std::string client;
    std::string portee;
    Jeton jeton;
};

std::optional<std::string> Chaine(const json& objet, const char* cle) {
    const auto valeur = objet.find(cle);
    if (valeur == objet.end() || !valeur->is_string()) {
        return std::nullopt;
    }
    return valeur->get<std::string>();
}

// An entry damaged by hand or by another program (a field missing or of
// another type) reads as absent, so the others stay usable.
std::optional<Entree> LitEntree(const json& objet) {
    if (!objet.is_object()) {
        return std::nullopt;
    }
    const std::optional<std::string> url = Chaine(objet, "url");
    const std::optional<std::string> client = Chaine(objet, "client");
    const std::optional<std::string> portee = Chaine(objet, "scope");
    const std::optional<std::string> jeton = Chaine(objet, "jeton");
    const auto expire = objet.find("expire");
    if (!url || !client || !portee || !jeton || expire == objet.end() ||
        !expire->is_number_integer()) {
        return std::nullopt;
    }
    return Entree{*url, *client, *portee, Jeton{*jeton, expire->get<std::int64_t>()}};
}

// A token is a password while it lasts: a file that others may read is made
// the user's alone before its tokens are used, and one that cannot be (not a
// regular file, not ours) is not read at all.
bool RestreintAuProprietaire(const std::string& fichier) {
    std::error_code ec;
    const fs::file_status etat = fs::symlink_status(fichier, ec);
    if (ec || !fs::is_regular_file(etat)) {
        return false;
    }
    constexpr fs::perms kAutres = fs::perms::group_all | fs::perms::others_all;
    if ((etat.permissions() & kAutres) != fs::perms::none) {
        fs::permissions(fichier, fs::perms::owner_read | fs::perms::owner_write,
                        fs::perm_options::replace, ec);
    }
    return !ec;
}

// The file's entries; none when it is missing, unreadable or not ours.
std::vector<Entree> Entrees(const std::string& fichier) {
    std::vector<Entree> entrees;
    if (fichier.empty() || !RestreintAuProprietaire(fichier)) {
        return entrees;
    }
    try {
        const json contenu = json::parse(plateforme::LitOctets(fichier, 1 << 20), nullptr, false);
        const auto jetons = contenu.is_object() ? contenu.find("jetons") : contenu.end();
        if (jetons != contenu.end() && jetons->is_array()) {
            for (const json& objet : *jetons) {
                if (std::optional<Entree> entree = LitEntree(objet)) {
                    entrees.push_back(std::move(*entree));
                }
            }
        }
    } catch (const std::exception&) {
        // Unreadable: as if empty, and written at the next token.
    }
    return entrees;
}

bool DuClient(const Entree& entree, const ClientOAuth& client) {
    return entree.url == client.urlJeton && entree.client == client.identifiant &&
           entree.portee == client.portee;
}

bool Valide(const Entree& entree, std::int64_t maintenant) {
    return entree.jeton.expiration > maintenant + kMargeExpiration && !entree.jeton.valeur.empty();
}

// The other clients' tokens still valid.
std::vector<Entree> Autres(const std::string& fichier, const ClientOAuth& client,
                           std::int64_t maintenant) {
    std::vector<Entree> entrees;
    for (Entree& entree : Entrees(fichier)) {
        if (!DuClient(entree, client) && Valide(entree, maintenant)) {
            entrees.push_back(std::move(entree));
        }
    }
    return entrees;
}

bool Ecrit(const std::string& fichier, const std::vector<Entree>& entrees) {
    if (fichier.empty()) {
        return false;
    }
    try {
        json jetons = json::array();
        for (const Entree& e : entrees) {
            jetons.push_back({{"url", e.url},
                              {"client", e.client},
                              {"scope", e.portee},
                              {"jeton", e.jeton.valeur},
                              {"expire", e.jeton.expiration}});
        }
        // Made anew, so it is the user's alone whatever was done to the old
        // one's permissions.
        plateforme::SupprimeFichier(fichier);
        plateforme::EcritFichierAtomique(fichier, json{{"jetons", jetons}}.dump(1) + "\n");
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace

std::optional<Jeton> CacheJetons::Cherche(const ClientOAuth& client,
                                          std::int64_t maintenant) const {
    for (Entree& entree : Entrees(fichier_)) {
        if (DuClient(entree, client) && Valide(entree, maintenant)) {
            return std::move(entree.jeton);
        }
    }
    return std::nullopt;
}

bool CacheJetons::Garde(const ClientOAuth& client, const Jeton& jeton,
                        std::int64_t maintenant) const {
    std::vector<Entree> entrees = Autres(fichier_, client, maintenant);
    entrees.push_back({client.urlJeton, client.identifiant, client.portee, jeton});
    return Ecrit(fichier_, entrees);
}

bool CacheJetons::Retire(const ClientOAuth& client, std::int64_t maintenant) const {
    return Ecrit(fichier_, Autres(fichier_, client, maintenant));
}

}  // namespace corvelle::oauth
