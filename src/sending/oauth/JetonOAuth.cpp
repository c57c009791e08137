#include "sending/oauth/JetonOAuth.h"

#include <chrono>
#include <nlohmann/json.hpp>

#include "core/Texte.h"
#include "sending/oauth/AssertionClient.h"
#include "sending/smtp/RessourcesCurl.h"

namespace corvelle::oauth {

namespace {

constexpr std::size_t kReponseMax = 64 * 1024;
// Without `expires_in`, a token is taken to last an hour, as providers grant.
constexpr std::int64_t kDureeParDefaut = 3600;

Defaillance EchecJeton(std::string texte, GenreEchec genre = GenreEchec::Configuration) {
    return {genre, std::move(texte), {}};
}

// An endpoint failing for now (RFC 9110: 408, 429, 5xx) may grant a token
// later; any other refusal waits for the settings to change.
GenreEchec GenreStatut(long statut) {
    return statut == 408 || statut == 429 || statut >= 500 ? GenreEchec::Temporaire
                                                           : GenreEchec::Configuration;
}

// What a provider writes may hold line breaks or controls: one line, printable.
std::string Texte(const nlohmann::json& objet, const char* cle) {
    const auto valeur = objet.find(cle);
    return valeur != objet.end() && valeur->is_string() ? Lisible(valeur->get<std::string>())
                                                        : std::string();
}

// `expires_in` is a number of seconds; some providers write it as a string.
std::int64_t Duree(const nlohmann::json& objet) {
    const auto valeur = objet.find("expires_in");
    if (valeur == objet.end()) {
        return kDureeParDefaut;
    }
    if (valeur->is_number_integer()) {
        return valeur->get<std::int64_t>();
    }
    if (valeur->is_string()) {
        try {
            return std::stoll(valeur->get<std::string>());
        } catch (const std::exception&) {
        }
    }
    return kDureeParDefaut;
}

std::size_t Recoit(char* donnees, std::size_t taille, std::size_t nombre, void* corps) {
    auto& texte = *static_cast<std::string*>(corps);
    const std::size_t octets = taille * nombre;
    if (texte.size() + octets > kReponseMax) {
        return 0;  // no token reply is that long: the transfer stops
    }
    texte.append(donnees, octets);
    return octets;
}

std::string Encode(CURL* curl, const std::string& texte) {
    char* encode = curl_easy_escape(curl, texte.data(), static_cast<int>(texte.size()));
    if (!encode) {
        throw std::bad_alloc();
    }
    std::string resultat(encode);
    curl_free(encode);
    return resultat;
}

}  // namespace

std::int64_t Maintenant() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

ResultatEnvoi<Jeton> LitReponseJeton(const std::string& url, long statut, std::string_view corps,
                                     std::int64_t maintenant) {
    const nlohmann::json reponse = nlohmann::json::parse(corps, nullptr, false);
    if (reponse.is_discarded() || !reponse.is_object()) {
        return EchecJeton("The token endpoint " + url + " did not answer with a token (HTTP " +
                              std::to_string(statut) + ", not JSON)",
                          GenreStatut(statut));
    }
    const std::string erreur = Texte(reponse, "error");
    if (!erreur.empty() || statut != 200) {
        std::string texte = "The token endpoint " + url + " refused the request (HTTP " +
                            std::to_string(statut) + ")";
        if (!erreur.empty()) {
            texte += ": " + erreur;
        }
        if (const std::string detail = Texte(reponse, "error_description"); !detail.empty()) {
            texte += ": " + detail;
        }
        return EchecJeton(texte, GenreStatut(statut));
    }
    Jeton jeton{Texte(reponse, "access_token"), maintenant + Duree(reponse)};
    const std::string type = Texte(reponse, "token_type");
    if (jeton.valeur.empty() || (!type.empty() && Minuscules(type) != "bearer")) {
        return EchecJeton("The token endpoint " + url + " answered without a bearer token");
    }
    return jeton;
}

ResultatEnvoi<Jeton> DemandeJeton(const ClientOAuth& client, std::int32_t timeoutMs) {
    if (client.urlJeton.rfind("https://", 0) != 0) {
        return EchecJeton("The token endpoint must be an https:// address: \"" +
                          Lisible(client.urlJeton) + "\"");
    }
    const smtp::PoigneeCurl poignee = smtp::NouvellePoigneeCurl();
    CURL* curl = poignee.get();
    // The secret goes in the body, never in the address, which servers log.
    std::string formulaire =
        "grant_type=client_credentials&client_id=" + Encode(curl, client.identifiant) +
        "&scope=" + Encode(curl, client.portee);
    if (client.certificat.empty()) {
        formulaire += "&client_secret=" + Encode(curl, client.secret);
    } else {
        const ResultatEnvoi<std::string> assertion = AssertionClient(client, Maintenant());
        if (!assertion.Reussi()) {
            return assertion.Erreur();
        }
        formulaire += "&client_assertion_type=" +
                      Encode(curl, "urn:ietf:params:oauth:client-assertion-type:jwt-bearer") +
                      "&client_assertion=" + Encode(curl, assertion.Valeur());
    }
    std::string corps;
    char erreurs[CURL_ERROR_SIZE] = {};
    smtp::ConfigureConfiance(curl);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "https");
    curl_easy_setopt(curl, CURLOPT_URL, client.urlJeton.c_str());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, formulaire.c_str());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Recoit);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &corps);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, erreurs);
    smtp::ConfigureAttentes(curl, timeoutMs);
    // Each wait is bounded, but an endpoint that drips its answer a byte at
    // a time never stalls: the whole request is bounded too, by the
    // connection's time-out and two more for the answer.
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, 3L * smtp::AttenteMs(timeoutMs));
    const CURLcode code = curl_easy_perform(curl);
    if (code != CURLE_OK) {
        const std::string raison = *erreurs ? erreurs : curl_easy_strerror(code);
        return EchecJeton("The token endpoint " + client.urlJeton +
                              (code == CURLE_OPERATION_TIMEDOUT ? " did not answer in time: "
                                                                : " could not be reached: ") +
                              raison,
                          smtp::GenreCurl(code));
    }
    long statut = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &statut);
    return LitReponseJeton(client.urlJeton, statut, corps, Maintenant());
}

}  // namespace corvelle::oauth
