#pragma once

// corvelle --smtp list | add | set | remove | default | test: the SMTP
// configurations edited without a window, with the checks of their dialog.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "config/ConfigSMTP.h"
#include "config/VerificationsAvancees.h"
#include "core/Resultat.h"

namespace corvelle {

struct Langue;
struct Programme;

enum class ActionSMTP { Liste, Ajoute, Modifie, Supprime, ParDefaut, Essai };

// One --smtp command as given; an option left out is nothing.
struct OperationSMTP {
    ActionSMTP action = ActionSMTP::Liste;
    std::string nom;
    std::optional<std::string> serveur;
    std::optional<std::string> port;
    std::optional<bool> ssl;
    std::optional<std::int32_t> authentification;
    std::optional<std::string> utilisateur;
    std::optional<std::string> serveurPop;
    std::optional<std::string> commandeMotDePasse;
    bool motDePasseStdin = false;
    std::optional<std::string> urlJeton;  // --oauth-token-url or --oauth-tenant
    std::optional<std::string> clientOAuth;
    std::optional<std::string> porteeOAuth;
    std::optional<std::string> commandeJeton;
    // --ehlo, --envelope-from, --tls-... and --oauth-cert/-key, in
    // ChampAvance order; an empty value clears the field.
    std::array<std::optional<std::string>, kNombreChampsAvances> avance;
    std::optional<std::string> expediteur;    // test
    std::optional<std::string> destinataire;  // test
};

// The arguments after --smtp; a mistake gives the message that says what to
// write instead.
[[nodiscard]] Resultat<OperationSMTP> AnalyseSMTP(const std::vector<std::string>& arguments,
                                                  const Langue& langue);

// The list after an add, set, remove or default, checked as the SMTP dialog
// and the settings window check it. `motDePasse` is the clear text read for
// --password-stdin. Adding to a list that holds only the first start's
// placeholder replaces it.
[[nodiscard]] Resultat<ListeConfigs> AppliqueSMTP(ListeConfigs liste,
                                                  const OperationSMTP& operation,
                                                  const std::string& motDePasse,
                                                  const Langue& langue);

// Runs the command on the program's settings file; returns the exit code.
[[nodiscard]] int ExecuteGestionSMTP(const Programme& programme,
                                     const std::vector<std::string>& arguments);

}  // namespace corvelle
