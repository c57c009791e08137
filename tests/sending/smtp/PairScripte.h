#pragma once

// A server for the engine to talk to, byte by byte: each step waits for the
// exact bytes the client must have written since the step before, then
// offers its reply. Anything else written, or a step never reached, is left
// for the test to see; the client then finds nothing to read and times out,
// so a wrong exchange fails the test instead of hanging it.

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "sending/smtp/Canal.h"

namespace corvelle::smtp {

struct Pas {
    std::string attendu;  // what the client writes, exactly
    std::string reponse;  // what the server answers
    bool ferme = false;   // then the server closes the connection
};

class PairScripte : public Canal {
  public:
    explicit PairScripte(std::vector<Pas> script) : script_(std::move(script)) {}

    std::size_t Envoie(std::string_view octets) override {
        ecrit_ += octets;
        ++ecritures_;
        return octets.size();
    }
    std::size_t Recoit(char* tampon, std::size_t taille) override {
        Avance();
        if (aLire_.empty()) {
            if (ferme_) {
                throw CanalRompu("Connection lost: closed by the server");
            }
            return 0;
        }
        const std::size_t n = std::min(taille, aLire_.size());
        std::memcpy(tampon, aLire_.data(), n);
        aLire_.erase(0, n);
        return n;
    }
    EtatCanal Attend(bool ecriture, std::int32_t) override {
        Avance();
        return {!aLire_.empty() || ferme_, ecriture};
    }

    // Written but expected by no step.
    [[nodiscard]] const std::string& EnTrop() const { return ecrit_; }
    [[nodiscard]] std::size_t PasRestants() const { return script_.size() - pas_; }
    [[nodiscard]] int Ecritures() const { return ecritures_; }

  private:
    void Avance() {
        if (aLire_.empty() && !ferme_ && pas_ < script_.size() && ecrit_ == script_[pas_].attendu) {
            aLire_ = script_[pas_].reponse;
            ferme_ = script_[pas_].ferme;
            ecrit_.clear();
            ++pas_;
        }
    }

    std::vector<Pas> script_;
    std::size_t pas_ = 0;
    std::string ecrit_;
    std::string aLire_;
    bool ferme_ = false;
    int ecritures_ = 0;
};

}  // namespace corvelle::smtp
