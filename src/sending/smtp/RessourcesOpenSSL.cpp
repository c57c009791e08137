#include "sending/smtp/RessourcesOpenSSL.h"

#include <openssl/err.h>
#include <openssl/pem.h>

#include <ctime>
#include <new>

#include "sending/smtp/EchecEnvoi.h"

namespace corvelle::smtp {

namespace {

// OpenSSL's reason for the last failure, its queue emptied so that the next
// call starts clean.
std::string RaisonOpenSSL() {
    const unsigned long code = ERR_peek_last_error();
    ERR_clear_error();
    const char* raison = code != 0 ? ERR_reason_error_string(code) : nullptr;
    return raison ? raison : "not a PEM file";
}

PoigneeBio OuvreFichier(const std::string& fichier, std::string_view quoi) {
    PoigneeBio bio(BIO_new_file(fichier.c_str(), "r"));
    if (!bio) {
        ERR_clear_error();
        throw EchecEnvoi("The " + std::string(quoi) + " file \"" + fichier + "\" cannot be read");
    }
    return bio;
}

// No passphrase: OpenSSL would otherwise ask for one on the terminal, and
// wait.
int SansPhrase(char*, int, int, void*) {
    return 0;
}

std::string Nom(const X509_NAME* nom) {
    const PoigneeBio bio(BIO_new(BIO_s_mem()));
    if (!bio || X509_NAME_print_ex(bio.get(), nom, 0, XN_FLAG_RFC2253) < 0) {
        throw std::bad_alloc();
    }
    char* debut = nullptr;
    const long taille = BIO_get_mem_data(bio.get(), &debut);
    return {debut, static_cast<std::size_t>(taille)};
}

std::string Date(const ASN1_TIME* temps) {
    std::tm tm{};
    if (!temps || ASN1_TIME_to_tm(temps, &tm) != 1) {
        return "?";
    }
    char texte[32];
    std::strftime(texte, sizeof texte, "%Y-%m-%d %H:%M:%S UTC", &tm);
    return texte;
}

}  // namespace

PoigneeX509 LitCertificat(const std::string& fichier) {
    const PoigneeBio bio = OuvreFichier(fichier, "certificate");
    PoigneeX509 certificat(PEM_read_bio_X509(bio.get(), nullptr, &SansPhrase, nullptr));
    if (!certificat) {
        throw EchecEnvoi("The certificate file \"" + fichier +
                         "\" holds no PEM certificate: " + RaisonOpenSSL());
    }
    return certificat;
}

PoigneeCle LitCle(const std::string& fichier) {
    const PoigneeBio bio = OuvreFichier(fichier, "key");
    PoigneeCle cle(PEM_read_bio_PrivateKey(bio.get(), nullptr, &SansPhrase, nullptr));
    if (!cle) {
        throw EchecEnvoi("The key file \"" + fichier +
                         "\" holds no private key without a passphrase: " + RaisonOpenSSL());
    }
    return cle;
}

std::string CondenseDer(X509* certificat, const EVP_MD* algorithme) {
    unsigned char condense[EVP_MAX_MD_SIZE];
    unsigned int taille = 0;
    if (X509_digest(certificat, algorithme, condense, &taille) != 1) {
        throw std::bad_alloc();
    }
    return {reinterpret_cast<const char*>(condense), taille};
}

std::string TexteEmpreinte(const std::string& empreinte) {
    static constexpr char kChiffres[] = "0123456789abcdef";
    std::string texte = "SHA256:";
    for (const char octet : empreinte) {
        const auto u = static_cast<unsigned char>(octet);
        texte += kChiffres[u >> 4];
        texte += kChiffres[u & 0xF];
    }
    return texte;
}

std::string DecritCertificat(X509* certificat) {
    return "subject " + Nom(X509_get_subject_name(certificat)) + ", issuer " +
           Nom(X509_get_issuer_name(certificat)) + ", expires " +
           Date(X509_get0_notAfter(certificat));
}

}  // namespace corvelle::smtp
