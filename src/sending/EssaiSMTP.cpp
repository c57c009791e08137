#include "sending/EssaiSMTP.h"

#include <exception>

#include "i18n/Langue.h"
#include "sending/Serveur.h"
#include "sending/smtp/ComposantSMTP.h"

namespace corvelle {

namespace {

void Prepare(ComposantSMTP& smtp, const EssaiSMTP& essai, const std::string& motDePasse,
             const Langue& langue) {
    const clsConfigSMTP& c = essai.configuration;
    smtp.SetServeur(c.Serveur);
    smtp.SetSSL(c.SSL);
    smtp.SetPort(c.Port);
    smtp.SetEncodage(essai.encodage);
    smtp.SetAuthentification(c.Authentification);
    if (c.Authentification != AuthAucune) {
        smtp.SetUtilisateur(c.Username);
        smtp.SetMotDePasse(motDePasse);
    }
    if (c.Authentification == AuthPop3) {
        smtp.SetServeurPop(c.ServeurPop);
    }
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
    std::string motDePasse = essai.motDePasse;
    if (const std::string& commande = essai.configuration.CommandeMotDePasse; !commande.empty()) {
        Resultat<std::string> resolu = ExecuteCommandeMotDePasse(commande, langue);
        if (!resolu.Reussi()) {
            lot.statut = resolu.Erreur().texte;
            return lot;
        }
        motDePasse = std::move(resolu.Valeur());
    }
    try {
        ComposantSMTP smtp;
        Prepare(smtp, essai, motDePasse, langue);
        smtp.Envoie();
        lot.accepte = smtp.Resultat().accepte;
        lot.statut = smtp.Resultat().statut;
    } catch (const std::exception& erreur) {
        lot.statut = erreur.what();
    }
    return lot;
}

}  // namespace corvelle
