// The command line up to the send request: any text gives a request or an
// error message, never a crash or an endless read; the value and HTML helpers
// behind it are driven directly too.

#include <string>
#include <variant>
#include <vector>

#include "Fuzz.h"
#include "app/Programme.h"
#include "core/Erreur.h"
#include "sending/LigneCommandeEnvoi.h"

using namespace corvelle;

namespace {

// Body files the command line may name, a folder for /l:, two configurations.
const Programme& EtatInitial() {
    static const Programme etat = [] {
        Programme e;
        e.DossierCourant = fuzz::Dossier().Chemin() + "/";
        test::EcritFichier(fuzz::Dossier() / "corps.txt", "Bonjour");
        test::EcritFichier(fuzz::Dossier() / "page.html", "<p>Bonjour<br>à tous</p>");
        test::EcritFichier(fuzz::Dossier() / "vide.txt", "");
        test::EcritFichier(fuzz::Dossier() / "journaux/.garde", "");
        e.ListeConfigsSMTP.resize(2);
        e.ListeConfigsSMTP[0].Nom = "Principal";
        e.ListeConfigsSMTP[1].Nom = "Secours";
        ChargeTraductions(e.Langage);
        return e;
    }();
    return etat;
}

void VerifieAnalyse(const std::variant<RequeteEnvoi, std::string>& analyse) {
    if (const auto* requete = std::get_if<RequeteEnvoi>(&analyse)) {
        fuzz::Verifie(!requete->objet.empty(), "a request has a subject");
        fuzz::Verifie(!requete->corpsTexte.empty() || !requete->corpsHTML.empty(),
                      "a request has a body");
    } else {
        fuzz::Verifie(!std::get<std::string>(analyse).empty(), "an error has a message");
    }
}

// The input as program arguments: one at each NUL byte.
std::vector<std::string> Arguments(const std::string& ligne) {
    std::vector<std::string> arguments(1);
    for (const char c : ligne) {
        c == '\0' ? arguments.emplace_back() : arguments.back().push_back(c);
    }
    return arguments;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* donnees, std::size_t taille) {
    const std::string ligne = fuzz::Entree(donnees, taille);

    try {
        Programme etat = EtatInitial();
        VerifieAnalyse(AnalyseLigneCommande(etat, ligne));
        etat = EtatInitial();
        VerifieAnalyse(AnalyseArguments(etat, Arguments(ligne)));
    } catch (const Erreur&) {
        // Reading a body file may fail outside the command line's own checks.
    }

    // Every start position of the first parameter's value, as the reader uses.
    for (std::size_t debut = 1; debut <= 6 && debut <= ligne.size() + 1; ++debut) {
        std::string reste = ligne;
        const std::string valeur = ExtraitValeur(reste, debut);
        fuzz::Verifie(reste.size() < ligne.size() || ligne.empty(), "a value always consumes");
        fuzz::Verifie(valeur.size() + reste.size() <= ligne.size(), "a value comes from the line");
    }

    const std::string texte = HtmlVersTexte(ligne);
    fuzz::Verifie(texte.size() <= ligne.size(), "plain text is never longer than its HTML");
    return 0;
}
