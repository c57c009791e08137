#pragma once

// The checks of the settings window's OK, in their order, shared with the
// command line that changes settings: they need no widget.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace corvelle {

enum class ChampConfiguration {
    ListeSMTP,
    Expediteur,
    Suffixe,
    NbDest,
    Timeout,
    DureeAttente,
    Domaine,
    Login
};

// The longest an outbox message is retried, in hours: a year.
inline constexpr std::int32_t kDureeAttenteMax = 8760;

// The fields as typed.
struct SaisieConfiguration {
    std::size_t nombreConfigs = 0;
    std::string expediteur;
    std::string suffixe;
    std::string nbDest;
    std::string timeout;
    std::string dureeAttente;  // hours an outbox message is retried
    std::string domaine;
    std::string login;
    int accesADChoisi = 0;
};

struct RefusConfiguration {
    int onglet;           // the window's tab, 1 to 4
    const char* message;  // catalogue key
    ChampConfiguration champ;
    bool ongletAvantMessage;  // the tab is shown before the message, else after
};

[[nodiscard]] std::optional<RefusConfiguration> VerifieConfiguration(
    const SaisieConfiguration& saisie);

// Decimal digits only (a space anywhere refuses it), after a minus sign when
// the minimum is negative, within the bounds.
[[nodiscard]] std::optional<std::int32_t> EntierBorne(std::string_view texte, std::int32_t minimum,
                                                      std::int32_t maximum);

// Shaped something@something.something: a character or more, "@", then a
// dot somewhere after it.
[[nodiscard]] bool AdresseVraisemblable(std::string_view adresse);

}  // namespace corvelle
