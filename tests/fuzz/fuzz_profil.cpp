// The INI reader: any file loads; a key written into it reads back exactly as
// written, in memory and once saved and loaded again, and keys left alone keep
// their values through the save.

#include <optional>
#include <vector>

#include "Fuzz.h"
#include "config/Profil.h"
#include "core/Encodage.h"
#include "core/Erreur.h"
#include "core/Texte.h"

using namespace corvelle;

namespace {

// A section or key name the format can hold: no brackets, "=", ";", quotes
// or line breaks, no surrounding blanks.
std::string Nom(std::string_view brut, std::string_view parDefaut) {
    std::string nom;
    for (const char c : DecodeTexte(std::string(brut))) {
        if (std::string_view("[]=;\"'\r\n\t").find(c) == std::string_view::npos) {
            nom += c;
        }
    }
    const std::size_t debut = nom.find_first_not_of(' ');
    if (debut == std::string::npos) {
        return std::string(parDefaut);
    }
    return nom.substr(debut, nom.find_last_not_of(' ') - debut + 1);
}

std::size_t Caracteres(std::string_view texte) {
    std::size_t n = 0;
    for (const char c : texte) {
        n += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    }
    return n;
}

// "[section]" and "key=" names found in the text, with the sections they sit in.
std::vector<std::pair<std::string, std::string>> ClesDuTexte(const std::string& texte) {
    std::vector<std::pair<std::string, std::string>> cles;
    std::string section;
    std::size_t debut = 0;
    while (debut < texte.size() && cles.size() < 16) {
        std::size_t fin = texte.find('\n', debut);
        fin = fin == std::string::npos ? texte.size() : fin;
        const std::string_view ligne(texte.data() + debut, fin - debut);
        if (ligne.starts_with('[')) {
            section = Nom(ligne.substr(1, ligne.find(']') - 1), "s");
        } else if (const std::size_t egal = ligne.find('='); egal != std::string_view::npos) {
            cles.emplace_back(section, Nom(ligne.substr(0, egal), "k"));
        }
        debut = fin + 1;
    }
    return cles;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* donnees, std::size_t taille) {
    const std::string octets = fuzz::Entree(donnees, taille);
    const std::string chemin = fuzz::Dossier() / "profil.ini";
    test::EcritFichier(chemin, octets);

    std::optional<FichierProfil> charge;
    try {
        charge = FichierProfil::Charge(chemin);
    } catch (const Erreur&) {
        return 0;  // a file that is not text is refused, never read as empty
    }
    FichierProfil& profil = *charge;
    const std::string texte = profil.TexteComplet();
    auto cles = ClesDuTexte(texte);
    std::vector<std::optional<std::string>> avant;
    for (const auto& [section, cle] : cles) {
        avant.push_back(profil.Lit(section, cle));
    }

    // The new key: named after the input's first names, valued with its end.
    const std::string section = cles.empty() ? "Fuzz" : cles.front().first;
    const std::string cle = Nom(texte.substr(0, 12), "Cle") + "_";
    std::string valeur = DecodeTexte(octets.substr(octets.size() / 2));
    const bool refusee = valeur.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos ||
                         Caracteres(valeur) > FichierProfil::kLongueurMaxValeur;
    try {
        profil.Ecrit(section, cle, valeur);
        fuzz::Verifie(!refusee, "line breaks, NULs and over-long values are refused");
    } catch (const Erreur&) {
        fuzz::Verifie(refusee, "only line breaks, NULs and over-long values are refused");
        return 0;
    }
    fuzz::Verifie(profil.Lit(section, cle) == std::optional(valeur), "a written key reads back");
    profil.Enregistre();

    const FichierProfil relu = FichierProfil::Charge(chemin);
    fuzz::Verifie(relu.Lit(section, cle) == profil.Lit(section, cle), "a saved key reads back");
    for (std::size_t i = 0; i < cles.size(); ++i) {
        if (!EgauxSansCasse(cles[i].first, section) || !EgauxSansCasse(cles[i].second, cle)) {
            fuzz::Verifie(relu.Lit(cles[i].first, cles[i].second) == avant[i],
                          "other keys keep their values");
        }
    }
    return 0;
}
