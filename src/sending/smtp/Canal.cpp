#include "sending/smtp/Canal.h"

#include "core/Plateforme.h"

namespace corvelle::smtp {

CanalCurl::CanalCurl(CURL* curl) : curl_(curl) {
    curl_socket_t socket = CURL_SOCKET_BAD;
    if (curl_easy_getinfo(curl, CURLINFO_ACTIVESOCKET, &socket) != CURLE_OK ||
        socket == CURL_SOCKET_BAD) {
        throw CanalRompu("The connection to the server is not open");
    }
    socket_ = static_cast<std::int64_t>(socket);
}

std::size_t CanalCurl::Envoie(std::string_view octets) {
    std::size_t ecrits = 0;
    const CURLcode code = curl_easy_send(curl_, octets.data(), octets.size(), &ecrits);
    if (code == CURLE_AGAIN) {
        return 0;
    }
    if (code != CURLE_OK) {
        throw CanalRompu(std::string("Connection lost while sending: ") + curl_easy_strerror(code));
    }
    return ecrits;
}

std::size_t CanalCurl::Recoit(char* tampon, std::size_t taille) {
    std::size_t lus = 0;
    const CURLcode code = curl_easy_recv(curl_, tampon, taille, &lus);
    if (code == CURLE_AGAIN) {
        return 0;
    }
    if (code != CURLE_OK) {
        throw CanalRompu(std::string("Connection lost waiting for the server's reply: ") +
                         curl_easy_strerror(code));
    }
    if (lus == 0) {
        throw CanalRompu("Connection lost waiting for the server's reply: closed by the server");
    }
    return lus;
}

EtatCanal CanalCurl::Attend(bool ecriture, std::int32_t ms) {
    const plateforme::EtatSocket etat = plateforme::AttendSocket(socket_, ecriture, ms);
    return {etat.lisible, etat.inscriptible};
}

}  // namespace corvelle::smtp
