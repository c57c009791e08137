#pragma once

// Start-up: locate the configuration, choose the language, load the SMTP
// configurations and every setting, then decide how this run goes on.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace corvelle {

class Dialogue;
struct Programme;

// Exit code of a start-up that failed: a calling script must not take it for
// a success.
inline constexpr int kCodeSortieEchecDemarrage = 6;

// What start-up learns from the system.
struct EnvironnementDemarrage {
    std::vector<std::string> arguments;  // the program's, each one parameter
    std::string cheminExecutable;
    std::string dossierProgrammes;              // a binary under it is installed
    std::optional<std::string> dossierDonnees;  // nothing: the system could not say
    std::string dossierTravail;
    std::string dossierTraductionsInstallees;
    // Another settings file (--config, CORVELLE_CONFIG): its folder then holds
    // the log too, and nothing is created or moved. Relative to the working
    // folder.
    std::string fichierConfiguration;
    std::int16_t codeLangueSysteme = 0;
    // --smtp set and remove: SMTP configurations that do not read are loaded
    // as far as they go, to be fixed, rather than ending the start.
    bool reparationSMTP = false;
    // A send from a script or another program: a user with no settings file
    // of their own sends through this one (the whole machine's) when it
    // exists, and then nothing is written to it.
    std::string fichierMachine;
    // Nothing said but failures: no first-start notice (the system's mailer).
    bool silencieux = false;

    [[nodiscard]] static EnvironnementDemarrage DuSysteme(std::vector<std::string> arguments);
};

enum class ModeExecution {
    Fenetre,        // empty command line: the compose window
    LigneCommande,  // send from the command line
    APropos,        // "/?": the About window, then the end
    Fin,            // start-up ended the run (failure, directory settings)
};

struct IssueDemarrage {
    ModeExecution mode = ModeExecution::Fin;
    int codeSortie = 0;                  // with Fin
    std::vector<std::string> arguments;  // with LigneCommande
};

// Opens the directory connection when directory access is on. It handles its
// own failures and dialogs; false ends this instance at once (the person chose
// to fix the settings in the configuration window).
using OuvertureAnnuaire = std::function<bool(Programme&, Dialogue&)>;

// The language of a run whose settings cannot be read (a bad --config): the
// system's, with the translation files of this program; no first-start notice.
struct Langue;
[[nodiscard]] Langue LangueDuSysteme(const EnvironnementDemarrage& environnement);

// Which SMTP configuration of the settings does not read, which field, and
// the --smtp set command that fixes it.
struct RecordIllisible;
[[nodiscard]] std::string TexteConfigIllisible(const Programme& etat, const std::string& nom,
                                               const RecordIllisible& illisible);

// Runs the whole start-up. An initialisation failure is shown with its number
// and description, a mistake in the settings (a --config path, an SMTP
// configuration) with what to do; either ends the run with
// kCodeSortieEchecDemarrage. Without an
// opening for the directory, directory access is off for this run.
[[nodiscard]] IssueDemarrage Demarre(const EnvironnementDemarrage& environnement, Programme& etat,
                                     Dialogue& dialogue,
                                     const OuvertureAnnuaire& ouvreAnnuaire = {});

}  // namespace corvelle
