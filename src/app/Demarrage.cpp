#include "app/Demarrage.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <new>
#include <utility>

#include "app/Programme.h"
#include "config/ConfigSMTP.h"
#include "config/Conversion.h"
#include "config/Parametres.h"
#include "config/Profil.h"
#include "core/Chemins.h"
#include "core/Dialogue.h"
#include "core/Erreur.h"
#include "core/Plateforme.h"
#include "core/Texte.h"
#include "core/Version.h"
#include "i18n/Langue.h"

namespace corvelle {

namespace {

constexpr const char* kDossierEditeur = "Tavrin";

struct Emplacement {
    bool installe = false;
    std::string ancienFichier;  // to move into the per-user folder
    // A settings file named that cannot be one: the message saying so.
    const char* faute = nullptr;
};

std::string NomFichier(const char* extension) {
    return std::string(kTitreApplication) + extension;
}

// Where the configuration and log live: beside a portable copy, or in the
// per-user folder for an installed program.
bool EstInstalle(const EnvironnementDemarrage& env) {
    const std::string dossierExecutable = ExtraitDossier(env.cheminExecutable);
    const std::string programmes = AjouteBarre(env.dossierProgrammes);
    // Compared with a separator at the end, so /usr does not contain /usr2.
    return dossierExecutable.size() >= programmes.size() &&
           EgauxSansCasse(dossierExecutable.substr(0, programmes.size()), programmes);
}

// The settings file named on the command line; its folder must exist, so a
// mistyped path is said at once rather than when a change cannot be saved.
// Returns the message of such a mistake.
const char* LocaliseFichierDonne(const EnvironnementDemarrage& env, Programme& etat) {
    etat.FichierConfiguration =
        CheminAbsolu(env.fichierConfiguration, AjouteBarre(env.dossierTravail));
    etat.DossierConfiguration = ExtraitDossier(etat.FichierConfiguration);
    etat.FichierConfigurationDonne = true;
    if (ExisteFichier(etat.FichierConfiguration, plateforme::AttrDossier)) {
        return "MSG_ERREUR_CONFIG_EST_DOSSIER";
    }
    if (plateforme::Nature(etat.FichierConfiguration) == plateforme::NatureChemin::Autre) {
        return "MSG_ERREUR_CONFIG_SPECIAL";
    }
    if (!ExisteFichier(etat.DossierConfiguration, plateforme::AttrDossier)) {
        return "MSG_ERREUR_CONFIG_DOSSIER";
    }
    etat.FichierLog = etat.DossierConfiguration + NomFichier(".log");
    return nullptr;
}

// Where the translation files are: installed, their shared folder; else
// beside the program.
std::string DossierTraductions(const EnvironnementDemarrage& env) {
    return AjouteBarre(EstInstalle(env) ? env.dossierTraductionsInstallees
                                        : ExtraitDossier(env.cheminExecutable));
}

Emplacement LocaliseConfiguration(const EnvironnementDemarrage& env, Programme& etat) {
    if (env.cheminExecutable.empty() || env.dossierTravail.empty()) {
        throw Erreur(ErrCheminIntrouvable, "the program's folder or the working folder is unknown");
    }
    etat.DossierCourant = env.dossierTravail;
    if (!env.fichierConfiguration.empty()) {
        etat.DossierProgramme = DossierTraductions(env);
        Emplacement emplacement;
        emplacement.faute = LocaliseFichierDonne(env, etat);
        return emplacement;
    }

    Emplacement emplacement;
    const std::string dossierExecutable = ExtraitDossier(env.cheminExecutable);
    emplacement.installe = EstInstalle(env);
    if (emplacement.installe) {
        // Only an installed program needs the per-user folder: a portable copy
        // runs for a user with no home folder too.
        if (!env.dossierDonnees || env.dossierDonnees->empty()) {
            throw Erreur(ErrArgumentInvalide, "the per-user configuration folder is unknown");
        }
        etat.DossierConfiguration =
            AjouteBarre(*env.dossierDonnees) + kDossierEditeur + "/" + kTitreApplication + "/";
        etat.FichierConfiguration = etat.DossierConfiguration + NomFichier(".ini");
        const std::string ancien = dossierExecutable + NomFichier(".ini");
        if (!ExisteFichier(etat.FichierConfiguration) && ExisteFichier(ancien)) {
            emplacement.ancienFichier = ancien;
        }
    } else {
        etat.Portable = true;
        etat.DossierConfiguration = AjouteBarre(dossierExecutable);
        etat.FichierConfiguration = etat.DossierConfiguration + NomFichier(".ini");
    }
    etat.DossierProgramme = DossierTraductions(env);
    etat.FichierLog = etat.DossierConfiguration + NomFichier(".log");
    if (!env.fichierMachine.empty() && !ExisteFichier(etat.FichierConfiguration) &&
        emplacement.ancienFichier.empty() && ExisteFichier(env.fichierMachine)) {
        // The log stays the user's own: the machine's folder is not theirs.
        etat.FichierConfiguration = env.fichierMachine;
        etat.ReglagesMachine = true;
    }
    return emplacement;
}

void PrepareDossierUtilisateur(const Emplacement& emplacement, const Programme& etat) {
    if (!emplacement.installe) {
        return;
    }
    plateforme::CreeDossier(etat.DossierConfiguration);
    if (!emplacement.ancienFichier.empty()) {
        plateforme::CopieFichier(emplacement.ancienFichier, etat.FichierConfiguration);
        // The copy is what counts; an old file that cannot go stays behind.
        (void)plateforme::SupprimeFichier(emplacement.ancienFichier);
    }
}

// Reads every setting; false when an SMTP configuration does not read and
// this run is not one that can fix it (etat.ConfigsIllisibles says which).
bool ChargeConfiguration(const EnvironnementDemarrage& env, Programme& etat, FichierProfil profil) {
    const bool conversion = profil.Lit(kSectionConfiguration, "ConfigsSMTP", "").empty();
    etat.ListeConfigsSMTP = ChargeConfigsSMTP(profil, &etat.ConfigsIllisibles);
    if (!etat.ConfigsIllisibles.empty() && !env.reparationSMTP) {
        return false;
    }
    if (conversion && !etat.ReglagesMachine) {
        try {
            // On the file as it is under the lock: another run may have
            // converted it, or stored other keys, since it was read.
            ModifieProfil(profil.Chemin(), [](FichierProfil& actuel) {
                if (!actuel.Lit(kSectionConfiguration, "ConfigsSMTP", "").empty()) {
                    return false;
                }
                (void)ChargeConfigsSMTP(actuel);
                return true;
            });
        } catch (const Erreur&) {
            // A read-only copy still runs; the conversion is made again at the
            // next start.
        }
    }
    etat.Reglages = LitParametres(profil);
    etat.Fenetre = LitParametresFenetre(profil);
    return true;
}

// The person's own mistake in the settings: said as it is, without an error
// number or a word to the author.
IssueDemarrage EchecReglages(const std::string& texte, Dialogue& dialogue) {
    dialogue.Affiche({texte, kTitreApplication, Icone::Critique, Boutons::Ok, Reponse::Ok});
    return {ModeExecution::Fin, kCodeSortieEchecDemarrage, {}};
}

// The console's kinds of message in the interface language.
void NommeGenres(Dialogue& dialogue, const Langue& langue) {
    dialogue.NommeGenres({langue.Texte("TXT_CONSOLE_ERREUR"), langue.Texte("TXT_CONSOLE_ATTENTION"),
                          langue.Texte("TXT_CONSOLE_QUESTION"),
                          langue.Texte("TXT_CONSOLE_INFORMATION")});
}

// Once per settings file: shown, then remembered there. A file that cannot
// be written (a read-only copy) gets the notice again at the next start.
void AvisPremierDemarrage(const Programme& etat, Dialogue& dialogue) {
    Boite avis{MessagePremierDemarrage(), kTitreApplication, Icone::Information, Boutons::Ok,
               Reponse::Ok};
    avis.aparte = true;
    dialogue.Affiche(avis);
    (void)EcritParametre(etat.FichierConfiguration, kSectionConfiguration, kCleAvisPremierDemarrage,
                         EcritBooleen(true));
}

// How the fix of a stored field is written on the command line: the option
// and the catalogue text of its value.
struct Correction {
    const char* option;
    const char* cle;
};

Correction CorrectionDuChamp(ChampStocke champ) {
    switch (champ) {
        case ChampStocke::SSL:
            return {"--ssl", "TXT_CORRIGE_SSL"};
        case ChampStocke::Port:
            return {"--port", "TXT_CORRIGE_PORT"};
        case ChampStocke::Authentification:
            return {"--auth", "TXT_CORRIGE_AUTH"};
        case ChampStocke::Nom:
        case ChampStocke::Serveur:
            break;
    }
    return {"--server", "TXT_CORRIGE_SERVEUR"};
}

// A word a shell reads back as it is: quoted when it holds anything else
// than letters, digits and . _ - / characters.
std::string PourShell(const std::string& mot) {
    const bool simple = !mot.empty() && std::all_of(mot.begin(), mot.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) ||
               (c != '\0' && std::strchr("._-/", c) != nullptr);
    });
    return simple ? mot : "'" + Remplace(mot, "'", "'\\''") + "'";
}

