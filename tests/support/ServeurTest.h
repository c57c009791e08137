#pragma once

// A real SMTP server for the window tests that send: tests/acceptance/serveur_smtp.py
// in a process of its own on a free loopback port.

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
    // `mode`: plain, muet or pop3; `options`: further arguments (--auth,
    // --refuse ADDRESS...).
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

// A raw JSON value of the server's record ("true", "1", "\"a@b\"", "[...]").
[[nodiscard]] std::string ChampJson(const std::string& json, const std::string& nom);

}  // namespace corvelle::test
