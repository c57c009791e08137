#include "core/Erreur.h"

namespace corvelle {

namespace {

std::string DescriptionComplete(int numero, const std::string& detail) {
    std::string texte = TexteErreur(numero);
    if (!detail.empty()) {
        texte += " (" + detail + ")";
    }
    return texte;
}

}  // namespace

Erreur::Erreur(int numero, const std::string& detail)
    : std::runtime_error(DescriptionComplete(numero, detail)), numero_(numero) {}

std::string TexteErreur(int numero) {
    switch (numero) {
        case ErrArgumentInvalide:
            return "Invalid procedure call or argument";
        case ErrDepassement:
            return "Overflow";
        case ErrMemoire:
            return "Out of memory";
        case ErrInterne:
            return "Internal error";
        case ErrIndiceHorsLimites:
            return "Subscript out of range";
        case ErrTypeIncompatible:
            return "Type mismatch";
        case ErrFichierIntrouvable:
            return "File not found";
        case ErrFinDeFichier:
            return "Input past end of file";
        case ErrEntreeSortie:
            return "Device I/O error";
        case ErrPermissionRefusee:
            return "Permission denied";
        case ErrAccesChemin:
            return "Path/File access error";
        case ErrCheminIntrouvable:
            return "Path not found";
        case ErrFormatFichier:
            return "Invalid file format";
        case ErrCleDejaPresente:
            return "This key is already associated with an element of this collection";
        default:
            return "Application-defined or object-defined error";
    }
}

}  // namespace corvelle
