#pragma once

// Owners of OpenSSL handles, and the certificate and key files read with
// them.

#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/x509.h>

#include <memory>
#include <string>

namespace corvelle::smtp {

template <typename T, void (*Libere)(T*)>
struct LibereOpenSSL {
    void operator()(T* objet) const noexcept { Libere(objet); }
};
using PoigneeBio = std::unique_ptr<BIO, LibereOpenSSL<BIO, BIO_free_all>>;
using PoigneeX509 = std::unique_ptr<X509, LibereOpenSSL<X509, X509_free>>;
using PoigneeCle = std::unique_ptr<EVP_PKEY, LibereOpenSSL<EVP_PKEY, EVP_PKEY_free>>;
using PoigneeCondense = std::unique_ptr<EVP_MD_CTX, LibereOpenSSL<EVP_MD_CTX, EVP_MD_CTX_free>>;

// The first certificate of a PEM file; raises EchecEnvoi naming the file.
[[nodiscard]] PoigneeX509 LitCertificat(const std::string& fichier);
// A PEM private key that no passphrase protects (none could be typed: the
// program often runs without a terminal); raises EchecEnvoi naming the file.
[[nodiscard]] PoigneeCle LitCle(const std::string& fichier);

// The digest of the certificate's DER encoding; the SHA-256 one, 32 bytes.
[[nodiscard]] std::string CondenseDer(X509* certificat, const EVP_MD* algorithme);
[[nodiscard]] inline std::string EmpreinteDer(X509* certificat) {
    return CondenseDer(certificat, EVP_sha256());
}
// "SHA256:" and the lowercase hex of a 32-byte digest.
[[nodiscard]] std::string TexteEmpreinte(const std::string& empreinte);

// Subject, issuer and expiry, on one line.
[[nodiscard]] std::string DecritCertificat(X509* certificat);

}  // namespace corvelle::smtp
