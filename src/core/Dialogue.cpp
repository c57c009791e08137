#include "core/Dialogue.h"

#include <iostream>

#include "core/Texte.h"

namespace corvelle {

Reponse DialogueConsole::Affiche(const Boite& boite) {
    const bool information =
        boite.reussite || boite.icone == Icone::Information || boite.icone == Icone::Aucune;
    const std::string& genre = information                      ? genres_[3]
                               : boite.icone == Icone::Critique ? genres_[0]
                               : boite.icone == Icone::Question ? genres_[2]
                                                                : genres_[1];
    // Console text uses the system's line ends.
    std::ostream& sortie = information && !boite.aparte ? std::cout : std::cerr;
    sortie << boite.titre << " - " << genre << ' ' << Remplace(boite.texte, "\r\n", "\n") << "\n\n";
    sortie.flush();
    return boite.parDefaut;
}

}  // namespace corvelle
