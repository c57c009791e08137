// The command line up to the send request: any text gives a request or an
// error message, never a crash or an endless read; the value and HTML helpers
// behind it are driven directly too.

#include <variant>

#include "Fuzz.h"
#include "core/Erreur.h"
#include "core/EtatProgramme.h"
#include "sending/LigneCommandeEnvoi.h"

using namespace corvelle;

namespace {

// Body files the command line may name, a folder for /l:, two configurations.
const EtatProgramme& EtatInitial() {
    static const EtatProgramme etat = [] {
        EtatProgramme e;
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* donnees, std::size_t taille) {
    const std::string ligne = fuzz::Entree(donnees, taille);

    EtatProgramme etat = EtatInitial();
    try {
        const auto analyse = AnalyseLigneCommande(etat, ligne);
        if (const auto* requete = std::get_if<RequeteEnvoi>(&analyse)) {
            fuzz::Verifie(!requete->objet.empty(), "a request has a subject");
            fuzz::Verifie(!requete->corpsTexte.empty() || !requete->corpsHTML.empty(),
                          "a request has a body");
        } else {
            fuzz::Verifie(!std::get<std::string>(analyse).empty(), "an error has a message");
        }
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
