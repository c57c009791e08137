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

// Written out and read again, each address comes back the same.
void VerifieAdresses(const ListeAdresses& adresses) {
    Liste vues;
    for (const Adresse& adresse : adresses) {
        fuzz::Verifie(!adresse.boite.empty() && adresse.boite == Elague(adresse.boite),
                      "mailboxes are trimmed");
        fuzz::Verifie(adresse.boite.find('@') != std::string::npos, "mailboxes are complete");
        fuzz::Verifie(LitAdresse(TexteAdresse(adresse)) == adresse, "addresses read back");
        vues.push_back(CleAdresse(adresse.boite));
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
        const Resultat<ListeAdresses, Arret> adresses = ExtraitDestinataires(contexte, champ);
        if (adresses.Reussi()) {
            VerifieAdresses(adresses.Valeur());
        } else {
            fuzz::Verifie(!adresses.Erreur().echec.texte.empty(), "an error has a message");
        }
    }
    return 0;
}
