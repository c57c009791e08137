#pragma once

// The trust of one connection: the authorities, a pinned certificate, a
// client certificate; and what the server showed, for a refusal's text.

#include <curl/curl.h>
#include <openssl/x509.h>

#include <string>

#include "sending/smtp/ConfianceTLS.h"

namespace corvelle::smtp {

// Lives as long as the handle it was configured on (the handshake calls it).
class VerificationTLS {
  public:
    VerificationTLS() = default;
    VerificationTLS(const VerificationTLS&) = delete;
    VerificationTLS& operator=(const VerificationTLS&) = delete;

    // Raises EchecEnvoi for a fingerprint that does not read, or a pin this
    // libcurl cannot check.
    void Configure(CURL* curl, const ConfianceTLS& confiance);

    // What a failed connection's text adds: for a certificate refused, the
    // expected and received fingerprints of a pin, then the certificate's
    // subject, issuer, expiry and SHA-256; empty for any other failure.
    [[nodiscard]] std::string Explique(CURLcode code) const;

  private:
    static CURLcode PrepareContexte(CURL* curl, void* contexte, void* moi);
    static int VerifieChaine(X509_STORE_CTX* chaine, void* moi);

    std::string attendue_;  // "SHA256:hex"; empty: the authorities decide
    std::string recue_;
    std::string certificat_;  // the server's, described
    bool refusee_ = false;
};

}  // namespace corvelle::smtp
