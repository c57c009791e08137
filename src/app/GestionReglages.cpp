#include "app/GestionReglages.h"

#include <iostream>
#include <limits>

#include "app/Gestion.h"
#include "app/Programme.h"
#include "config/MotDePasse.h"
#include "config/Parametres.h"
#include "config/Profil.h"
#include "config/VerificationsConfiguration.h"
#include "core/Chemins.h"
#include "core/Erreur.h"
#include "core/Plateforme.h"
#include "core/Texte.h"
#include "i18n/Langue.h"
#include "i18n/Traduction.h"

namespace corvelle {

namespace {

constexpr std::string_view kLangue = "Langue";
constexpr std::string_view kMotDePasseAD = "AccèsADPassword";

enum class Genre { Libre, Entier, Booleen, Langue, MotDePasse };

struct Regle {
    std::string_view cle;
    Genre genre;
    std::int32_t minimum = 0;
    std::int32_t maximum = 0;
    const char* message = nullptr;  // the settings window's, when it has one
};

constexpr std::int32_t kMin32 = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax32 = std::numeric_limits<std::int32_t>::max();

// What each key accepts on its own; the keys left out are free text, or
// checked with the whole section (sender, suffix, directory domain and login).
constexpr Regle kRegles[] = {
    {kLangue, Genre::Langue},
    {"FormatParDéfaut", Genre::Entier, 0, 2},
    {"ImportanceParDéfaut", Genre::Entier, 0, 2},
    {"SensibilitéParDéfaut", Genre::Entier, 0, 3},
    {"ARParDéfaut", Genre::Entier, 0, 3},
    {"RépartitionDestinataires", Genre::Booleen},
    {"UtiliserAD", Genre::Booleen},
    {"AccèsAD", Genre::Entier, 0, 2},
    {"NbDest", Genre::Entier, 0, 100, "MSG_ERREUR_CONF_NBDEST"},
    {"TimeoutSMTP", Genre::Entier, 1, 60, "MSG_ERREUR_CONF_TIMEOUT"},
    {"DureeAttente", Genre::Entier, 0, kDureeAttenteMax},
    {"AutoSubmitted", Genre::Booleen},
    {kMotDePasseAD, Genre::MotDePasse},
    {"FenêtreMémoriserTaille", Genre::Booleen},
    {"FenêtreMémoriserPosition", Genre::Booleen},
    {"FenêtreEtat", Genre::Entier, 0, 2},
    {"FenêtreHauteur", Genre::Entier, 0, kMax32},
    {"FenêtreLargeur", Genre::Entier, 0, kMax32},
    {"FenêtreGauche", Genre::Entier, kMin32, kMax32},
    {"FenêtreHaut", Genre::Entier, kMin32, kMax32},
    {"MinimiserSystray", Genre::Booleen},
    {"ToujoursAuDessus", Genre::Booleen},
};

Regle RegleDe(std::string_view cle) {
    for (const Regle& regle : kRegles) {
        if (regle.cle == cle) {
            return regle;
        }
    }
    return {cle, Genre::Libre};
}

std::vector<std::string> NomsReglables() {
    std::vector<std::string> noms{std::string(kLangue)};
    for (std::string_view nom : NomsParametres()) {
        noms.emplace_back(nom);
    }
    return noms;
}

// Lower case without the accents the keys hold, so a key can be typed on any
// keyboard.
std::string Replie(std::string_view texte) {
    std::string replie = Minuscules(texte);
    for (const auto& [accent, lettre] : {std::pair{"é", "e"}, {"è", "e"}, {"ê", "e"}, {"É", "e"}}) {
        replie = Remplace(std::move(replie), accent, lettre);
    }
    return replie;
}

std::string Langues(const std::string& dossier) {
    std::string liste(kFrancais);
    for (const std::string& fichier : plateforme::FichiersDuDossier(dossier, ".lng")) {
        liste += ", " + fichier.substr(0, fichier.size() - kExtensionTraduction.size());
    }
    return liste;
}

// One value checked on its own; the text to store, or the refusal.
Resultat<std::string> Valeur(const Regle& regle, const std::string& texte,
                             const ContexteReglages& c) {
    const Langue& l = c.langue;
    switch (regle.genre) {
        case Genre::Entier:
            if (const std::optional<std::int32_t> v =
                    EntierBorne(texte, regle.minimum, regle.maximum)) {
                return std::to_string(*v);
            }
            if (regle.message) {
                return Refus(l.Libelle(regle.cle, l.Texte(regle.message)));
            }
            return Refus(FormateMessage(l.Texte("MSG_GESTION_ENTIER"), regle.cle, regle.minimum,
                                        regle.maximum));
        case Genre::Booleen:
            if (texte == "-1" || texte == "1" || texte == "0") {
                return std::string(texte == "0" ? "0" : "-1");
            }
            return Refus(FormateMessage(l.Texte("MSG_GESTION_BOOLEEN"), regle.cle));
        case Genre::Langue:
            if (texte.empty() || texte == kFrancais ||
                ExisteFichier(c.dossierTraductions + texte + std::string(kExtensionTraduction))) {
                return texte;
            }
            return Refus(FormateMessage(l.Texte("MSG_GESTION_LANGUE"), texte,
                                        Langues(c.dossierTraductions)));
        case Genre::MotDePasse:
            // On the command line, any user could read it in the process list.
            if (texte == "-") {
                return ChiffreMotDePasse(c.motDePasseStdin);
            }
            return Refus(
                FormateMessage(l.Texte("MSG_GESTION_MOT_DE_PASSE_LIGNE"), regle.cle, regle.cle));
        case Genre::Libre:
            break;
    }
    return texte;
}

const char* CleDuChamp(ChampConfiguration champ) {
    switch (champ) {
        case ChampConfiguration::ListeSMTP:
            return "ConfigsSMTP";
        case ChampConfiguration::Expediteur:
            return "ExpéditeurParDéfaut";
        case ChampConfiguration::Suffixe:
            return "Suffixe";
        case ChampConfiguration::NbDest:
            return "NbDest";
        case ChampConfiguration::Timeout:
            return "TimeoutSMTP";
        case ChampConfiguration::DureeAttente:
            return "DureeAttente";
        case ChampConfiguration::Domaine:
            return "AccèsADDomaine";
        case ChampConfiguration::Login:
            break;
    }
    return "AccèsADLogin";
}

// The settings window's checks over the whole section, the values just given
// taken as typed (the window checks its boxes' text, not what a reader makes
// of it).
std::optional<Echec> VerifieSection(const FichierProfil& profil,
                                    const std::vector<std::pair<std::string, std::string>>& donnes,
                                    const ContexteReglages& c) {
    const Parametres p = LitParametres(profil);
    SaisieConfiguration s{c.nombreConfigs,
                          p.ExpediteurParDefaut,
                          p.Suffixe,
                          std::to_string(p.NbDest),
                          std::to_string(p.TimeoutSMTP),
                          std::to_string(p.DureeAttente),
                          p.AccesADDomaine,
                          p.AccesADLogin,
                          p.AccesAD};
    for (const auto& [cle, texte] : donnes) {
        std::string* champ = cle == "ExpéditeurParDéfaut" ? &s.expediteur
                             : cle == "Suffixe"           ? &s.suffixe
                             : cle == "NbDest"            ? &s.nbDest
                             : cle == "TimeoutSMTP"       ? &s.timeout
                             : cle == "DureeAttente"      ? &s.dureeAttente
                                                          : nullptr;
        if (champ) {
            *champ = texte;
        }
    }
    if (const std::optional<RefusConfiguration> refus = VerifieConfiguration(s)) {
        return Refus(c.langue.Libelle(CleDuChamp(refus->champ), c.langue.Texte(refus->message)));
    }
    return std::nullopt;
}

Echec CleInconnue(std::string_view cle, const Langue& langue) {
    if (Replie(cle) == "configssmtp") {
        return Refus(langue.Texte("MSG_GESTION_CLE_SMTP"));
    }
    return Refus(FormateMessage(langue.Texte("MSG_GESTION_CLE_INCONNUE"), cle,
                                Joint(NomsReglables(), ", ")));
}

int Lire(const Programme& programme, const std::vector<std::string>& cles) {
    const Langue& langue = programme.Langage;
    const FichierProfil profil = FichierProfil::Charge(programme.FichierConfiguration);
    LecteurParametres parametres(profil);
    const std::vector<std::string> toutes = NomsReglables();
    std::string sortie;
    for (const std::string& saisie : cles.empty() ? toutes : cles) {
        const std::optional<std::string> cle = NomReglage(saisie);
        if (!cle) {
            return EcritRefus(langue, CleInconnue(saisie, langue));
        }
        if (*cle == kMotDePasseAD) {
            if (cles.empty()) {
                continue;
            }
            return EcritRefus(langue, Refus(langue.Texte("MSG_GESTION_MOT_DE_PASSE_CACHE")));
        }
        const std::string valeur = *cle == kLangue ? profil.Lit(kSectionConfiguration, kLangue, "")
                                                   : parametres.Texte(*cle).value_or("");
        sortie += cles.empty() ? *cle + "=" + valeur + "\n" : valeur + "\n";
    }
    std::cout << sortie;
    std::cout.flush();
    return 0;
}

int Ecrire(const Programme& programme, const std::vector<std::string>& affectations) {
    const Langue& langue = programme.Langage;
    ContexteReglages contexte{
        langue, programme.DossierProgramme, programme.ListeConfigsSMTP.size(), {}};
    for (const std::string& affectation : affectations) {
        const std::size_t egal = affectation.find('=');
        if (egal != std::string::npos && NomReglage(affectation.substr(0, egal)) == kMotDePasseAD &&
            affectation.substr(egal + 1) == "-") {
            contexte.motDePasseStdin = LitMotDePasseEntree(langue);
        }
    }
    std::optional<Echec> refus;
    try {
        ModifieProfil(programme.FichierConfiguration, [&](FichierProfil& profil) {
            refus = AppliqueReglages(profil, affectations, contexte);
            return !refus;
        });
    } catch (const Erreur& e) {
        return EcritRefus(
            langue, Echec{kSortieGestionFichier,
                          FormateMessage(langue.Texte("MSG_ERREUR"), e.Numero(), e.Description())});
    }
    return refus ? EcritRefus(langue, *refus) : 0;
}

}  // namespace

std::optional<std::string> NomReglage(std::string_view saisi) {
    const std::string replie = Replie(saisi);
    for (const std::string& nom : NomsReglables()) {
        if (Replie(nom) == replie) {
            return nom;
        }
    }
    return std::nullopt;
}

std::optional<Echec> AppliqueReglages(FichierProfil& profil,
                                      const std::vector<std::string>& affectations,
                                      const ContexteReglages& contexte) {
    const Langue& langue = contexte.langue;
    if (affectations.empty()) {
        return Refus(FormateMessage(langue.Texte("MSG_GESTION_SET_FORME"), ""));
    }
    FichierProfil modifie = profil;
    std::vector<std::pair<std::string, std::string>> donnes;
    for (const std::string& affectation : affectations) {
        const std::size_t egal = affectation.find('=');
        if (egal == std::string::npos || egal == 0) {
            return Refus(FormateMessage(langue.Texte("MSG_GESTION_SET_FORME"), affectation));
        }
        const std::optional<std::string> cle = NomReglage(affectation.substr(0, egal));
        if (!cle) {
            return CleInconnue(affectation.substr(0, egal), langue);
        }
        const std::string texte = affectation.substr(egal + 1);
        Resultat<std::string> valeur = Valeur(RegleDe(*cle), texte, contexte);
        if (!valeur.Reussi()) {
            return valeur.Erreur();
        }
        try {
            modifie.Ecrit(kSectionConfiguration, *cle, valeur.Valeur());
        } catch (const ValeurRefusee& e) {
            return Refus(TexteValeurRefusee(e, langue));
        }
        donnes.emplace_back(*cle, texte);
    }
    if (std::optional<Echec> refus = VerifieSection(modifie, donnes, contexte)) {
        return refus;
    }
    profil = std::move(modifie);
    return std::nullopt;
}

int ExecuteGestionReglages(const Programme& programme, bool set,
                           const std::vector<std::string>& arguments) {
    try {
        return set ? Ecrire(programme, arguments) : Lire(programme, arguments);
    } catch (const Erreur& e) {
        // A number out of its type's range, or a file that cannot be read.
        return EcritRefus(
            programme.Langage,
            Echec{kSortieGestionFichier, FormateMessage(programme.Langage.Texte("MSG_ERREUR"),
                                                        e.Numero(), e.Description())});
    }
}

}  // namespace corvelle
