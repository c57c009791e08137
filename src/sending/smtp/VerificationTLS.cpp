#include "sending/smtp/VerificationTLS.h"

#include <openssl/ssl.h>

#include <optional>
#include <string_view>

#include "config/VerificationsSMTP.h"
#include "sending/smtp/EchecEnvoi.h"
#include "sending/smtp/RessourcesCurl.h"
#include "sending/smtp/RessourcesOpenSSL.h"

namespace corvelle::smtp {

namespace {

bool CurlAvecOpenSSL() {
    const curl_version_info_data* version = curl_version_info(CURLVERSION_NOW);
    return version && version->ssl_version &&
           std::string_view(version->ssl_version).starts_with("OpenSSL/");
}

}  // namespace

void VerificationTLS::Configure(CURL* curl, const ConfianceTLS& confiance) {
    ConfigureConfiance(curl);
    if (!confiance.fichierCA.empty()) {
        // Instead of the system's store and of the variables: an internal
        // relay's authority vouches for that server only.
        curl_easy_setopt(curl, CURLOPT_CAINFO, confiance.fichierCA.c_str());
        curl_easy_setopt(curl, CURLOPT_CAPATH, nullptr);
    }
    if (!confiance.certificatClient.empty()) {
        curl_easy_setopt(curl, CURLOPT_SSLCERT, confiance.certificatClient.c_str());
        curl_easy_setopt(curl, CURLOPT_SSLCERTTYPE, "PEM");
        if (!confiance.cleClient.empty()) {
            curl_easy_setopt(curl, CURLOPT_SSLKEY, confiance.cleClient.c_str());
            curl_easy_setopt(curl, CURLOPT_SSLKEYTYPE, "PEM");
        }
        // A key under a passphrase fails at once rather than asking for it
        // on a terminal.
        curl_easy_setopt(curl, CURLOPT_KEYPASSWD, "");
    }
    attendue_.clear();
    if (!confiance.empreinte.empty()) {
        const std::optional<std::string> empreinte = EmpreinteNormalisee(confiance.empreinte);
        if (!empreinte) {
            throw EchecEnvoi("Invalid pinned certificate fingerprint \"" + confiance.empreinte +
                             "\" (SHA256: and 64 hexadecimal digits)");
        }
        attendue_ = *empreinte;
        // The pin names the one certificate trusted: the name it was issued
        // for matters no more than who signed it.
        curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 0L);
    }
    // Another TLS library would hand over a context of its own kind.
    if (!CurlAvecOpenSSL() ||
        curl_easy_setopt(curl, CURLOPT_SSL_CTX_FUNCTION, &PrepareContexte) != CURLE_OK) {
        if (!attendue_.empty()) {
            throw EchecEnvoi(
                "A pinned certificate needs libcurl built with OpenSSL; this one cannot check it");
        }
        return;
    }
    curl_easy_setopt(curl, CURLOPT_SSL_CTX_DATA, this);
}

// Called for each connection before its handshake: the chain is checked by
// us, so the certificate is seen whatever the outcome and a pin is decided
// during the handshake, before any command goes over it.
CURLcode VerificationTLS::PrepareContexte(CURL*, void* contexte, void* moi) {
    SSL_CTX_set_cert_verify_callback(static_cast<SSL_CTX*>(contexte), &VerifieChaine, moi);
    return CURLE_OK;
}

int VerificationTLS::VerifieChaine(X509_STORE_CTX* chaine, void* donnees) {
    auto& moi = *static_cast<VerificationTLS*>(donnees);
    X509* certificat = X509_STORE_CTX_get0_cert(chaine);
    try {
        moi.recue_ = TexteEmpreinte(EmpreinteDer(certificat));
        moi.certificat_ = DecritCertificat(certificat);
    } catch (...) {
        // Out of memory: refused below when pinned, the text loses detail.
        moi.recue_.clear();
    }
    if (moi.attendue_.empty()) {
        return X509_verify_cert(chaine);
    }
    moi.refusee_ = moi.recue_ != moi.attendue_;
    X509_STORE_CTX_set_error(chaine,
                             moi.refusee_ ? X509_V_ERR_APPLICATION_VERIFICATION : X509_V_OK);
    return moi.refusee_ ? 0 : 1;
}

std::string VerificationTLS::Explique(CURLcode code) const {
    if (code != CURLE_PEER_FAILED_VERIFICATION || certificat_.empty()) {
        return {};
    }
    if (refusee_) {
        return "the server's certificate is not the pinned one: expected " + attendue_ +
               ", received " + recue_ + " (" + certificat_ + ")";
    }
    return "server certificate: " + certificat_ + ", " + recue_;
}

}  // namespace corvelle::smtp
