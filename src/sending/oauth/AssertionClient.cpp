#include "sending/oauth/AssertionClient.h"

#include <openssl/err.h>
#include <openssl/rand.h>
#include <openssl/x509.h>

#include <nlohmann/json.hpp>
#include <vector>

#include "sending/smtp/EchecEnvoi.h"
#include "sending/smtp/RessourcesOpenSSL.h"

namespace corvelle::oauth {

namespace {

// Base64 with the URL's alphabet and no padding (RFC 7515, 2).
std::string Base64Url(std::string_view octets) {
    std::string texte(4 * ((octets.size() + 2) / 3) + 1, '\0');
    const int taille = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(texte.data()),
                                       reinterpret_cast<const unsigned char*>(octets.data()),
                                       static_cast<int>(octets.size()));
    texte.resize(static_cast<std::size_t>(taille));
    while (!texte.empty() && texte.back() == '=') {
        texte.pop_back();
    }
    for (char& c : texte) {
        c = c == '+' ? '-' : c == '/' ? '_' : c;
    }
    return texte;
}

// A random identifier, so that an endpoint can refuse an assertion replayed.
std::string Identifiant() {
    unsigned char octets[16];
    if (RAND_bytes(octets, sizeof octets) != 1) {
        throw smtp::EchecEnvoi("No random bytes for the OAuth2 client assertion");
    }
    return Base64Url({reinterpret_cast<const char*>(octets), sizeof octets});
}

std::string Signe(EVP_PKEY* cle, const std::string& texte) {
    const smtp::PoigneeCondense condense(EVP_MD_CTX_new());
    std::size_t taille = 0;
    const auto* octets = reinterpret_cast<const unsigned char*>(texte.data());
    if (!condense || EVP_DigestSignInit(condense.get(), nullptr, EVP_sha256(), nullptr, cle) != 1 ||
        EVP_DigestSign(condense.get(), nullptr, &taille, octets, texte.size()) != 1) {
        throw smtp::EchecEnvoi("The OAuth2 client assertion could not be signed");
    }
    std::string signature(taille, '\0');
    if (EVP_DigestSign(condense.get(), reinterpret_cast<unsigned char*>(signature.data()), &taille,
                       octets, texte.size()) != 1) {
        throw smtp::EchecEnvoi("The OAuth2 client assertion could not be signed");
    }
    signature.resize(taille);
    return signature;
}

}  // namespace

ResultatEnvoi<std::string> AssertionClient(const ClientOAuth& client, std::int64_t maintenant) {
    try {
        const smtp::PoigneeX509 certificat = smtp::LitCertificat(client.certificat);
        const smtp::PoigneeCle cle = smtp::LitCle(client.cle);
        if (EVP_PKEY_get_base_id(cle.get()) != EVP_PKEY_RSA) {
            return Defaillance{
                GenreEchec::Configuration,
                "The OAuth2 key \"" + client.cle + "\" is not an RSA key (RS256 signs with RSA)"};
        }
        // Signed with another key, the assertion would only be refused by
        // the endpoint, with a vaguer reason.
        if (X509_check_private_key(certificat.get(), cle.get()) != 1) {
            ERR_clear_error();
            return Defaillance{GenreEchec::Configuration,
                               "The OAuth2 key \"" + client.cle +
                                   "\" does not belong to the certificate \"" + client.certificat +
                                   "\""};
        }
        // Both thumbprints: providers that still read the SHA-1 one find it.
        const nlohmann::json entete = {
            {"alg", "RS256"},
            {"typ", "JWT"},
            {"x5t", Base64Url(smtp::CondenseDer(certificat.get(), EVP_sha1()))},
            {"x5t#S256", Base64Url(smtp::EmpreinteDer(certificat.get()))}};
        const nlohmann::json revendications = {{"aud", client.urlJeton},
                                               {"iss", client.identifiant},
                                               {"sub", client.identifiant},
                                               {"jti", Identifiant()},
                                               {"iat", maintenant},
                                               {"nbf", maintenant},
                                               {"exp", maintenant + kDureeAssertion}};
        const std::string signe = Base64Url(entete.dump()) + "." + Base64Url(revendications.dump());
        return signe + "." + Base64Url(Signe(cle.get(), signe));
    } catch (const smtp::EchecEnvoi& echec) {
        return Defaillance{GenreEchec::Configuration, echec.what()};
    }
}

}  // namespace corvelle::oauth
