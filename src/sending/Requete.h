#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace corvelle {

// Everything one message needs, as the compose window and the command line
// hand it to the dispatch.
struct RequeteEnvoi {
    std::string expediteur;
    std::string reponse;
    std::string destinataires;  // recipient list texts (fic:, grp:, names)
    std::string copie;
    std::string copieCachee;
    std::string objet;
    std::string corpsTexte;  // empty: no text part
    std::string corpsHTML;   // empty: no HTML part
    std::string encodage;
    std::int32_t notification = 0;
    std::int32_t importance = 0;
    std::int32_t sensibilite = 0;
    std::vector<std::string> piecesJointes;  // names or patterns, absolute or relative
};

}  // namespace corvelle
