#include "config/ConfigSMTP.h"

#include <algorithm>
#include <iterator>

#include <optional>

#include "config/Conversion.h"
#include "config/Parametres.h"
#include "config/Profil.h"
#include "core/Erreur.h"
#include "core/Texte.h"

namespace corvelle {

namespace {

// A field converted the way stored records are: the whole text must be a
// number (error 13), within range (error 6).
std::int32_t ChampEntier(std::string_view texte) {
    const std::optional<double> nombre = NombreStrict(texte);
    if (!nombre) {
        throw Erreur(ErrTypeIncompatible);
    }
    return VersEntier32(*nombre);
}

bool ChampBooleen(std::string_view texte) {
    const std::string t = Minuscules(Elague(texte));
    if (t == "true") {
        return true;
    }
    if (t == "false") {
        return false;
    }
    const std::optional<double> nombre = NombreStrict(texte);
    if (!nombre) {
        throw Erreur(ErrTypeIncompatible);
    }
    return *nombre != 0.0;
}

}  // namespace

namespace {

// A separator inside a field would cut the record, or the list, in the wrong
// place when read back: it becomes a space.
std::string SansSeparateurs(std::string champ) {
    std::replace_if(
        champ.begin(), champ.end(),
        [](char c) { return c == kSeparateurChamps || c == kSeparateurConfigs; }, ' ');
    return champ;
}

// Fields 9 to 21, in their stored order; new ones go at the end.
constexpr std::string clsConfigSMTP::*kChampsOptionnels[] = {&clsConfigSMTP::CommandeMotDePasse,
                                                             &clsConfigSMTP::UrlJetonOAuth,
                                                             &clsConfigSMTP::ClientOAuth,
                                                             &clsConfigSMTP::PorteeOAuth,
                                                             &clsConfigSMTP::CommandeJetonOAuth,
                                                             &clsConfigSMTP::NomEhlo,
                                                             &clsConfigSMTP::ExpediteurEnveloppe,
                                                             &clsConfigSMTP::FichierCA,
                                                             &clsConfigSMTP::EmpreinteTLS,
                                                             &clsConfigSMTP::CertificatClient,
                                                             &clsConfigSMTP::CleClient,
                                                             &clsConfigSMTP::CertificatOAuth,
                                                             &clsConfigSMTP::CleOAuth};

}  // namespace

std::string clsConfigSMTP::Serialize() const {
    const std::string s(1, kSeparateurChamps);
    return SansSeparateurs(Nom) + s + SansSeparateurs(Serveur) + s + EcritBooleen(SSL) + s +
           std::to_string(Port) + s + std::to_string(Authentification) + s +
           SansSeparateurs(ServeurPop) + s + SansSeparateurs(Username) + s +
           SansSeparateurs(Password) + ChampsOptionnels();
}

std::string clsConfigSMTP::ChampsOptionnels() const {
    // Up to the last one that holds something: the ones before it are written
    // even when empty, to keep each field in its place.
    std::size_t nombre = std::size(kChampsOptionnels);
    while (nombre > 0 && (this->*kChampsOptionnels[nombre - 1]).empty()) {
        --nombre;
    }
    std::string texte;
    for (std::size_t i = 0; i < nombre; ++i) {
        texte += kSeparateurChamps + SansSeparateurs(this->*kChampsOptionnels[i]);
    }
    return texte;
}

std::int32_t clsConfigSMTP::Deserialize(std::string_view item) {
    return Lit(item, nullptr);
}

std::int32_t clsConfigSMTP::Deserialize(std::string_view item, RecordIllisible& illisible) {
    return Lit(item, &illisible);
}

std::int32_t clsConfigSMTP::Lit(std::string_view item, RecordIllisible* illisible) {
    const Liste pieces = Decoupe(item, std::string_view(&kSeparateurChamps, 1));
    std::int32_t numero = 0;
    // One required field into its member; false when reading stops there.
    const auto champ = [&](ChampStocke quel, const auto& prend) {
        const auto i = static_cast<std::size_t>(quel);
        std::int32_t erreur = ErrIndiceHorsLimites;
        if (i < pieces.size()) {
            try {
                prend(pieces[i]);
                erreur = 0;
            } catch (const Erreur& e) {
                erreur = e.Numero();
            }
        }
        if (erreur != 0 && illisible) {
            if (numero == 0) {
                illisible->valeur = i < pieces.size() ? pieces[i] : std::string();
            }
            illisible->champs.push_back(quel);
        }
        if (numero == 0) {
            numero = erreur;
        }
        return erreur == 0 || illisible != nullptr;
    };
    const bool lu =
        champ(ChampStocke::Nom, [&](const std::string& t) { Nom = t; }) &&
        champ(ChampStocke::Serveur, [&](const std::string& t) { Serveur = t; }) &&
        champ(ChampStocke::SSL, [&](const std::string& t) { SSL = ChampBooleen(t); }) &&
        champ(ChampStocke::Port, [&](const std::string& t) { Port = ChampEntier(t); }) &&
        champ(ChampStocke::Authentification,
              [&](const std::string& t) { Authentification = ChampEntier(t); });
    if (!lu) {
        return numero;
    }
    // Records written before these fields existed hold only five pieces.
    if (pieces.size() > 5) {
        ServeurPop = pieces[5];
    }
    if (pieces.size() > 6) {
        Username = pieces[6];
    }
    if (pieces.size() > 7) {
        Password = pieces[7];
    }
    for (std::size_t i = 0; i < std::size(kChampsOptionnels) && 8 + i < pieces.size(); ++i) {
        this->*kChampsOptionnels[i] = pieces[8 + i];
    }
    return numero;
}

bool EstUrlJeton(std::string_view texte) {
    return texte.starts_with(kDebutUrlJeton);
}

std::string UrlJeton(const clsConfigSMTP& config) {
    if (EstUrlJeton(config.UrlJetonOAuth)) {
        return config.UrlJetonOAuth;
    }
    return "https://login.microsoftonline.com/" + config.UrlJetonOAuth + "/oauth2/v2.0/token";
}

std::string PorteeJeton(const clsConfigSMTP& config) {
    if (config.PorteeOAuth.empty() && !EstUrlJeton(config.UrlJetonOAuth)) {
        return "https://outlook.office365.com/.default";
    }
    return config.PorteeOAuth;
}

bool EstListeExemple(const ListeConfigs& liste) {
    return liste.size() == 1 && liste.front().Serveur == kServeurSMTPParDefaut &&
           liste.front().Nom == kServeurSMTPParDefaut;
}

ListeConfigs ChargeConfigsSMTP(FichierProfil& profil, std::vector<RecordIllisible>* illisibles) {
    ListeConfigs liste;
    const std::string stockees = profil.Lit(kSectionConfiguration, "ConfigsSMTP", "");
    if (!stockees.empty()) {
        for (const std::string& record :
             Decoupe(stockees, std::string_view(&kSeparateurConfigs, 1))) {
            clsConfigSMTP config;
            if (!illisibles) {
                if (const std::int32_t numero = config.Deserialize(record); numero != 0) {
                    throw Erreur(numero, "SMTP configuration " + std::to_string(liste.size() + 1));
                }
            } else if (RecordIllisible illisible; config.Deserialize(record, illisible) != 0) {
                illisible.position = liste.size();
                illisible.texte = record;
                illisibles->push_back(std::move(illisible));
            }
            liste.push_back(std::move(config));
        }
        return liste;
    }

    // Older installations kept a single server in separate keys.
    clsConfigSMTP config;
    config.Serveur = profil.Lit(kSectionConfiguration, "ServeurSMTP", kServeurSMTPParDefaut);
    config.Port = LitEntier32(profil.Lit(kSectionConfiguration, "PortSMTP", "25"));
    config.Authentification =
        LitEntier32(profil.Lit(kSectionConfiguration, "AuthentificationSMTP", "0"));
    config.ServeurPop = profil.Lit(kSectionConfiguration, "ServeurPopSMTP", "");
    config.Username = profil.Lit(kSectionConfiguration, "UsernameSMTP", "");
    config.Password = profil.Lit(kSectionConfiguration, "PasswordSMTP", "");
    config.Nom = config.Serveur;
    liste.push_back(config);
    EnregistreConfigsSMTP(profil, liste);
    for (const char* ancienne : {"ServeurSMTP", "PortSMTP", "AuthentificationSMTP",
                                 "ServeurPopSMTP", "UsernameSMTP", "PasswordSMTP"}) {
        profil.Ecrit(kSectionConfiguration, ancienne, std::nullopt);
    }
    return liste;
}

std::string TexteConfigsSMTP(const ListeConfigs& liste) {
    std::string valeur;
    for (std::size_t i = 0; i < liste.size(); ++i) {
        if (i > 0) {
            valeur += kSeparateurConfigs;
        }
        valeur += liste[i].Serialize();
    }
    return valeur;
}

bool ConfigsSMTPTropLongues(std::string_view texte) {
    return texte.size() > FichierProfil::kLongueurMaxValeur;
}

void EnregistreConfigsSMTP(FichierProfil& profil, const ListeConfigs& liste) {
    EnregistreConfigsSMTP(profil, TexteConfigsSMTP(liste));
}

void EnregistreConfigsSMTP(FichierProfil& profil, const std::string& texte) {
    profil.Ecrit(kSectionConfiguration, "ConfigsSMTP", std::nullopt);
    profil.Ecrit(kSectionConfiguration, "ConfigsSMTP", texte);
}

}  // namespace corvelle
