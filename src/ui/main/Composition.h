#pragma once

// What the compose window checks and hands to the dispatch, apart from any
// widget, so the rules can be tested on their own.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/VerificationsConfiguration.h"
#include "sending/Demande.h"

namespace corvelle::ui {

// The fields of the form as they stand.
struct Formulaire {
    std::string expediteur;
    std::string reponse;
    std::string destinataires[3];
    std::string objet;
    std::string corps;
    int format = 0;  // 0 text, 1 text and HTML, 2 HTML
    std::string encodage;
    int notification = 0;
    std::int32_t importance = 0;  // the stored value, not the position
    int sensibilite = 0;
    std::vector<std::string> piecesJointes;  // rows as shown
};

// The first check that fails, with the catalogue key of its message.
enum class ChampRefuse { Expediteur, Destinataires, Objet, Corps };

struct Refus {
    ChampRefuse champ;
    const char* message;
};

// Sender (trimmed) shaped something@something.something, at least one
// recipient field non-empty, subject and body non-empty; in that order.
[[nodiscard]] std::optional<Refus> VerifieFormulaire(const Formulaire& formulaire);

// One recipient field rewritten as one line: line breaks become commas,
// empty entries go, entries are joined with ", ".
[[nodiscard]] std::string NormaliseDestinataires(std::string_view champ);

// The message of the form over a request holding the run's defaults;
// attachment rows are made absolute against its working folder. The
// recipient fields must already be normalised.
[[nodiscard]] Demande DemandeDepuisFormulaire(const Formulaire& formulaire, Demande demande);

}  // namespace corvelle::ui
