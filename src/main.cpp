// Corvelle: sends e-mail from a compose window or from a script's command line.

#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "core/APropos.h"
#include "core/Demarrage.h"
#include "core/Dialogue.h"
#include "core/EtatProgramme.h"
#include "core/Fenetres.h"
#include "core/FinProgramme.h"
#include "core/Plateforme.h"
#include "core/Version.h"
#include "sending/LigneCommandeEnvoi.h"
#include "sending/annuaire/OuvertureAnnuaire.h"

namespace {

using namespace corvelle;

int ExecuteLigneCommande(EtatProgramme& etat, Dialogue& dialogue,
                         const std::vector<std::string>& arguments) {
    if (EstVersionBeta()) {
        dialogue.Affiche({"ATTENTION, version bêta !", kTitreApplication, Icone::Aucune,
                          Boutons::Ok, Reponse::Ok});
    }
    try {
        return TraiteLigneCommande(etat, dialogue, arguments);
    } catch (const FinProgramme& fin) {
        return fin.code;
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (arguments.size() == 1 && (arguments[0] == "--help" || arguments[0] == "--version")) {
        std::cout << (arguments[0] == "--help" ? TexteAPropos() : TitreFenetre() + "\n");
        return 0;
    }

    // With a display every message is a window, loaded only when one is shown.
    std::unique_ptr<Dialogue> dialogue;
    DialogueFenetres* fenetres = nullptr;
    if (plateforme::AffichageDisponible()) {
        auto avecFenetres = std::make_unique<DialogueFenetres>(argc, argv);
        fenetres = avecFenetres.get();
        dialogue = std::move(avecFenetres);
    } else {
        dialogue = std::make_unique<DialogueConsole>();
    }

    EtatProgramme etat;
    const IssueDemarrage issue =
        Demarre(EnvironnementDemarrage::DuSysteme(arguments), etat, *dialogue, OuvreAnnuaire);

    switch (issue.mode) {
        case ModeExecution::Fin:
            if (etat.ConfigurerAccesAD && fenetres && fenetres->OuvreConfiguration(etat) &&
                etat.RedemarrageRequis) {
                plateforme::RelanceProgramme();
            }
            plateforme::TermineProgramme(issue.codeSortie);
        case ModeExecution::LigneCommande:
            plateforme::TermineProgramme(ExecuteLigneCommande(etat, *dialogue, issue.arguments));
        case ModeExecution::Fenetre:
            break;
    }
    int code = kCodeSortieEchecDemarrage;
    if (fenetres && fenetres->LanceFenetre(etat, code)) {
        return code;
    }
    std::cerr << kTitreApplication
              << " : aucun affichage graphique pour la fenêtre de composition. Lancez le "
                 "programme avec des paramètres pour un envoi en ligne de commande "
                 "(voir --help).\n";
    plateforme::TermineProgramme(kCodeSortieEchecDemarrage);
}
