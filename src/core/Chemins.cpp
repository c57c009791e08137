#include "core/Chemins.h"

#include "core/Erreur.h"
#include "core/Plateforme.h"
#include "core/Texte.h"

namespace corvelle {

using plateforme::kSeparateur;

std::string AjouteBarre(std::string_view chemin) {
    std::string resultat(chemin);
    if (resultat.empty() || resultat.back() != kSeparateur) {
        resultat += kSeparateur;
    }
    return resultat;
}

std::string ExtraitDossier(std::string_view chemin) {
    const std::size_t p = chemin.rfind(kSeparateur);
    return p == std::string_view::npos ? std::string() : std::string(chemin.substr(0, p + 1));
}

bool ExisteFichier(const std::string& chemin, unsigned masque) noexcept {
    const std::optional<unsigned> attributs = plateforme::Attributs(chemin);
    if (!attributs) {
        return false;
    }
    if ((masque & plateforme::AttrDossier) == 0 && (*attributs & plateforme::AttrDossier) != 0) {
        return false;
    }
    return (*attributs & masque) == masque;
}

std::string CleNomFichier(std::string_view chemin) {
    return plateforme::kCasseDesNomsDeFichiers ? std::string(chemin) : Minuscules(chemin);
}

std::string CheminRelatif(std::string_view chemin, std::string_view base) {
    const std::string prefixe = AjouteBarre(base);
    if (chemin.size() >= prefixe.size() &&
        CleNomFichier(chemin.substr(0, prefixe.size())) == CleNomFichier(prefixe)) {
        return std::string(chemin.substr(prefixe.size()));
    }
    return std::string(chemin);
}

std::string CheminAbsolu(std::string_view chemin, std::string_view base) {
    if (chemin.empty()) {
        return {};
    }
    if (chemin.front() == kSeparateur || chemin.starts_with("./") || chemin.starts_with("../")) {
        return std::string(chemin);
    }
    return AjouteBarre(base) + std::string(chemin);
}

}  // namespace corvelle
