#include "sending/oauth/CacheJetons.h"

#include <nlohmann/json.hpp>

#include "core/Plateforme.h"

namespace corvelle::oauth {

namespace {

using nlohmann::json;

// The file's entries; none when it is missing, unreadable or not ours.
json Entrees(const std::string& fichier) {
    if (fichier.empty()) {
        return json::array();
    }
    try {
        json contenu = json::parse(plateforme::LitOctets(fichier, 1 << 20), nullptr, false);
        if (contenu.is_object() && contenu["jetons"].is_array()) {
            return contenu["jetons"];
        }
    } catch (const std::exception&) {
        // Missing or unreadable: as if empty, and written at the next token.
    }
    return json::array();
}

bool DuClient(const json& entree, const ClientOAuth& client) {
    return entree.is_object() && entree.value("url", "") == client.urlJeton &&
           entree.value("client", "") == client.identifiant &&
           entree.value("scope", "") == client.portee;
}

bool Valide(const json& entree, std::int64_t maintenant) {
    const auto expiration = entree.find("expire");
    return expiration != entree.end() && expiration->is_number_integer() &&
           expiration->get<std::int64_t>() > maintenant + kMargeExpiration &&
           entree.value("jeton", "") != "";
}

}  // namespace

std::optional<Jeton> CacheJetons::Cherche(const ClientOAuth& client,
                                          std::int64_t maintenant) const {
    for (const json& entree : Entrees(fichier_)) {
        if (DuClient(entree, client) && Valide(entree, maintenant)) {
            return Jeton{entree["jeton"].get<std::string>(), entree["expire"].get<std::int64_t>()};
        }
    }
    return std::nullopt;
}

bool CacheJetons::Garde(const ClientOAuth& client, const Jeton& jeton,
                        std::int64_t maintenant) const {
    json entrees = Autres(client, maintenant);
    entrees.push_back({{"url", client.urlJeton},
                       {"client", client.identifiant},
                       {"scope", client.portee},
                       {"jeton", jeton.valeur},
                       {"expire", jeton.expiration}});
    return Ecrit(entrees);
}

bool CacheJetons::Retire(const ClientOAuth& client, std::int64_t maintenant) const {
    return Ecrit(Autres(client, maintenant));
}

nlohmann::json CacheJetons::Autres(const ClientOAuth& client, std::int64_t maintenant) const {
    json entrees = json::array();
    for (json& entree : Entrees(fichier_)) {
        if (!DuClient(entree, client) && Valide(entree, maintenant)) {
            entrees.push_back(std::move(entree));
        }
    }
    return entrees;
}

bool CacheJetons::Ecrit(const nlohmann::json& entrees) const {
    if (fichier_.empty()) {
        return false;
    }
    try {
        // Made anew, so it is the user's alone whatever was done to the old
        // one's permissions.
        plateforme::SupprimeFichier(fichier_);
        plateforme::EcritFichierAtomique(fichier_, json{{"jetons", entrees}}.dump(1) + "\n");
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace corvelle::oauth
