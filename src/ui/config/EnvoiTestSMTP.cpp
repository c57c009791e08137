#include "ui/config/EnvoiTestSMTP.h"

#include <exception>

#include "core/Dialogue.h"
#include "core/EtatProgramme.h"
#include "core/Version.h"
#include "i18n/Traduction.h"
#include "sending/smtp/ComposantSMTP.h"
#include "ui/config/ReglesSMTP.h"

namespace corvelle::ui {

namespace {

// Only what the dialog shows: no copies, reply-to, HTML, receipts or files.
void Prepare(ComposantSMTP& smtp, const EnvoiTestSMTP& envoi, const EtatProgramme& etat) {
    const clsConfigSMTP& c = envoi.config;
    smtp.SetServeur(c.Serveur);
    smtp.SetSSL(c.SSL);
    smtp.SetPort(c.Port);
    smtp.SetEncodage(envoi.encodage);
    smtp.SetAuthentification(c.Authentification);
    if (IdentifiantsRequis(smtp.Authentification())) {
        smtp.SetUtilisateur(c.Username);
        smtp.SetMotDePasse(envoi.motDePasse);
    }
    if (ServeurPopRequis(smtp.Authentification())) {
        smtp.SetServeurPop(c.ServeurPop);
    }
    smtp.SetTimeout(std::int32_t{etat.Reglages.TimeoutSMTP} * 1000);
    smtp.SetExpediteur(envoi.expediteur);
    smtp.SetDestinataires(envoi.destinataire);
    smtp.SetObjet(etat.Langage.Texte("TXT_TEST_SMTP_OBJET"));
    smtp.SetCorpsTexte(etat.Langage.Texte("TXT_TEST_SMTP_MESSAGE"));
}

struct Issue {
    bool reussi = false;
    std::string statut;
};

// What the component said, or what went wrong when it could not even try.
Issue Envoie(const EnvoiTestSMTP& envoi, const EtatProgramme& etat) {
    try {
        ComposantSMTP smtp;
        Prepare(smtp, envoi, etat);
        smtp.Envoie();
        const std::string statut = smtp.Statut();
        return {StatutReussi(statut), statut};
    } catch (const std::exception& erreur) {
        return {false, erreur.what()};
    } catch (...) {
        return {false, "unknown error"};
    }
}

}  // namespace

void EnvoieTestSMTP(const EnvoiTestSMTP& envoi, const EtatProgramme& etat, Dialogue& dialogue) {
    Attente attente(dialogue);
    const Issue issue = Envoie(envoi, etat);
    attente.Termine();
    if (issue.reussi) {
        dialogue.Affiche({etat.Langage.Texte("MSG_TEST_SMTP_OK"), kTitreApplication,
                          Icone::Information, Boutons::Ok, Reponse::Ok});
    } else {
        dialogue.Affiche({FormateMessage(etat.Langage.Texte("MSG_TEST_SMTP_ERREUR"), issue.statut),
                          kTitreApplication, Icone::Critique, Boutons::Ok, Reponse::Ok});
    }
}

}  // namespace corvelle::ui
