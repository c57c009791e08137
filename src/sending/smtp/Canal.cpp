#include "sending/smtp/Canal.h"

#include <algorithm>
#include <array>
#include <chrono>

#include "core/Plateforme.h"

namespace corvelle::smtp {

namespace {

// A reply line longer than this is no SMTP (RFC 5321 allows 512 bytes).
constexpr std::size_t kLigneMax = 64 * 1024;

std::string TexteAttente(std::int32_t ms) {
    return "No answer from the server within " + std::to_string(ms) + " ms (time-out)";
}

}  // namespace

Canal::Canal(CURL* curl, std::int32_t timeoutMs, TraceSMTP* trace)
    : curl_(curl), timeoutMs_(timeoutMs), trace_(trace) {
    curl_socket_t socket = CURL_SOCKET_BAD;
    if (curl_easy_getinfo(curl, CURLINFO_ACTIVESOCKET, &socket) != CURLE_OK ||
        socket == CURL_SOCKET_BAD) {
        throw CanalRompu("The connection to the server is not open");
    }
    socket_ = static_cast<std::int64_t>(socket);
}

bool Canal::Recoit() {
    std::array<char, 16384> tampon;  // filled by the read, no need to clear
    std::size_t lus = 0;
    const CURLcode code = curl_easy_recv(curl_, tampon.data(), tampon.size(), &lus);
    if (code == CURLE_AGAIN) {
        return false;
    }
    if (code != CURLE_OK) {
        throw CanalRompu(std::string("Connection lost waiting for the server's reply: ") +
                         curl_easy_strerror(code));
    }
    if (lus == 0) {
        throw CanalRompu("Connection lost waiting for the server's reply: closed by the server");
    }
    if (debut_ > 0) {
        recu_.erase(0, debut_);
        debut_ = 0;
    }
    recu_.append(tampon.data(), lus);
    return true;
}

bool Canal::ExtraitLigne(std::string& ligne) {
    const std::size_t fin = recu_.find('\n', debut_);
    if (fin == std::string::npos) {
        if (recu_.size() - debut_ > kLigneMax) {
            throw CanalRompu("The server's reply is not SMTP (a line without end)");
        }
        return false;
    }
    ligne.assign(recu_, debut_, fin - debut_);
    if (!ligne.empty() && ligne.back() == '\r') {
        ligne.pop_back();
    }
    debut_ = fin + 1;
    return true;
}

bool Canal::Ouvert() const noexcept {
    return debut_ == recu_.size() && !plateforme::AttendSocket(socket_, false, 0).lisible;
}

Reponse Canal::LitReponse() {
    // The whole reply must come within one time-out: a server dribbling
    // bytes cannot keep the sender waiting for ever.
    const auto limite = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs_);
    Reponse reponse;
    std::string ligne;
    for (bool fin = false; !fin;) {
        while (!ExtraitLigne(ligne)) {
            if (Recoit()) {
                continue;
            }
            const auto reste = std::chrono::duration_cast<std::chrono::milliseconds>(
                limite - std::chrono::steady_clock::now());
            if (reste.count() <= 0 ||
                !plateforme::AttendSocket(socket_, false, static_cast<std::int32_t>(reste.count()))
                     .lisible) {
                throw CanalMuet(TexteAttente(timeoutMs_));
            }
        }
        if (trace_) {
            trace_->Recu(ligne);
        }
        if (!reponse.texte.empty()) {
            reponse.texte += ' ';
        }
        reponse.texte += ligne;
        // "250-..." announces more lines; "250 ..." ends the reply.
        fin = !(ligne.size() >= 4 && ligne[3] == '-');
    }
    const std::string_view debut(reponse.texte.data(),
                                 std::min<std::size_t>(3, reponse.texte.size()));
    if (debut.size() == 3 && debut.find_first_not_of("0123456789") == std::string_view::npos) {
        reponse.code = std::stoi(std::string(debut));
    }
    return reponse;
}

void Canal::Ecrit(std::string_view octets, bool commandes) {
    if (trace_ && commandes) {
        trace_->Envoye(octets);
    }
    while (!octets.empty()) {
        std::size_t ecrits = 0;
        const CURLcode code = curl_easy_send(curl_, octets.data(), octets.size(), &ecrits);
        if (code == CURLE_OK) {
            octets.remove_prefix(ecrits);
            continue;
        }
        if (code != CURLE_AGAIN) {
            throw CanalRompu(std::string("Connection lost while sending: ") +
                             curl_easy_strerror(code));
        }
        const plateforme::EtatSocket etat = plateforme::AttendSocket(socket_, true, timeoutMs_);
        if (!etat.lisible && !etat.inscriptible) {
            throw CanalRompu("The server took no data within " + std::to_string(timeoutMs_) +
                             " ms (time-out)");
        }
        if (etat.lisible) {
            (void)Recoit();
        }
    }
}

}  // namespace corvelle::smtp
