#pragma once

// The rules of the settings window that need no widget: the checks of OK in
// their order, the number fields, and when a restart is needed.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace corvelle {
struct Parametres;
}

namespace corvelle::ui {

enum class ChampConfiguration { ListeSMTP, Expediteur, Suffixe, NbDest, Timeout, Domaine, Login };

// The fields as typed.
struct SaisieConfiguration {
    std::size_t nombreConfigs = 0;
    std::string expediteur;
    std::string suffixe;
    std::string nbDest;
    std::string timeout;
    std::string domaine;
    std::string login;
    int accesADChoisi = 0;
};

struct RefusConfiguration {
    int onglet;           // 1 to 4
    const char* message;  // catalogue key
    ChampConfiguration champ;
    bool ongletAvantMessage;  // the tab is shown before the message, else after
};

[[nodiscard]] std::optional<RefusConfiguration> VerifieConfiguration(
    const SaisieConfiguration& saisie);

// Decimal digits only (a space anywhere refuses it), within the bounds.
[[nodiscard]] std::optional<std::int32_t> EntierBorne(std::string_view texte, std::int32_t minimum,
                                                      std::int32_t maximum);

// What the directory part of the window holds on OK.
struct SaisieAnnuaire {
    bool utiliser = false;
    int acces = 0;
    std::string domaine;
    std::string login;
    std::string motDePasse;
};

// Turning the search on or changing how it connects needs a restart; turning
// it off never does.
[[nodiscard]] bool AnnuaireDemandeRedemarrage(const SaisieAnnuaire& saisie,
                                              const Parametres& stockes, bool configurerAccesAD);

}  // namespace corvelle::ui
