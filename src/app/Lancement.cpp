#include "app/Lancement.h"

#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/APropos.h"
#include "app/Demarrage.h"
#include "app/ExecutionLigneCommande.h"
#include "app/Fenetres.h"
#include "app/Gestion.h"
#include "app/OptionsLancement.h"
#include "app/OuvertureAnnuaire.h"
#include "app/Programme.h"
#include "core/Chemins.h"
#include "core/Dialogue.h"
#include "core/Plateforme.h"
#include "core/Version.h"

namespace corvelle {

namespace {

// Names another settings file, as --config does.
constexpr const char* kVariableConfiguration = "CORVELLE_CONFIG";

}  // namespace

int LanceProgramme(int argc, char** argv) {
    const OptionsLancement options = LitOptionsLancement(
        {argv + 1, argv + argc}, plateforme::VariableEnvironnement(kVariableConfiguration));
    const std::vector<std::string>& arguments = options.arguments;
    if (arguments.size() == 1 && (arguments[0] == "--help" || arguments[0] == "--version")) {
        std::cout << (arguments[0] == "--help" ? TexteAPropos() : TitreFenetre() + "\n");
        return 0;
    }

    EnvironnementDemarrage environnement = EnvironnementDemarrage::DuSysteme(arguments);
    environnement.fichierConfiguration = options.fichierConfiguration;
    if (options.gestion || !options.optionFautive.empty()) {
        plateforme::TermineProgramme(LanceGestion(options, std::move(environnement)));
    }
    if (!options.fichierConfiguration.empty()) {
        // A restart (after a change of language) keeps the same file.
        plateforme::DefinitVariableEnvironnement(
            kVariableConfiguration,
            CheminAbsolu(options.fichierConfiguration, AjouteBarre(environnement.dossierTravail)));
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

    Programme programme;
    const IssueDemarrage issue = Demarre(environnement, programme, *dialogue, OuvreAnnuaire);

    switch (issue.mode) {
        case ModeExecution::APropos:
            fenetres ? fenetres->AfficheAPropos(programme) : EcritAPropos(programme.Langage);
            plateforme::TermineProgramme(0);
        case ModeExecution::Fin:
            if (programme.ConfigurerAccesAD && fenetres &&
                fenetres->OuvreConfiguration(programme) && programme.RedemarrageRequis) {
                plateforme::RelanceProgramme();
            }
            plateforme::TermineProgramme(issue.codeSortie);
        case ModeExecution::LigneCommande:
            plateforme::TermineProgramme(
                ExecuteLigneCommande(programme, *dialogue, issue.arguments));
        case ModeExecution::Fenetre:
            break;
    }
    int code = kCodeSortieEchecDemarrage;
    if (fenetres && fenetres->LanceFenetre(programme, code)) {
        return code;
    }
    std::cerr << kTitreApplication
              << " : aucun affichage graphique pour la fenêtre de composition. Lancez le "
                 "programme avec des paramètres pour un envoi en ligne de commande "
                 "(voir --help).\n";
    plateforme::TermineProgramme(kCodeSortieEchecDemarrage);
}

}  // namespace corvelle
