// Recipient texts and files: splitting never yields blank entries, and a
// field naming recipient files (the input itself, or files it names) expands
// to distinct, complete addresses.

#include <algorithm>

#include "Fuzz.h"
#include "core/Listes.h"
#include "core/Texte.h"
#include "i18n/Langue.h"
#include "sending/Destinataires.h"

using namespace corvelle;

namespace {

const Langue& Francais() {
    static const Langue langue = [] {
        Langue l;
        ChargeTraductions(l);
        test::EcritFichier(fuzz::Dossier() / "equipe.txt", "ana\r\nbob@x.fr\r\nfic:liste.txt\r\n");
        return l;
    }();
    return langue;
}

void VerifieAdresses(const Collection& adresses) {
    Liste vues;
    for (const std::string& adresse : adresses) {
        fuzz::Verifie(!adresse.empty() && adresse == Elague(adresse), "addresses are trimmed");
        fuzz::Verifie(adresse.find('@') != std::string::npos, "addresses are complete");
        vues.push_back(adresse);
    }
    TrieListe(vues);
    fuzz::Verifie(std::adjacent_find(vues.begin(), vues.end()) == vues.end(), "each address once");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* donnees, std::size_t taille) {
    const std::string texte = fuzz::Entree(donnees, taille);

    for (const std::string& entree : DecoupeListe(texte)) {
        fuzz::Verifie(!entree.empty() && entree == Elague(entree), "entries are trimmed");
    }

    test::EcritFichier(fuzz::Dossier() / "liste.txt", texte);
    const ContexteExpansion contexte{Francais(),   nullptr, fuzz::Dossier().Chemin() + "/",
                                     "exemple.fr", false,   nullptr};
    const std::string champs[] = {"fic:liste.txt", "fic:equipe.txt, zoé", texte};
    for (const std::string& champ : champs) {
        const Resultat<Collection, Arret> adresses = ExtraitDestinataires(contexte, champ);
        if (adresses.Reussi()) {
            VerifieAdresses(adresses.Valeur());
        } else {
            fuzz::Verifie(!adresses.Erreur().echec.texte.empty(), "an error has a message");
        }
    }
    return 0;
}
