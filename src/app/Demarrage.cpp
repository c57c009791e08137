#include "app/Demarrage.h"

#include <new>
#include <utility>

#include "app/Programme.h"
#include "config/ConfigSMTP.h"
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
void LocaliseFichierDonne(const EnvironnementDemarrage& env, Programme& etat) {
    etat.FichierConfiguration =
        CheminAbsolu(env.fichierConfiguration, AjouteBarre(env.dossierTravail));
    etat.DossierConfiguration = ExtraitDossier(etat.FichierConfiguration);
    if (ExisteFichier(etat.FichierConfiguration, plateforme::AttrDossier)) {
        throw Erreur(ErrAccesChemin,
                     etat.FichierConfiguration + " is a folder, not a settings file");
    }
    if (!ExisteFichier(etat.DossierConfiguration, plateforme::AttrDossier)) {
        throw Erreur(ErrCheminIntrouvable, "the folder of " + etat.FichierConfiguration);
    }
    etat.FichierLog = etat.DossierConfiguration + NomFichier(".log");
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
        LocaliseFichierDonne(env, etat);
        return {};
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
        etat.DossierConfiguration = AjouteBarre(dossierExecutable);
        etat.FichierConfiguration = etat.DossierConfiguration + NomFichier(".ini");
    }
    etat.DossierProgramme = DossierTraductions(env);
    etat.FichierLog = etat.DossierConfiguration + NomFichier(".log");
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

void ChargeConfiguration(Programme& etat, FichierProfil profil) {
    const bool conversion = profil.Lit(kSectionConfiguration, "ConfigsSMTP", "").empty();
    etat.ListeConfigsSMTP = ChargeConfigsSMTP(profil);
    if (conversion) {
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

    // The language comes before the folders exist: on the first start after a
    // move, the new file is not there yet and the system language decides.
    FichierProfil profil = FichierProfil::Charge(etat.FichierConfiguration);
    etat.Langage = ChoisitLangue(profil, etat.DossierProgramme, env.codeLangueSysteme, dialogue);
    PrepareDossierUtilisateur(emplacement, etat);
    if (!emplacement.ancienFichier.empty()) {
        profil = FichierProfil::Charge(etat.FichierConfiguration);  // the file just moved in
    }

    if (ligne == "/?") {
        return {ModeExecution::APropos, 0, {}};
    }

    ChargeConfiguration(etat, std::move(profil));

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

Langue LangueDuSysteme(const EnvironnementDemarrage& environnement, Dialogue& dialogue) {
    return ChoisitLangue(FichierProfil{}, DossierTraductions(environnement),
                         environnement.codeLangueSysteme, dialogue);
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
