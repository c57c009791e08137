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

std::size_t NombreCaracteres(std::string_view texte) {
    std::size_t caracteres = 0;
    for (const char c : texte) {
        caracteres += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    }
    return caracteres;
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

// The value as the file holds it: quoted when the reader would otherwise take
// its surrounding blanks or enclosing quotes away.
std::string ValeurStockee(std::string_view valeur) {
    if (SansBlancs(valeur).size() != valeur.size() ||
        SansGuillemets(valeur).size() != valeur.size()) {
        return "\"" + std::string(valeur) + "\"";
    }
    return std::string(valeur);
}

bool EstUtf16(std::string_view octets) {
    // A file of two bytes is too short to be taken as marked UTF-16.
    return octets.size() >= 3 && (octets.starts_with("\xFE\xFF") || octets.starts_with("\xFF\xFE"));
}

}  // namespace

ValeurRefusee::ValeurRefusee(std::string cle, Defaut defaut, std::size_t longueur)
    : Erreur(defaut == Defaut::Controle ? ErrArgumentInvalide : ErrDepassement,
             defaut == Defaut::Controle ? "line break in the value of " + cle
                                        : "the value of " + cle + " is too long to be read back"),
      cle_(std::move(cle)),
      defaut_(defaut),
      longueur_(longueur) {}

FichierProfil FichierProfil::Charge(std::string chemin) {
    FichierProfil profil;
    profil.chemin_ = std::move(chemin);
    // Reading a device or a pipe could wait for ever, and saving would put a
    // plain file in its place.
    if (plateforme::Nature(profil.chemin_) == plateforme::NatureChemin::Autre) {
        throw Erreur(ErrAccesChemin,
                     profil.chemin_ + " is not a regular file: settings are kept only in one");
    }
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
    const bool utf16 = EstUtf16(octets);
    const std::string texte = utf16 ? DecodeTexte(std::move(octets)) : std::move(octets);
    // No text file holds a NUL: read as empty, a damaged or binary file would
    // be rewritten with defaults over what it held.
    if (texte.find('\0') != std::string::npos) {
        throw Erreur(ErrFormatFichier, "not a text file: " + profil.chemin_);
    }
    const std::string_view reste = std::string_view(texte).starts_with("\xEF\xBB\xBF")
                                       ? std::string_view(texte).substr(3)
                                       : std::string_view(texte);
    std::size_t debut = 0;
    while (debut < reste.size()) {
        std::size_t fin = reste.find('\n', debut);
        if (fin == std::string_view::npos) {
            fin = reste.size();
        }
        std::string_view ligne = reste.substr(debut, fin - debut);
        if (!ligne.empty() && ligne.back() == '\r') {
            ligne.remove_suffix(1);
            profil.finDeLigne_ = "\r\n";  // keep the file's own line ends
        }
        if (utf16 || EstUtf8Valide(ligne)) {
            profil.lignes_.push_back({std::string(ligne), std::nullopt});
        } else {
            profil.lignes_.push_back({Windows1252VersUtf8(ligne), std::string(ligne)});
        }
        debut = fin + 1;
    }
    return profil;
}

std::optional<FichierProfil::Position> FichierProfil::TrouveSection(
    std::string_view section) const {
    for (std::size_t i = 0; i < lignes_.size(); ++i) {
        const auto nom = NomSection(lignes_[i].texte);
        if (nom && EgauxSansCasse(*nom, SansBlancs(section))) {
            std::size_t fin = i + 1;
            while (fin < lignes_.size() && !NomSection(lignes_[fin].texte)) {
                ++fin;
            }
            return Position{i + 1, fin};
        }
    }
    return std::nullopt;
}

std::optional<std::size_t> FichierProfil::TrouveCle(const Position& p, std::string_view cle) const {
    for (std::size_t i = p.debutSection; i < p.finSection; ++i) {
        const auto ligne = DecoupeLigneCle(lignes_[i].texte);
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
    return LimiteCaracteres(SansGuillemets(DecoupeLigneCle(lignes_[*ligne].texte)->valeur),
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
        throw ValeurRefusee(std::string(cle), ValeurRefusee::Defaut::Controle, 0);
    }
    if (valeur && NombreCaracteres(*valeur) > kLongueurMaxValeur) {
        throw ValeurRefusee(std::string(cle), ValeurRefusee::Defaut::TropLongue,
                            NombreCaracteres(*valeur));
    }
    const Ligne nouvelleLigne{valeur ? std::string(cle) + "=" + ValeurStockee(*valeur) : "",
                              std::nullopt};
    const auto position = TrouveSection(section);
    if (!position) {
        if (valeur) {
            lignes_.push_back({"[" + std::string(section) + "]", std::nullopt});
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
        while (insertion > position->debutSection &&
               SansBlancs(lignes_[insertion - 1].texte).empty()) {
            --insertion;
        }
        lignes_.insert(lignes_.begin() + static_cast<long>(insertion), nouvelleLigne);
    }
}

std::string FichierProfil::TexteComplet() const {
    std::string texte;
    for (const Ligne& ligne : lignes_) {
        texte += ligne.texte;
        texte += finDeLigne_;
    }
    return texte;
}

void FichierProfil::Enregistre() const {
    std::string contenu;
    for (const Ligne& ligne : lignes_) {
        // Windows-1252 bytes that would open the file with a UTF-16 mark
        // ("þÿ", "ÿþ") would get the whole file read as UTF-16: in UTF-8.
        const bool marque = contenu.empty() && ligne.octets && EstUtf16(*ligne.octets + "\n");
        contenu += marque ? ligne.texte : ligne.octets.value_or(ligne.texte);
        contenu += finDeLigne_;
    }
    plateforme::EcritFichierAtomique(chemin_, contenu);
}

void ModifieProfil(const std::string& fichier,
                   const std::function<bool(FichierProfil&)>& modification) {
    // Beside the file a link leads to, so every name of one file takes one
    // lock. The lock file stays: removing it would let two writers lock two
    // different files of the same name.
    const std::string reel = plateforme::CheminReel(fichier);
    const std::size_t barre = reel.rfind(plateforme::kSeparateur);
    const std::string verrou = reel.substr(0, barre + 1) + "." + reel.substr(barre + 1) + ".lock";
    const plateforme::VerrouExclusif tenu(verrou);
    FichierProfil profil = FichierProfil::Charge(fichier);
    if (modification(profil)) {
        profil.Enregistre();
    }
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
        ModifieProfil(fichier, [&](FichierProfil& profil) {
            profil.Ecrit(section, cle, valeur);
            return true;
        });
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace corvelle
