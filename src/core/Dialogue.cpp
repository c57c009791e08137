#include <iostream>

#include "core/Dialogue.h"

#include "core/Texte.h"

namespace corvelle {

namespace {

std::string Prefixe(Icone icone) {
    switch (icone) {
        case Icone::Critique:
            return "Erreur";
        case Icone::Exclamation:
            return "Attention";
        case Icone::Question:
            return "Question";
        case Icone::Information:
        case Icone::Aucune:
            break;
    }
    return "Information";
}

// Console text uses the system's line ends.
std::string SautsDeLigneConsole(std::string texte) {
    return Remplace(std::move(texte), "\r\n", "\n");
}

}  // namespace

Reponse DialogueConsole::Affiche(const Boite& boite) {
    std::cerr << boite.titre << " - " << Prefixe(boite.icone) << " : "
              << SautsDeLigneConsole(boite.texte) << "\n\n";
    std::cerr.flush();
    return boite.parDefaut;
}

}  // namespace corvelle
