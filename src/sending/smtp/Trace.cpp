#include "sending/smtp/Trace.h"

#include "core/Texte.h"

namespace corvelle::smtp {

namespace {

// Calls `f` with each line of `octets`, without its line break.
template <typename F>
void ParLigne(std::string_view octets, F&& f) {
    while (!octets.empty()) {
        const std::size_t fin = octets.find('\n');
        std::string_view ligne = octets.substr(0, fin);
        if (!ligne.empty() && ligne.back() == '\r') {
            ligne.remove_suffix(1);
        }
        f(ligne);
        octets.remove_prefix(fin == std::string_view::npos ? octets.size() : fin + 1);
    }
}

}  // namespace

// Shown on a terminal: a reply's control characters are written escaped.
void TraceSMTP::Ligne(std::string_view prefixe, std::string_view ligne) {
    std::string texte(prefixe);
    texte += Lisible(ligne);
    sortie_(texte);
}

void TraceSMTP::Envoye(std::string_view octets) {
    ParLigne(octets, [this](std::string_view ligne) {
        if (defi_) {
            Ligne("> ", "****");
            return;
        }
        // The mechanism stays; its initial response is the secret. The lines
        // after it in the same write are commands of a pipelined group.
        const std::size_t espace = ligne.find(' ', 5);
        if (EgauxSansCasse(ligne.substr(0, 5), "auth ") && espace != std::string_view::npos) {
            Ligne("> ", std::string(ligne.substr(0, espace)) + " ****");
            return;
        }
        Ligne("> ", ligne);
    });
}

void TraceSMTP::Recu(std::string_view octets) {
    ParLigne(octets, [this](std::string_view ligne) {
        Ligne("< ", ligne);
        if (!(ligne.size() >= 4 && ligne[3] == '-')) {
            defi_ = ligne.substr(0, 3) == "334";
        }
    });
}

void TraceSMTP::Contenu(std::size_t octets) {
    Ligne("> ", "[message: " + std::to_string(octets) + " bytes]");
}

void TraceSMTP::Info(std::string_view texte) {
    ParLigne(texte, [this](std::string_view ligne) { Ligne("* ", ligne); });
}

}  // namespace corvelle::smtp
