// Recipient texts and files: splitting never yields blank entries, and a
// field naming recipient files (the input itself, or files it names) expands
// to distinct, complete addresses.

#include <algorithm>

#include "Fuzz.h"
#include "app/Programme.h"
#include "core/Dialogue.h"
#include "core/Listes.h"
#include "core/Texte.h"
#include "sending/Destinataires.h"
#include "support/DialogueEnregistreur.h"

using namespace corvelle;

namespace {

const Programme& EtatInitial() {
    static const Programme etat = [] {
        Programme e;
        e.DossierCourant = fuzz::Dossier().Chemin() + "/";
        e.Reglages.Suffixe = "exemple.fr";
        test::EcritFichier(fuzz::Dossier() / "equipe.txt", "ana\r\nbob@x.fr\r\nfic:liste.txt\r\n");
        ChargeTraductions(e.Langage);
        return e;
    }();
    return etat;
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
    Programme etat = EtatInitial();
    DialogueEnregistreur dialogue;
    // Window mode: an error is reported and stops the field instead of the run.
    const std::string champs[] = {"fic:liste.txt", "fic:equipe.txt, zoé", texte};
    for (const std::string& champ : champs) {
        Collection adresses;
        if (ExtraitDestinataires(etat, dialogue, champ, adresses)) {
            VerifieAdresses(adresses);
        }
    }
    return 0;
}
