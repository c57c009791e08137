#include "app/Lancement.h"

#include <iostream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/APropos.h"
#include "app/Demarrage.h"
#include "app/ExecutionLigneCommande.h"
#include "app/Fenetres.h"
#include "app/Gestion.h"
#include "app/OptionsLancement.h"
#include "app/OuvertureAnnuaire.h"
#include "app/Programme.h"
#include "app/Sendmail.h"
#include "core/Chemins.h"
#include "core/Dialogue.h"
#include "core/Plateforme.h"
#include "core/Version.h"
#include "i18n/Langue.h"
#include "i18n/Traduction.h"

namespace corvelle {

namespace {

// Names another settings file, as --config does.
constexpr const char* kVariableConfiguration = "CORVELLE_CONFIG";

bool Seul(const std::vector<std::string>& arguments, std::string_view court,
          std::string_view long_) {
    return arguments.size() == 1 && (arguments[0] == court || arguments[0] == long_);
}

}  // namespace

int LanceProgramme(int argc, char** argv) {
    if (const ModeMailer mailer = ModeDuLancement(argv[0], {argv + 1, argv + argc});
        mailer != ModeMailer::Aucun) {
        const OptionsLancement options = LitOptionsLancement(
            {argv + 1, argv + argc}, plateforme::VariableEnvironnement(kVariableConfiguration));
        std::vector<std::string> arguments = options.arguments;
        if (!arguments.empty() && arguments.front() == "--sendmail") {
            arguments.erase(arguments.begin());
        }
        EnvironnementDemarrage environnement = EnvironnementDemarrage::DuSysteme({});
        environnement.fichierConfiguration = options.fichierConfiguration;
        plateforme::TermineProgramme(LanceSendmail(mailer, arguments, std::move(environnement)));
    }
    const OptionsLancement options = LitOptionsLancement(
        {argv + 1, argv + argc}, plateforme::VariableEnvironnement(kVariableConfiguration));
    const std::vector<std::string>& arguments = options.arguments;
    if (Seul(arguments, "-V", "--version")) {
        std::cout << kTitreApplication << ' ' << kVersionProjet << '\n';
        return 0;
    }
    // The help speaks the interface language, which start-up finds; it is
    // printed, even with a display, as "/?" without one.
    const bool aide = Seul(arguments, "-h", "--help");

    EnvironnementDemarrage environnement =
        EnvironnementDemarrage::DuSysteme(aide ? std::vector<std::string>{"/?"} : arguments);
    environnement.fichierConfiguration = options.fichierConfiguration;
    if (options.gestion || !options.optionFautive.empty()) {
        plateforme::TermineProgramme(LanceGestion(options, std::move(environnement)));
    }
    if (!arguments.empty() && !aide) {
        // A send from a script: an account with no settings of its own (a
        // daemon's, root's) sends through the machine's.
        environnement.fichierMachine = plateforme::FichierReglagesMachine();
    }
    if (!options.fichierConfiguration.empty()) {
        // A restart (after a change of language) keeps the same file.
        plateforme::DefinitVariableEnvironnement(
            kVariableConfiguration,
            CheminAbsolu(options.fichierConfiguration, AjouteBarre(environnement.dossierTravail)));
    }

    // With a display that answers every message is a window, loaded only when
    // one is shown; else the console, as without a display.
    Programme programme;
    std::unique_ptr<Dialogue> dialogue;
    DialogueFenetres* fenetres = nullptr;
    if (!aide && plateforme::AffichageDisponible()) {
        auto avecFenetres = std::make_unique<DialogueFenetres>(argc, argv, programme.Langage);
        fenetres = avecFenetres.get();
        dialogue = std::move(avecFenetres);
    } else {
        dialogue = std::make_unique<DialogueConsole>();
    }

    const IssueDemarrage issue = Demarre(environnement, programme, *dialogue, OuvreAnnuaire);
    const Langue& langue = programme.Langage;

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
    // A display that is named but cannot show windows (a closed SSH session's,
    // a Wayland one without Qt's plugin) is said as such.
    const std::string affichage = plateforme::AffichageNomme();
    std::cerr << kTitreApplication << " - " << langue.Texte("TXT_CONSOLE_ERREUR") << ' '
              << (affichage.empty()
                      ? langue.Texte("MSG_AUCUN_AFFICHAGE")
                      : FormateMessage(langue.Texte("MSG_AFFICHAGE_INUTILISABLE"), affichage))
              << '\n';
    plateforme::TermineProgramme(kCodeSortieEchecDemarrage);
}

}  // namespace corvelle