IssueDemarrage EchecInitialisation(int numero, const std::string& description,
                                   const Programme& etat, Dialogue& dialogue) {
    const std::string texte =
        FormateMessage(etat.Langage.Texte("MSG_ERREUR_INITIALISATION"), numero, description);
    dialogue.Affiche({texte, kTitreApplication, Icone::Critique, Boutons::Ok, Reponse::Ok});
    return {ModeExecution::Fin, kCodeSortieEchecDemarrage, {}};
}

IssueDemarrage Etapes(const EnvironnementDemarrage& env, Programme& etat, Dialogue& dialogue,
                      const OuvertureAnnuaire& ouvreAnnuaire) {
    dialogue.TraiteEvenements();
    // The arguments as one text decide the mode: none (or blanks only) opens
    // the window, "/?" alone the About window.
    const std::string ligne = Elague(Joint(env.arguments, " "));
    const Emplacement emplacement = LocaliseConfiguration(env, etat);
    if (emplacement.faute) {
        etat.Langage = LangueDuSysteme(env);
        NommeGenres(dialogue, etat.Langage);
        return EchecReglages(
            FormateMessage(etat.Langage.Texte(emplacement.faute), etat.FichierConfiguration),
            dialogue);
    }

    // The language comes before the folders exist: on the first start after a
    // move, the new file is not there yet and the system language decides.
    FichierProfil profil = FichierProfil::Charge(etat.FichierConfiguration);
    etat.Langage = ChoisitLangue(profil, etat.DossierProgramme, env.codeLangueSysteme);
    NommeGenres(dialogue, etat.Langage);
    PrepareDossierUtilisateur(emplacement, etat);
    if (etat.Langage.AvisPremierDemarrage && !env.silencieux && !etat.ReglagesMachine) {
        AvisPremierDemarrage(etat, dialogue);
    }
    if (!emplacement.ancienFichier.empty() || etat.Langage.AvisPremierDemarrage) {
        profil = FichierProfil::Charge(etat.FichierConfiguration);  // as it now stands
    }

    if (ligne == "/?") {
        return {ModeExecution::APropos, 0, {}};
    }

    if (!ChargeConfiguration(env, etat, std::move(profil))) {
        return EchecReglages(
            TexteConfigIllisible(
                etat, etat.ListeConfigsSMTP.at(etat.ConfigsIllisibles.front().position).Nom,
                etat.ConfigsIllisibles.front()),
            dialogue);
    }

    if (etat.Reglages.UtiliserAD) {
        if (!ouvreAnnuaire) {
            etat.Reglages.UtiliserAD = false;  // groups are refused as when access is off
        } else if (!ouvreAnnuaire(etat, dialogue)) {
            // Nothing was sent: a calling script must not read this as success.
            return {ModeExecution::Fin, ligne.empty() ? 0 : kCodeSortieEchecDemarrage, {}};
        }
    }
    if (ligne.empty()) {
        return {ModeExecution::Fenetre, 0, {}};
    }
    return {ModeExecution::LigneCommande, 0, env.arguments};
}

}  // namespace

