#include "app/Gestion.h"

#include <iostream>
#include <utility>

#include "app/Demarrage.h"
#include "app/Expedition.h"
#include "app/GestionReglages.h"
#include "app/GestionSMTP.h"
#include "app/OptionsLancement.h"
#include "app/Programme.h"
#include "core/Dialogue.h"
#include "core/Plateforme.h"
#include "core/Texte.h"
#include "core/Version.h"
#include "i18n/Langue.h"
#include "i18n/Traduction.h"

namespace corvelle {

namespace {

std::string PourConsole(const std::string& texte) {
    std::string console = Remplace(texte, "\r\n", "\n");
    if (console.empty() || console.back() != '\n') {
        console += '\n';
    }
    return console;
}

}  // namespace

void EcritInformation(const std::string& texte) {
    std::cout << PourConsole(texte);
    std::cout.flush();
}

std::string LitMotDePasseEntree(const Langue& langue) {
    if (plateforme::EntreeEstTerminal()) {
        std::cerr << langue.Texte("TXT_GESTION_MOT_DE_PASSE");
        std::cerr.flush();
    }
    return plateforme::LitLigneMasquee();
}

int EcritRefus(const Langue& langue, const Echec& echec) {
    std::cerr << PourConsole(langue.Libelle(kTitreApplication, echec.texte));
    std::cerr.flush();
    return echec.numero;
}

Echec Refus(std::string texte) {
    return Echec{kSortieGestionRefus, std::move(texte)};
}

int LanceGestion(const OptionsLancement& options, EnvironnementDemarrage env) {
    DialogueConsole dialogue;
    if (!options.optionFautive.empty()) {
        // The settings named cannot be trusted: the system's language says it.
        const Langue langue = LangueDuSysteme(env);
        const char* cle =
            options.repetee ? "MSG_GESTION_OPTION_DOUBLE" : "MSG_GESTION_OPTION_VALEUR";
        return EcritRefus(langue, Refus(FormateMessage(langue.Texte(cle), options.optionFautive)));
    }
    const std::vector<std::string>& arguments = options.arguments;
    // What a configuration that does not read is fixed with.
    env.reparationSMTP = arguments.size() >= 2 && arguments[0] == "--smtp" &&
                         (arguments[1] == "set" || arguments[1] == "remove");
    if (arguments.front() == "--outbox") {
        // A runner started by the system (a timer, cron) under an account
        // with no settings works for the machine's.
        env.fichierMachine = plateforme::FichierReglagesMachine();
    }
    Programme programme;
    // No directory: these commands never need it, and must not stop on it.
    const IssueDemarrage issue = Demarre(env, programme, dialogue);
    if (issue.mode == ModeExecution::Fin) {
        return issue.codeSortie;
    }
    const std::vector<std::string> reste(arguments.begin() + 1, arguments.end());
    if (arguments.front() == "--smtp") {
        return ExecuteGestionSMTP(programme, reste);
    }
    if (arguments.front() == "--outbox") {
        return ExecuteFileAttente(programme, reste);
    }
    return ExecuteGestionReglages(programme, arguments.front() == "--set", reste);
}

}  // namespace corvelle
