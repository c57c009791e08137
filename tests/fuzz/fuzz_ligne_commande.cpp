// The command line up to the send request: any text gives a request or an
// error message, never a crash or an endless read; the value and HTML helpers
// behind it are driven directly too.

#include <cstdio>
#include <string>
#include <vector>

#include "Fuzz.h"
#include "i18n/Langue.h"
#include "sending/HtmlVersTexte.h"
#include "sending/LigneCommandeEnvoi.h"

using namespace corvelle;

namespace {

// Body files the command line may name, a folder for /l:, two configurations.
struct Cadre {
    Langue langue;
    ListeConfigs configs;
    Demande depart;
};

const Cadre& CadreInitial() {
    static const Cadre cadre = [] {
        Cadre c;
        c.depart.dossierCourant = fuzz::Dossier().Chemin() + "/";
        test::EcritFichier(fuzz::Dossier() / "corps.txt", "Bonjour");
        test::EcritFichier(fuzz::Dossier() / "page.html", "<p>Bonjour<br>à tous</p>");
        test::EcritFichier(fuzz::Dossier() / "vide.txt", "");
        test::EcritFichier(fuzz::Dossier() / "journaux/.garde", "");
        c.configs.resize(2);
        c.configs[0].Nom = "Principal";
        c.configs[1].Nom = "Secours";
        ChargeTraductions(c.langue);
        // "/ctf:-" reads standard input: an empty one here, never the terminal
        // the fuzzer was started from, which would wait for someone to type.
        fuzz::Verifie(std::freopen("/dev/null", "r", stdin) != nullptr, "stdin is /dev/null");
        return c;
    }();
    return cadre;
}

void VerifieAnalyse(const AnalyseCommande& analyse) {
    if (analyse.erreur.empty()) {
        fuzz::Verifie(!analyse.demande.objet.empty(), "a request has a subject");
        fuzz::Verifie(!analyse.demande.corpsTexte.empty() || !analyse.demande.corpsHTML.empty(),
                      "a request has a body");
    }
}

// The input as program arguments: one at each NUL byte.
std::vector<std::string> Arguments(const std::string& ligne) {
    std::vector<std::string> arguments(1);
    for (const char c : ligne) {
        if (c == '\0') {
            arguments.emplace_back();
        } else {
            arguments.back().push_back(c);
        }
    }
    return arguments;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* donnees, std::size_t taille) {
    const std::string ligne = fuzz::Entree(donnees, taille);

    const Cadre& c = CadreInitial();
    VerifieAnalyse(AnalyseLigneCommande(c.depart, c.configs, c.langue, ligne));
    VerifieAnalyse(AnalyseArguments(c.depart, c.configs, c.langue, Arguments(ligne)));

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