EnvironnementDemarrage EnvironnementDemarrage::DuSysteme(std::vector<std::string> arguments) {
    EnvironnementDemarrage env;
    env.arguments = std::move(arguments);
    // What cannot be found stays empty; start-up reports it with its message.
    try {
        env.cheminExecutable = plateforme::CheminExecutable();
        env.dossierTravail = plateforme::DossierTravail();
    } catch (const Erreur&) {
    }
    env.dossierProgrammes = plateforme::DossierProgrammes();
    env.dossierDonnees = plateforme::DossierDonneesApplication();
    env.dossierTraductionsInstallees = plateforme::DossierDonneesInstallees();
    env.codeLangueSysteme = CodeLangueSysteme();
    return env;
}

Langue LangueDuSysteme(const EnvironnementDemarrage& environnement) {
    return ChoisitLangue(FichierProfil{}, DossierTraductions(environnement),
                         environnement.codeLangueSysteme);
}

std::string TexteConfigIllisible(const Programme& etat, const std::string& nom,
                                 const RecordIllisible& illisible) {
    const Langue& l = etat.Langage;
    std::string options;
    for (const ChampStocke champ : illisible.champs) {
        options += (options.empty() ? "" : " ") + l.Texte(CorrectionDuChamp(champ).cle);
    }
    const std::string config =
        etat.FichierConfigurationDonne ? " --config " + PourShell(etat.FichierConfiguration) : "";
    return FormateMessage(l.Texte("MSG_ERREUR_CONF_SMTP_ILLISIBLE"), nom, illisible.position + 1,
                          etat.FichierConfiguration, illisible.valeur,
                          CorrectionDuChamp(illisible.champs.front()).option, config,
                          PourShell(nom), options);
}

IssueDemarrage Demarre(const EnvironnementDemarrage& environnement, Programme& etat,
                       Dialogue& dialogue, const OuvertureAnnuaire& ouvreAnnuaire) {
    Attente attente(dialogue);
    try {
        return Etapes(environnement, etat, dialogue, ouvreAnnuaire);
    } catch (const Erreur& e) {
        attente.Termine();
        return EchecInitialisation(e.Numero(), e.Description(), etat, dialogue);
    } catch (const std::bad_alloc&) {
        attente.Termine();
        return EchecInitialisation(ErrMemoire, TexteErreur(ErrMemoire), etat, dialogue);
    } catch (const std::exception& e) {
        attente.Termine();
        return EchecInitialisation(ErrInterne, TexteErreur(ErrInterne) + " (" + e.what() + ")",
                                   etat, dialogue);
    }
}

}  // namespace corvelle
