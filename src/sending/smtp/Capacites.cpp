#include "sending/smtp/Capacites.h"

#include <charconv>

#include "core/Texte.h"

namespace corvelle::smtp {

Capacites LitCapacites(const std::vector<std::string>& lignes) {
    Capacites capacites;
    for (std::size_t i = 1; i < lignes.size(); ++i) {
        if (lignes[i].size() <= 4) {
            continue;
        }
        const std::string texte = lignes[i].substr(4);
        const std::size_t espace = texte.find(' ');
        const std::string mot = Minuscules(texte.substr(0, espace));
        if (mot == "pipelining") {
            capacites.pipelining = true;
        } else if (mot == "chunking") {
            capacites.chunking = true;
        } else if (mot == "dsn") {
            capacites.dsn = true;
        } else if (mot == "8bitmime") {
            capacites.huitBitsMime = true;
        } else if (mot == "smtputf8") {
            capacites.smtputf8 = true;
        } else if (mot == "auth") {
            const std::string liste = espace == std::string::npos ? "" : texte.substr(espace + 1);
            for (const std::string& mecanisme : Decoupe(liste, " ")) {
                if (!mecanisme.empty()) {
                    capacites.mecanismes.push_back(Minuscules(mecanisme));
                }
            }
            // "AUTH" without a mechanism offers nothing to log in with.
            capacites.auth = !capacites.mecanismes.empty();
        } else if (mot == "size" && espace != std::string::npos) {
            std::uint64_t limite = 0;
            const char* debut = texte.data() + espace + 1;
            const char* fin = texte.data() + texte.size();
            // "SIZE" alone or "SIZE 0" declares no limit.
            if (std::from_chars(debut, fin, limite).ec == std::errc() && limite > 0) {
                capacites.tailleMax = limite;
            }
        }
    }
    return capacites;
}

}  // namespace corvelle::smtp
