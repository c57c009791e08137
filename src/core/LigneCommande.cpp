#include "core/LigneCommande.h"

#include "core/Texte.h"

namespace corvelle {

namespace {

std::string Argument(const std::string& argument) {
    if (argument.size() < 2 || argument[0] != '/') {
        return argument;
    }
    const std::size_t deuxPoints = argument.find(':');
    const std::size_t finNom = argument.find_first_of(" /", 1);
    if (deuxPoints == std::string::npos || (finNom != std::string::npos && finNom < deuxPoints)) {
        return argument;
    }
    const std::string valeur = argument.substr(deuxPoints + 1);
    if (valeur.empty() || valeur.find('"') != std::string::npos) {
        // Empty, or quoted by the caller already: nothing to protect.
        return argument;
    }
    return argument.substr(0, deuxPoints + 1) + '"' + valeur + '"';
}

}  // namespace

std::string LigneCommandeDepuisArguments(const std::vector<std::string>& arguments) {
    Liste morceaux;
    morceaux.reserve(arguments.size());
    for (const std::string& argument : arguments) {
        morceaux.push_back(Argument(argument));
    }
    return Joint(morceaux, " ");
}

}  // namespace corvelle
