#include "sending/EssaiSMTP.h"

#include <exception>

#include "config/MotDePasse.h"
#include "i18n/Langue.h"
#include "sending/Serveur.h"
#include "sending/smtp/ComposantSMTP.h"

namespace corvelle {

namespace {

void Prepare(ComposantSMTP& smtp, const EssaiSMTP& essai, const clsConfigSMTP& configuration,
             const Langue& langue) {
    AppliqueConfiguration(smtp, configuration, essai.fichierJetons);
    smtp.SetEncodage(essai.encodage);
    smtp.SetTimeout(essai.timeoutSecondes * 1000);
    smtp.SetExpediteur(essai.expediteur);
    smtp.SetDestinataires(essai.destinataire);
    smtp.SetObjet(langue.Texte("TXT_TEST_SMTP_OBJET"));
    smtp.SetCorpsTexte(langue.Texte("TXT_TEST_SMTP_MESSAGE"));
}

}  // namespace

Lot EnvoieEssai(const EssaiSMTP& essai, const Langue& langue) {
    Lot lot;
    lot.destinataires = essai.destinataire;
    // The typed password, then whatever a password or token command gives.
    clsConfigSMTP configuration = essai.configuration;
    configuration.Password = ChiffreMotDePasse(essai.motDePasse);
    ResultatEnvoi<clsConfigSMTP> resolue = ResoutMotDePasse(std::move(configuration), langue);
    if (!resolue.Reussi()) {
        lot.statut = resolue.Erreur().texte;
        lot.genre = resolue.Erreur().genre;
        return lot;
    }
    try {
        ComposantSMTP smtp;
        Prepare(smtp, essai, resolue.Valeur(), langue);
        smtp.Envoie();
        lot.accepte = smtp.Resultat().accepte;
        lot.statut = smtp.Resultat().statut;
        lot.genre = smtp.Resultat().genre;
        lot.reponse = smtp.Resultat().reponse;
    } catch (const std::exception& erreur) {
        lot.statut = erreur.what();
        lot.genre = GenreEchec::Local;
    }
    return lot;
}

}  // namespace corvelle
