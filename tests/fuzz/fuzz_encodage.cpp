// Text-file decoding: any bytes become valid UTF-8, and text that already is
// UTF-8 comes back unchanged.

#include "Fuzz.h"
#include "core/Encodage.h"
#include "core/Erreur.h"

using namespace corvelle;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* donnees, std::size_t taille) {
    const std::string octets = fuzz::Entree(donnees, taille);
    const std::string texte = DecodeTexte(octets);
    fuzz::Verifie(EstUtf8Valide(texte), "decoded text is UTF-8");
    fuzz::Verifie(EstUtf8Valide(Windows1252VersUtf8(octets)), "Windows-1252 gives UTF-8");
    fuzz::Verifie(EstUtf8Valide(Utf16LEVersUtf8(octets)), "UTF-16 gives UTF-8");
    if (EstUtf8Valide(octets) && !octets.starts_with("\xEF\xBB\xBF")) {
        fuzz::Verifie(texte == octets, "UTF-8 without a mark is kept");
    }
    fuzz::Verifie(DecodeTexte(texte) == texte || texte.starts_with("\xEF\xBB\xBF"),
                  "decoding decoded text changes nothing");

    const std::string chemin = fuzz::Dossier() / "texte.txt";
    test::EcritFichier(chemin, octets);
    try {
        fuzz::Verifie(LitFichierTexte(chemin) == texte, "the file reads as its bytes decode");
    } catch (const Erreur&) {
        fuzz::Verifie(octets.empty(), "only an empty file is an error");
    }
    return 0;
}
