// Translation files: any file loads, and every key it names — by a block, a
// reference in braces or a key line — translates to a text whose "§" marks
// have all become line breaks, except the quoted '§'. The "%v" filler fills
// the message's own markers, never one a value brings.

#include <algorithm>
#include <vector>

#include "Fuzz.h"
#include "core/Encodage.h"
#include "core/Texte.h"
#include "i18n/Traduction.h"

using namespace corvelle;

namespace {

// Names between two delimiters, at most a few of them.
void AjouteNoms(const std::string& texte, char ouvrant, char fermant,
                std::vector<std::string>& noms) {
    std::size_t debut = texte.find(ouvrant);
    while (debut != std::string::npos && noms.size() < 24) {
        const std::size_t fin = texte.find(fermant, debut + 1);
        if (fin == std::string::npos) {
            return;
        }
        noms.push_back(texte.substr(debut + 1, fin - debut - 1));
        debut = texte.find(ouvrant, fin + 1);
    }
}

void VerifieSauts(const std::string& traduit) {
    fuzz::Verifie(Remplace(traduit, "'§'", "").find("§") == std::string::npos,
                  "every unquoted § becomes a line break");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* donnees, std::size_t taille) {
    const std::string entree = fuzz::Entree(donnees, taille);
    const std::string chemin = fuzz::Dossier() / "langue.lng";
    test::EcritFichier(chemin, entree);
    const FichierLangue fichier = FichierLangue::Charge(chemin);

    std::vector<std::string> cles = {"TXT_OBJET", "MSG_ERREUR"};
    AjouteNoms(entree, '<', '>', cles);
    AjouteNoms(entree, '{', '}', cles);
    AjouteNoms(entree, '\n', '=', cles);
    for (const std::string& cle : cles) {
        VerifieSauts(fichier.TraduitTexte(cle, "défaut§ligne '§'"));
    }
    // Stray bytes could pair across a replacement; texts read are always UTF-8.
    if (EstUtf8Valide(entree)) {
        VerifieSauts(ConvertitSautsDeLigne(entree));
    }

    // The text up to the first NUL, then the values it separates.
    const std::size_t nul = entree.find('\0');
    std::vector<std::string> valeurs;
    if (nul != std::string::npos) {
        valeurs = Decoupe(std::string_view(entree).substr(nul + 1), std::string_view("\0", 1));
    }
    const std::string texte = entree.substr(0, nul);
    const std::string message = FormateMessage(texte, valeurs);
    // Placeholders are the message's own: values plain enough that they could
    // not form one, one for each marker, leave none behind.
    std::size_t marqueurs = 0;
    for (std::size_t i = 0; i + 1 < texte.size(); ++i) {
        marqueurs += texte[i] == '%' && (texte[i + 1] == 'v' || texte[i + 1] == 'V');
    }
    const bool simples = valeurs.size() >= marqueurs &&
                         std::all_of(valeurs.begin(), valeurs.end(), [](const std::string& v) {
                             return !v.empty() && v.find_first_of("%vV") == std::string::npos;
                         });
    fuzz::Verifie(!simples || Cherche(message, "%v", 1, Comparaison::Texte) == 0, "no %v is left");
    return 0;
}
