#include "i18n/Traduction.h"

#include <charconv>

#include "core/Erreur.h"
#include "core/Texte.h"

namespace corvelle {

FichierLangue FichierLangue::Charge(const std::string& chemin) {
    FichierLangue fichier;
    try {
        FichierProfil profil = FichierProfil::Charge(chemin);
        if (!profil.Existe()) {
            return fichier;
        }
        fichier.texte_ = profil.TexteComplet();
        fichier.texteMinuscule_ = Minuscules(fichier.texte_);
        fichier.profil_ = std::move(profil);
    } catch (const Erreur&) {
        // An unreadable translation leaves the interface in French.
    }
    return fichier;
}

namespace {

// Whether the line holding position `p` is a comment: a translator's note
// that names a block ("the <TXT_AIDE> block below") is not the block.
bool DansUnCommentaire(std::string_view texte, std::size_t p) {
    const std::size_t debutLigne = texte.find_last_of('\n', p);
    const std::size_t debut = debutLigne == std::string_view::npos ? 0 : debutLigne + 1;
    const std::size_t premier = texte.find_first_not_of(" \t", debut);
    return premier < p && texte[premier] == ';';
}

std::size_t ChercheMarqueur(std::string_view texte, std::string_view marqueur, std::size_t depuis) {
    std::size_t p = texte.find(marqueur, depuis);
    while (p != std::string_view::npos && DansUnCommentaire(texte, p)) {
        p = texte.find(marqueur, p + marqueur.size());
    }
    return p;
}

}  // namespace

std::optional<std::string> FichierLangue::Bloc(std::string_view cle) const {
    const std::string ouvrant = "<" + Minuscules(cle) + ">";
    const std::string fermant = "</" + Minuscules(cle) + ">";
    const std::size_t debut = ChercheMarqueur(texteMinuscule_, ouvrant, 0);
    if (debut == std::string::npos) {
        return std::nullopt;
    }
    const std::size_t debutTexte = debut + ouvrant.size();
    const std::size_t fin = ChercheMarqueur(texteMinuscule_, fermant, debutTexte);
    if (fin == std::string::npos) {
        return std::nullopt;
    }
    // Line breaks inside a block become CR LF like every other text, whatever
    // the file's own line ends.
    std::string bloc = Remplace(texte_.substr(debutTexte, fin - debutTexte), "\r\n", "\n");
    return Remplace(std::move(bloc), "\n", "\r\n");
}

std::string FichierLangue::Reglage(std::string_view cle, std::string_view defaut) const {
    return profil_ ? profil_->Lit(kSectionTraduction, cle, defaut) : std::string(defaut);
}

std::string FichierLangue::TraduitTexte(std::string_view cle, std::string_view defaut) const {
    if (!profil_) {
        return ConvertitSautsDeLigne(std::string(defaut));
    }
    std::string valeur = profil_->Lit(kSectionTraduction, cle, "");
    if (valeur.size() >= 2 && valeur.front() == '{' && valeur.back() == '}') {
        valeur = profil_->Lit(kSectionTraduction, valeur.substr(1, valeur.size() - 2), "");
    }
    if (valeur.empty()) {
        valeur = Bloc(cle).value_or(std::string(defaut));
    }
    return ConvertitSautsDeLigne(std::move(valeur));
}

std::string ConvertitSautsDeLigne(std::string texte) {
    texte = Remplace(std::move(texte), "'§'", "{167}");
    texte = Remplace(std::move(texte), "§", "\r\n");
    return Remplace(std::move(texte), "{167}", "'§'");
}

namespace detail {
std::string VersTexte(double v) {
    char tampon[32];
    const auto resultat = std::to_chars(tampon, tampon + sizeof tampon, v);
    return std::string(tampon, resultat.ptr);
}
}  // namespace detail

std::string FormateMessage(std::string texte, const std::vector<std::string>& valeurs) {
    // One pass over the message's own text: what a value brings in (a subject
    // such as "95%v") is written as it stands, never filled in turn.
    std::string resultat;
    resultat.reserve(texte.size());
    std::size_t suivante = 0;
    for (std::size_t i = 0; i < texte.size(); ++i) {
        if (texte[i] == '%' && i + 1 < texte.size() &&
            (texte[i + 1] == 'v' || texte[i + 1] == 'V')) {
            if (suivante < valeurs.size()) {
                resultat += valeurs[suivante];
            }
            ++suivante;
            ++i;
        } else {
            resultat += texte[i];
        }
    }
    return resultat;
}

}  // namespace corvelle
