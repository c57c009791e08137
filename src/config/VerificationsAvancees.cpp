#include "config/VerificationsAvancees.h"

#include <algorithm>
#include <cctype>

#include "config/ConfigSMTP.h"
#include "config/VerificationsConfiguration.h"
#include "config/VerificationsSMTP.h"
#include "core/Chemins.h"
#include "core/Plateforme.h"
#include "core/Texte.h"

namespace corvelle {

namespace {

// MAIL FROM takes a bare address: a display name, a space or brackets there
// would be refused by the server, or end the command early.
bool AdresseNue(std::string_view adresse) {
    return AdresseVraisemblable(adresse) &&
           std::none_of(adresse.begin(), adresse.end(), [](char c) {
               const auto u = static_cast<unsigned char>(c);
               return u <= 0x20 || u == 0x7F ||
                      std::string_view("<>\",;()").find(c) != std::string_view::npos;
           });
}

std::optional<RefusAvance> VerifieFichier(std::string& chemin, ChampAvance champ, bool cle,
                                          const std::string& dossierCourant) {
    if (chemin.empty()) {
        return std::nullopt;
    }
    // Stored absolute: a send runs from any folder.
    chemin = CheminAbsolu(chemin, dossierCourant);
    plateforme::FichierLu fichier;
    if (const int erreur = fichier.Ouvre(chemin); erreur != 0) {
        return RefusAvance{champ, "MSG_ERREUR_FICHIER_AVANCE", chemin,
                           plateforme::DescriptionSysteme(erreur)};
    }
    if (cle && plateforme::LisibleParTous(chemin)) {
        return RefusAvance{champ, "MSG_CLE_PRIVEE_LISIBLE", chemin, chemin};
    }
    return std::nullopt;
}

constexpr std::string clsConfigSMTP::*kMembres[kNombreChampsAvances] = {
    &clsConfigSMTP::NomEhlo,          &clsConfigSMTP::ExpediteurEnveloppe,
    &clsConfigSMTP::FichierCA,        &clsConfigSMTP::EmpreinteTLS,
    &clsConfigSMTP::CertificatClient, &clsConfigSMTP::CleClient,
    &clsConfigSMTP::CertificatOAuth,  &clsConfigSMTP::CleOAuth};

}  // namespace

std::string& ChampDe(clsConfigSMTP& config, ChampAvance champ) {
    return config.*kMembres[static_cast<std::size_t>(champ)];
}

const std::string& ChampDe(const clsConfigSMTP& config, ChampAvance champ) {
    return config.*kMembres[static_cast<std::size_t>(champ)];
}

bool NomEhloValide(std::string_view nom) {
    return !nom.empty() && std::all_of(nom.begin(), nom.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) != 0 ||
               std::string_view(".-_:[]").find(c) != std::string_view::npos;
    });
}

std::optional<RefusAvance> VerifieAvance(clsConfigSMTP& c, const std::string& dossierCourant) {
    if (!c.NomEhlo.empty() && !NomEhloValide(c.NomEhlo)) {
        return RefusAvance{ChampAvance::NomEhlo, "MSG_ERREUR_NOM_EHLO", c.NomEhlo, {}};
    }
    if (!c.ExpediteurEnveloppe.empty() && !AdresseNue(c.ExpediteurEnveloppe)) {
        return RefusAvance{ChampAvance::ExpediteurEnveloppe,
                           "MSG_ERREUR_EXPEDITEUR_ENVELOPPE",
                           c.ExpediteurEnveloppe,
                           {}};
    }
    if (!c.EmpreinteTLS.empty()) {
        const std::optional<std::string> empreinte = EmpreinteNormalisee(c.EmpreinteTLS);
        if (!empreinte) {
            return RefusAvance{
                ChampAvance::EmpreinteTLS, "MSG_ERREUR_EMPREINTE", c.EmpreinteTLS, {}};
        }
        c.EmpreinteTLS = *empreinte;
    }
    for (const ChampAvance champ :
         {ChampAvance::FichierCA, ChampAvance::CertificatClient, ChampAvance::CleClient,
          ChampAvance::CertificatOAuth, ChampAvance::CleOAuth}) {
        const bool cle = champ == ChampAvance::CleClient || champ == ChampAvance::CleOAuth;
        if (std::optional<RefusAvance> refus =
                VerifieFichier(ChampDe(c, champ), champ, cle, dossierCourant)) {
            return refus;
        }
    }
    return std::nullopt;
}

}  // namespace corvelle
