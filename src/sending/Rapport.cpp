#include "sending/Rapport.h"

#include <iostream>

#include "core/Chemins.h"
#include "core/Dialogue.h"
#include "core/Erreur.h"
#include "core/EtatProgramme.h"
#include "core/Plateforme.h"
#include "core/Texte.h"
#include "core/Version.h"
#include "i18n/Traduction.h"
#include "sending/Serveur.h"
#include "sending/smtp/ComposantSMTP.h"

namespace corvelle {

namespace {

// Best effort: a report that cannot be mailed must neither stop the run nor
// cause another report, so its failure is only noted on standard error.
void EnvoieParMail(const EtatProgramme& etat, const std::string& message) {
    try {
        if (etat.NumConfigSMTP < 1 ||
            static_cast<std::size_t>(etat.NumConfigSMTP) > etat.ListeConfigsSMTP.size()) {
            throw Erreur(ErrIndiceHorsLimites,
                         "SMTP configuration " + std::to_string(etat.NumConfigSMTP));
        }
        ComposantSMTP smtp;
        AppliqueConfiguration(
            smtp, etat.ListeConfigsSMTP[static_cast<std::size_t>(etat.NumConfigSMTP) - 1]);
        // Milliseconds, as for every send: the setting is in seconds.
        smtp.SetTimeout(etat.Reglages.TimeoutSMTP * 1000);
        smtp.SetExpediteur(etat.Reglages.ExpediteurParDefaut);
        smtp.SetDestinataires(etat.Reglages.ExpediteurParDefaut);
        smtp.SetObjet(etat.Langage.Texte("TXT_REPORTING_CORVELLE"));
        smtp.SetCorpsTexte(message);
        smtp.Envoie();
        const std::string statut = smtp.Statut();
        if (!Minuscules(statut).ends_with("session closed")) {
            std::cerr << kTitreApplication << " : report mail not sent: " << statut << '\n';
        }
    } catch (const std::exception& e) {
        std::cerr << kTitreApplication << " : report mail not sent: " << e.what() << '\n';
    }
}

void AjouteAuJournal(const EtatProgramme& etat, Dialogue& dialogue, const std::string& message) {
    // One level only: a log folder whose parent is missing too is a mistake
    // worth showing, not something to build silently.
    std::string dossier = ExtraitDossier(etat.FichierLog);
    if (dossier.size() > 1) {
        dossier.pop_back();
        (void)plateforme::CreeDossierSimple(dossier);
    }
    try {
        plateforme::AjouteAuFichier(etat.FichierLog, plateforme::HorodatageLocal() + " : " +
                                                         Remplace(message, "\r\n", "\n") + "\n");
    } catch (const Erreur& e) {
        dialogue.Affiche(
            {FormateMessage(etat.Langage.Texte("MSG_ERREUR"), e.Numero(), e.Description()),
             kTitreApplication, Icone::Exclamation, Boutons::Ok, Reponse::Ok});
    }
}

}  // namespace

void EcritLog(const EtatProgramme& etat, Dialogue& dialogue, const std::string& message,
              std::uint16_t options) {
    if ((options & RapportParMail) != 0) {
        EnvoieParMail(etat, message);
    }
    if ((options & RapportFichierLog) != 0) {
        AjouteAuJournal(etat, dialogue, message);
    }
    if (options == 0) {
        dialogue.Affiche(
            {message, kTitreApplication, Icone::Exclamation, Boutons::Ok, Reponse::Ok});
    }
}

void Signale(const EtatProgramme& etat, Dialogue& dialogue, const std::string& message) {
    EcritLog(etat, dialogue, message, etat.OptionsRapport);
}

}  // namespace corvelle
