#include "config/Parametres.h"

#include <array>
#include <string_view>
#include <type_traits>
#include <variant>

#include "config/Conversion.h"
#include "config/MotDePasse.h"
#include "config/Profil.h"

namespace corvelle {

namespace {

// One key: its name in the file, its default text and where its value lives.
// Only the types a group has, so no conversion is compiled for a member that
// cannot exist.
template <typename Groupe, typename... Types>
struct Cle {
    using Membre = std::variant<Types Groupe::*...>;
    std::string_view nom;
    std::string_view defaut;
    Membre membre;
};

// In the order start-up reads them.
using CleParametres = Cle<Parametres, std::string, std::int16_t, std::int32_t, bool>;
const std::array<CleParametres, 21> kCles = {{
    {"ExpéditeurParDéfaut", "", &Parametres::ExpediteurParDefaut},
    {"RéponseParDéfaut", "", &Parametres::ReponseParDefaut},
    {"FormatParDéfaut", "0", &Parametres::FormatParDefaut},
    {"EncodageParDéfaut", "Iso-8859-1", &Parametres::EncodageParDefaut},
    {"ImportanceParDéfaut", "0", &Parametres::ImportanceParDefaut},
    {"SensibilitéParDéfaut", "0", &Parametres::SensibiliteParDefaut},
    {"ARParDéfaut", "0", &Parametres::ARParDefaut},
    {"GroupesParDéfaut", "", &Parametres::GroupesParDefaut},
    {"DestinatairesParDéfaut", "", &Parametres::DestinatairesParDefaut},
    {"FichierDestinatairesParDéfaut", "", &Parametres::FichierDestinatairesParDefaut},
    {"Suffixe", kSuffixeParDefaut, &Parametres::Suffixe},
    {"NbDest", "25", &Parametres::NbDest},
    {"RépartitionDestinataires", "-1", &Parametres::RepartitionDestinataires},
    {"TimeoutSMTP", "10", &Parametres::TimeoutSMTP},
    {"DureeAttente", "120", &Parametres::DureeAttente},
    {"AutoSubmitted", "-1", &Parametres::AutoSubmitted},
    {"UtiliserAD", "0", &Parametres::UtiliserAD},
    {"AccèsAD", "0", &Parametres::AccesAD},
    {"AccèsADDomaine", "", &Parametres::AccesADDomaine},
    {"AccèsADLogin", "", &Parametres::AccesADLogin},
    {"AccèsADPassword", "", &Parametres::AccesADPassword},
}};

using CleFenetre = Cle<ParametresFenetre, std::int16_t, std::int32_t, bool>;
const std::array<CleFenetre, 9> kClesFenetre = {{
    {"FenêtreMémoriserTaille", "0", &ParametresFenetre::FenetreMemoriserTaille},
    {"FenêtreMémoriserPosition", "0", &ParametresFenetre::FenetreMemoriserPosition},
    {"FenêtreEtat", "0", &ParametresFenetre::FenetreEtat},
    {"FenêtreHauteur", "7500", &ParametresFenetre::FenetreHauteur},
    {"FenêtreLargeur", "7500", &ParametresFenetre::FenetreLargeur},
    {"FenêtreGauche", "1000", &ParametresFenetre::FenetreGauche},
    {"FenêtreHaut", "1000", &ParametresFenetre::FenetreHaut},
    {"MinimiserSystray", "0", &ParametresFenetre::MinimiserSystray},
    {"ToujoursAuDessus", "0", &ParametresFenetre::ToujoursAuDessus},
}};

template <typename Groupe, typename UneCle, std::size_t N>
void LitCles(const FichierProfil& profil, const std::array<UneCle, N>& cles, Groupe& groupe) {
    for (const UneCle& cle : cles) {
        const std::string texte = profil.Lit(kSectionConfiguration, cle.nom, cle.defaut);
        std::visit(
            [&](auto membre) {
                using Type = std::remove_reference_t<decltype(groupe.*membre)>;
                if constexpr (std::is_same_v<Type, std::string>) {
                    groupe.*membre = texte;
                } else if constexpr (std::is_same_v<Type, bool>) {
                    groupe.*membre = LitBooleen(texte);
                } else if constexpr (std::is_same_v<Type, std::int16_t>) {
                    groupe.*membre = LitEntier16(texte);
                } else {
                    groupe.*membre = LitEntier32(texte);
                }
            },
            cle.membre);
    }
}

// A value as the file holds it.
template <typename Groupe, typename UneCle>
std::string TexteCle(const UneCle& cle, const Groupe& groupe) {
    return std::visit(
        [&](auto membre) -> std::string {
            using Type = std::remove_cvref_t<decltype(groupe.*membre)>;
            if constexpr (std::is_same_v<Type, std::string>) {
                return groupe.*membre;
            } else if constexpr (std::is_same_v<Type, bool>) {
                return EcritBooleen(groupe.*membre);
            } else {
                return std::to_string(groupe.*membre);
            }
        },
        cle.membre);
}

template <typename Groupe, typename UneCle, std::size_t N>
void EcritCles(FichierProfil& profil, const std::array<UneCle, N>& cles, const Groupe& groupe) {
    for (const UneCle& cle : cles) {
        profil.Ecrit(kSectionConfiguration, cle.nom, TexteCle(cle, groupe));
    }
}

template <typename Groupe, typename UneCle, std::size_t N>
std::optional<std::string> TexteDansTable(const std::array<UneCle, N>& cles, const Groupe& groupe,
                                          std::string_view nom) {
    for (const UneCle& cle : cles) {
        if (cle.nom == nom) {
            return TexteCle(cle, groupe);
        }
    }
    return std::nullopt;
}

}  // namespace

Parametres LitParametres(const FichierProfil& profil) {
    Parametres p;
    LitCles(profil, kCles, p);
    if (p.ExpediteurParDefaut.empty()) {
        p.ExpediteurParDefaut = kExpediteurIntegre;
    }
    // Older installations stored the time-out in milliseconds.
    if (p.TimeoutSMTP > 1000) {
        p.TimeoutSMTP = static_cast<std::int16_t>(p.TimeoutSMTP / 1000);
    }
    p.AccesADPassword = DechiffreMotDePasse(p.AccesADPassword);
    return p;
}

ParametresFenetre LitParametresFenetre(const FichierProfil& profil) {
    ParametresFenetre p;
    LitCles(profil, kClesFenetre, p);
    return p;
}

void EcritParametres(FichierProfil& profil, const Parametres& parametres) {
    Parametres stockes = parametres;
    stockes.AccesADPassword = ChiffreMotDePasse(parametres.AccesADPassword);
    EcritCles(profil, kCles, stockes);
}

void EcritParametresFenetre(FichierProfil& profil, const ParametresFenetre& parametres) {
    EcritCles(profil, kClesFenetre, parametres);
}

std::vector<std::string_view> NomsParametres() {
    std::vector<std::string_view> noms;
    for (const CleParametres& cle : kCles) {
        noms.push_back(cle.nom);
    }
    for (const CleFenetre& cle : kClesFenetre) {
        noms.push_back(cle.nom);
    }
    return noms;
}

std::optional<std::string> LecteurParametres::Texte(std::string_view cle) {
    if (!parametres_) {
        parametres_ = LitParametres(profil_);
        parametres_->AccesADPassword = ChiffreMotDePasse(parametres_->AccesADPassword);
    }
    if (std::optional<std::string> texte = TexteDansTable(kCles, *parametres_, cle)) {
        return texte;
    }
    if (!fenetre_) {
        fenetre_ = LitParametresFenetre(profil_);
    }
    return TexteDansTable(kClesFenetre, *fenetre_, cle);
}

}  // namespace corvelle
