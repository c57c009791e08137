#include "config/VerificationsConfiguration.h"

#include <algorithm>

#include "core/Texte.h"

namespace corvelle {

bool AdresseVraisemblable(std::string_view adresse) {
    // The first "@" after the first character: a dot after it is enough, and
    // none can follow a later one if none follows this one.
    const std::size_t arobase = adresse.find('@', 1);
    return arobase != std::string_view::npos &&
           adresse.find('.', arobase + 1) != std::string_view::npos;
}

std::optional<std::int32_t> EntierBorne(std::string_view texte, std::int32_t minimum,
                                        std::int32_t maximum) {
    const bool negatif = minimum < 0 && !texte.empty() && texte.front() == '-';
    const std::string_view chiffres = negatif ? texte.substr(1) : texte;
    if (chiffres.empty() || chiffres.size() > 9 ||
        !std::all_of(chiffres.begin(), chiffres.end(),
                     [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    // Nine digits at most: the value and its opposite both fit.
    const std::int32_t absolue = std::stoi(std::string(chiffres));
    const std::int32_t valeur = negatif ? -absolue : absolue;
    if (valeur < minimum || valeur > maximum) {
        return std::nullopt;
    }
    return valeur;
}

std::optional<RefusConfiguration> VerifieConfiguration(const SaisieConfiguration& s) {
    using C = ChampConfiguration;
    if (s.nombreConfigs == 0) {
        return RefusConfiguration{1, "MSG_ERREUR_CONF_SMTP", C::ListeSMTP, true};
    }
    if (!AdresseVraisemblable(Elague(s.expediteur))) {
        return RefusConfiguration{2, "MSG_ERREUR_EXPEDITEUR", C::Expediteur, true};
    }
    if (Elague(s.suffixe).empty()) {
        return RefusConfiguration{3, "MSG_ERREUR_CONF_SUFFIXE", C::Suffixe, true};
    }
    if (!EntierBorne(s.nbDest, 0, 100)) {
        return RefusConfiguration{3, "MSG_ERREUR_CONF_NBDEST", C::NbDest, true};
    }
    if (!EntierBorne(s.timeout, 1, 60)) {
        return RefusConfiguration{3, "MSG_ERREUR_CONF_TIMEOUT", C::Timeout, true};
    }
    if (!EntierBorne(s.dureeAttente, 0, kDureeAttenteMax)) {
        return RefusConfiguration{3, "MSG_ERREUR_CONF_DUREE_ATTENTE", C::DureeAttente, true};
    }
    if (s.domaine.empty() && s.accesADChoisi == 2) {
        return RefusConfiguration{4, "MSG_ERREUR_CONF_AD_DOMAINE", C::Domaine, false};
    }
    if (s.login.empty() && s.accesADChoisi >= 1) {
        return RefusConfiguration{4, "MSG_ERREUR_CONF_AD_LOGIN", C::Login, false};
    }
    return std::nullopt;
}

}  // namespace corvelle
