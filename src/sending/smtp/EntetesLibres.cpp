#include "sending/smtp/EntetesLibres.h"

#include <algorithm>

#include "core/Texte.h"

namespace corvelle::smtp {

namespace {

// What the program builds from its own parameters: a second one would make
// the message ambiguous (two From, two Subject) or break its structure
// (Content-*); an address header has its own parameter, which checks it.
bool Reserve(std::string_view nom) {
    static constexpr std::string_view kReserves[] = {"from",
                                                     "to",
                                                     "cc",
                                                     "bcc",
                                                     "subject",
                                                     "date",
                                                     "message-id",
                                                     "mime-version",
                                                     "reply-to",
                                                     "sender",
                                                     "return-path",
                                                     "return-receipt-to",
                                                     "disposition-notification-to"};
    const std::string minuscules = Minuscules(nom);
    return minuscules.starts_with("content-") ||
           std::find(std::begin(kReserves), std::end(kReserves), minuscules) != std::end(kReserves);
}

// RFC 5322 field name: printable US-ASCII but the colon.
bool NomDeChamp(std::string_view nom) {
    return !nom.empty() && std::all_of(nom.begin(), nom.end(),
                                       [](char c) { return c >= 33 && c <= 126 && c != ':'; });
}

}  // namespace

RefusEntete LitEnteteLibre(std::string_view texte, EnteteLibre& entete) {
    const std::size_t deuxPoints = texte.find(':');
    if (deuxPoints == std::string_view::npos || deuxPoints == 0) {
        return RefusEntete::Forme;
    }
    const std::string_view nom = texte.substr(0, deuxPoints);
    if (!NomDeChamp(nom)) {
        return RefusEntete::Nom;
    }
    const std::string_view valeur = texte.substr(deuxPoints + 1);
    // A CR or LF would end the header and let the rest pass for another one;
    // a tab is the only control character a header value may hold.
    if (std::any_of(valeur.begin(), valeur.end(), [](char c) {
            const auto u = static_cast<unsigned char>(c);
            return (u < 0x20 && c != '\t') || u == 0x7F;
        })) {
        return RefusEntete::Saut;
    }
    if (Reserve(nom)) {
        return RefusEntete::Reserve;
    }
    entete.nom = std::string(nom);
    entete.valeur = Elague(valeur);
    return RefusEntete::Aucun;
}

bool DonneEntete(const EntetesLibres& entetes, std::string_view nom) {
    return std::any_of(entetes.begin(), entetes.end(),
                       [&](const EnteteLibre& e) { return EgauxSansCasse(e.nom, nom); });
}

}  // namespace corvelle::smtp
