#include "config/Profil.h"

#include "core/Encodage.h"
#include "core/Erreur.h"
#include "core/Plateforme.h"
#include "core/Texte.h"

namespace corvelle {

namespace {

std::string_view SansBlancs(std::string_view t) {
    const std::size_t debut = t.find_first_not_of(" \t");
    if (debut == std::string_view::npos) {
        return {};
    }
    const std::size_t fin = t.find_last_not_of(" \t");
    return t.substr(debut, fin - debut + 1);
}

// The name of a "[section]" line, or nothing for any other line.
std::optional<std::string_view> NomSection(std::string_view ligne) {
    const std::string_view t = SansBlancs(ligne);
    if (t.empty() || t.front() != '[') {
        return std::nullopt;
    }
    const std::size_t fin = t.find(']');
    return SansBlancs(
        t.substr(1, fin == std::string_view::npos ? std::string_view::npos : fin - 1));
}

struct LigneCle {
    std::string_view cle;
    std::string_view valeur;
};

std::optional<LigneCle> DecoupeLigneCle(std::string_view ligne) {
    const std::string_view t = SansBlancs(ligne);
    if (t.empty() || t.front() == ';') {
        return std::nullopt;
    }
    const std::size_t egal = t.find('=');
    if (egal == std::string_view::npos) {
        return std::nullopt;
    }
    return LigneCle{SansBlancs(t.substr(0, egal)), SansBlancs(t.substr(egal + 1))};
}

std::string SansGuillemets(std::string_view valeur) {
    if (valeur.size() >= 2 && (valeur.front() == '"' || valeur.front() == '\'') &&
        valeur.back() == valeur.front()) {
        valeur = valeur.substr(1, valeur.size() - 2);
    }
    return std::string(valeur);
}

// Cuts a UTF-8 text after `n` characters.
std::string LimiteCaracteres(std::string texte, std::size_t n) {
    std::size_t caracteres = 0;
    for (std::size_t i = 0; i < texte.size(); ++i) {
        if ((static_cast<unsigned char>(texte[i]) & 0xC0) != 0x80 && caracteres++ == n) {
            texte.resize(i);
            break;
        }
    }
    return texte;
}

// A NUL counts too: saved, it would get the whole file refused when read.
bool ContientSautDeLigne(std::string_view t) {
    return t.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

}  // namespace

FichierProfil FichierProfil::Charge(std::string chemin) {
    FichierProfil profil;
    profil.chemin_ = std::move(chemin);
    std::string octets;
    try {
        octets = plateforme::LitOctets(profil.chemin_);
    } catch (const Erreur& e) {
        if (e.Numero() != ErrFichierIntrouvable) {
            throw;
        }
        return profil;
    }
    profil.existe_ = true;
    const std::string texte = DecodeTexte(std::move(octets));
    // No text file holds a NUL: read as empty, a damaged or binary file would
    // be rewritten with defaults over what it held.
    if (texte.find('\0') != std::string::npos) {
        throw Erreur(ErrFormatFichier, "not a text file: " + profil.chemin_);
    }
    std::size_t debut = 0;
    while (debut < texte.size()) {
        std::size_t fin = texte.find('\n', debut);
        if (fin == std::string::npos) {
            fin = texte.size();
        }
        std::string ligne = texte.substr(debut, fin - debut);
        if (!ligne.empty() && ligne.back() == '\r') {
            ligne.pop_back();
            profil.finDeLigne_ = "\r\n";  // keep the file's own line ends
        }
        profil.lignes_.push_back(std::move(ligne));
        debut = fin + 1;
    }
    return profil;
}

std::optional<FichierProfil::Position> FichierProfil::TrouveSection(
    std::string_view section) const {
    for (std::size_t i = 0; i < lignes_.size(); ++i) {
        const auto nom = NomSection(lignes_[i]);
        if (nom && EgauxSansCasse(*nom, SansBlancs(section))) {
            std::size_t fin = i + 1;
            while (fin < lignes_.size() && !NomSection(lignes_[fin])) {
                ++fin;
            }
            return Position{i + 1, fin};
        }
    }
    return std::nullopt;
}

std::optional<std::size_t> FichierProfil::TrouveCle(const Position& p, std::string_view cle) const {
    for (std::size_t i = p.debutSection; i < p.finSection; ++i) {
        const auto ligne = DecoupeLigneCle(lignes_[i]);
        if (ligne && EgauxSansCasse(ligne->cle, SansBlancs(cle))) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<std::string> FichierProfil::Lit(std::string_view section,
                                              std::string_view cle) const {
    const auto position = TrouveSection(section);
    if (!position) {
        return std::nullopt;
    }
    const auto ligne = TrouveCle(*position, cle);
    if (!ligne) {
        return std::nullopt;
    }
    return LimiteCaracteres(SansGuillemets(DecoupeLigneCle(lignes_[*ligne])->valeur),
                            kLongueurMaxValeur);
}

std::string FichierProfil::Lit(std::string_view section, std::string_view cle,
                               std::string_view defaut) const {
    std::optional<std::string> valeur = Lit(section, cle);
    return valeur ? std::move(*valeur) : std::string(defaut);
}

void FichierProfil::Ecrit(std::string_view section, std::string_view cle,
                          std::optional<std::string_view> valeur) {
    if (ContientSautDeLigne(section) || ContientSautDeLigne(cle) ||
        (valeur && ContientSautDeLigne(*valeur))) {
        throw Erreur(ErrArgumentInvalide, "line break in the value of " + std::string(cle));
    }
    const std::string nouvelleLigne = valeur ? std::string(cle) + "=" + std::string(*valeur) : "";
    const auto position = TrouveSection(section);
    if (!position) {
        if (valeur) {
            lignes_.push_back("[" + std::string(section) + "]");
            lignes_.push_back(nouvelleLigne);
        }
        return;
    }
    if (const auto ligne = TrouveCle(*position, cle)) {
        if (valeur) {
            lignes_[*ligne] = nouvelleLigne;
            return;
        }
        // A file edited by hand may hold the key twice: removing only the
        // copy that is read would bring the other one back.
        Position reste = *position;
        for (auto copie = ligne; copie; copie = TrouveCle(reste, cle)) {
            lignes_.erase(lignes_.begin() + static_cast<long>(*copie));
            reste = {*copie, reste.finSection - 1};
        }
        return;
    }
    if (valeur) {
        // After the section's last non-blank line, so blank lines that part it
        // from the next section stay where they are.
        std::size_t insertion = position->finSection;
        while (insertion > position->debutSection && SansBlancs(lignes_[insertion - 1]).empty()) {
            --insertion;
        }
        lignes_.insert(lignes_.begin() + static_cast<long>(insertion), nouvelleLigne);
    }
}

std::string FichierProfil::TexteComplet() const {
    std::string texte;
    for (const std::string& ligne : lignes_) {
        texte += ligne;
        texte += finDeLigne_;
    }
    return texte;
}

void FichierProfil::Enregistre() const {
    plateforme::EcritFichierAtomique(chemin_, TexteComplet());
}

std::string LitParametre(const std::string& fichier, std::string_view section, std::string_view cle,
                         std::string_view defaut) {
    try {
        return FichierProfil::Charge(fichier).Lit(section, cle, defaut);
    } catch (const Erreur&) {
        return std::string(defaut);  // an unreadable file reads as a missing one
    }
}

bool EcritParametre(const std::string& fichier, std::string_view section, std::string_view cle,
                    std::optional<std::string_view> valeur) noexcept {
    try {
        FichierProfil profil = FichierProfil::Charge(fichier);
        profil.Ecrit(section, cle, valeur);
        profil.Enregistre();
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace corvelle
