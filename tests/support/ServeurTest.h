#pragma once

// Real servers for the sending tests: tests/acceptance/serveur_smtp.py in a
// process of its own on a free loopback port, and test certificates made with
// the openssl program.

#include <sys/types.h>

#include <string>
#include <vector>

#include "support/DossierTemporaire.h"

namespace corvelle::test {

struct MessageRecu {
    std::string eml;   // the data as the server received it
    std::string json;  // envelope, connection number, TLS, user
};

class ServeurTest {
  public:
    // `mode`: plain, starttls, tls, muet or pop3; `options`: further arguments
    // (--auth, --refuse ADDRESS...). The TLS modes get the test certificate.
    explicit ServeurTest(const std::string& mode, const std::vector<std::string>& options = {});
    ServeurTest(const ServeurTest&) = delete;
    ServeurTest& operator=(const ServeurTest&) = delete;
    ~ServeurTest();

    [[nodiscard]] int Port() const { return port_; }
    [[nodiscard]] const DossierTemporaire& Dossier() const { return dossier_; }
    // The messages stored so far, in the order received.
    [[nodiscard]] std::vector<MessageRecu> Messages() const;

  private:
    void Arrete() noexcept;

    DossierTemporaire dossier_;
    pid_t pid_ = -1;
    int port_ = 0;
};

struct Certificats {
    std::string ca;          // the authority the tests trust
    std::string autreCa;     // an authority nobody trusts
    std::string certificat;  // 127.0.0.1 and localhost, signed by `ca`
    std::string cle;
};

// Made once for the whole run.
[[nodiscard]] const Certificats& CertificatsTest();

// A raw JSON value of the server's record ("true", "1", "\"a@b\"", "[...]").
[[nodiscard]] std::string ChampJson(const std::string& json, const std::string& nom);

}  // namespace corvelle::test
