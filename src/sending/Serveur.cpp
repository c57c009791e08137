#include "sending/Serveur.h"

#include <vector>

#include "config/MotDePasse.h"
#include "core/Chemins.h"
#include "core/Plateforme.h"
#include "core/Texte.h"
#include "i18n/Langue.h"
#include "i18n/Traduction.h"
#include "sending/Bilan.h"
#include "sending/Demande.h"
#include "sending/smtp/ComposantSMTP.h"

namespace corvelle {

namespace {

// The OAuth2 client's key: its own file, or the certificate's.
std::string CleOAuth(const clsConfigSMTP& c) {
    return c.CleOAuth.empty() ? c.CertificatOAuth : c.CleOAuth;
}

oauth::ReglagesOAuth ReglagesOAuth(const clsConfigSMTP& c, const std::string& fichierJetons) {
    oauth::ReglagesOAuth reglages;
    if (c.UrlJetonOAuth.empty()) {
        reglages.jetonDonne = DechiffreMotDePasse(c.Password);
        return reglages;
    }
    reglages.client = {UrlJeton(c), c.ClientOAuth, DechiffreMotDePasse(c.Password), PorteeJeton(c)};
    if (!c.CertificatOAuth.empty()) {
        reglages.client.certificat = c.CertificatOAuth;
        reglages.client.cle = CleOAuth(c);
    }
    reglages.cache = fichierJetons;
    return reglages;
}

}  // namespace

void AppliqueConfiguration(ComposantSMTP& smtp, const clsConfigSMTP& configuration,
                           const std::string& fichierJetons) {
    smtp.SetServeur(configuration.Serveur);
    smtp.SetSSL(configuration.SSL);
    smtp.SetPort(configuration.Port);
    smtp.SetNomEhlo(configuration.NomEhlo);
    smtp.SetExpediteurEnveloppe(configuration.ExpediteurEnveloppe);
    smtp.SetAuthentification(configuration.Authentification);
    smtp.SetConfianceTLS({configuration.FichierCA, configuration.EmpreinteTLS,
                          configuration.CertificatClient, configuration.CleClient});
    if (smtp.Authentification() == AuthOAuth2) {
        smtp.SetUtilisateur(configuration.Username);
        smtp.SetOAuth(ReglagesOAuth(configuration, fichierJetons));
    } else if (smtp.Authentification() != AuthAucune) {
        smtp.SetUtilisateur(configuration.Username);
        smtp.SetMotDePasse(DechiffreMotDePasse(configuration.Password));
    }
    if (smtp.Authentification() == AuthPop3) {
        smtp.SetServeurPop(configuration.ServeurPop);
    }
}

smtp::EntetesLibres EntetesDemande(const Demande& demande) {
    smtp::EntetesLibres entetes = demande.entetes;
    if (demande.automatique && !smtp::DonneEntete(entetes, "Auto-Submitted")) {
        entetes.push_back({"Auto-Submitted", "auto-generated"});
    }
    return entetes;
}

std::string FichierJetons(const std::string& fichierConfiguration) {
    return ExtraitDossier(fichierConfiguration) + "Corvelle.jetons";
}

namespace {

// Why the command gave nothing, in the person's words; `vide` when it printed
// nothing.
std::string Raison(const plateforme::IssueCommande& issue, const std::string& vide,
                   const Langue& langue) {
    if (!issue.demarree) {
        return langue.Texte("TXT_COMMANDE_NON_LANCEE");
    }
    if (issue.delaiDepasse) {
        return FormateMessage(langue.Texte("TXT_COMMANDE_DELAI"),
                              kDelaiCommandeMotDePasseMs / 1000);
    }
    if (issue.code != 0) {
        return FormateMessage(langue.Texte("TXT_COMMANDE_CODE"), issue.code);
    }
    return vide;
}

// The first line of a command's output, or a failed send's message built
// from `modele` ("%v": the command, then why).
ResultatEnvoi<std::string> PremiereLigne(const std::string& commande, const std::string& modele,
                                         const std::string& vide, const Langue& langue) {
    const plateforme::IssueCommande issue =
        plateforme::ExecuteCommande(commande, kDelaiCommandeMotDePasseMs);
    std::string premiereLigne = issue.sortie.substr(0, issue.sortie.find('\n'));
    if (!premiereLigne.empty() && premiereLigne.back() == '\r') {
        premiereLigne.pop_back();
    }
    if (issue.demarree && !issue.delaiDepasse && issue.code == 0 && !premiereLigne.empty()) {
        return premiereLigne;
    }
    std::string texte = FormateMessage(modele, commande, Raison(issue, vide, langue));
    const std::string erreurs = Elague(Remplace(issue.erreurs, "\r\n", "\n"));
    if (!erreurs.empty()) {
        texte += "\r\n" + Remplace(erreurs, "\n", "\r\n");
    }
    return Defaillance{GenreEchec::Configuration, std::move(texte), {}};
}

// The first line a password command prints. A command that cannot start,
// fails, prints nothing or outlasts its time-out gives the message of a failed
// send, with what it wrote on its standard error (never its output, which
// would be the password).
ResultatEnvoi<std::string> ExecuteCommandeMotDePasse(const std::string& commande,
                                                     const Langue& langue) {
    return PremiereLigne(commande, langue.Texte("MSG_ERREUR_COMMANDE_MOT_DE_PASSE"),
                         langue.Texte("TXT_COMMANDE_VIDE"), langue);
}

}  // namespace

std::optional<Defaillance> CleExposee(const clsConfigSMTP& configuration, const Langue& langue) {
    std::vector<std::string> cles;
    // Without a key file of its own, a certificate file holds the key too.
    if (!configuration.CertificatClient.empty()) {
        cles.push_back(!configuration.CleClient.empty() ? configuration.CleClient
                                                        : configuration.CertificatClient);
    }
    if (configuration.Authentification == AuthOAuth2 && !configuration.CertificatOAuth.empty()) {
        cles.push_back(CleOAuth(configuration));
    }
    for (const std::string& cle : cles) {
        if (plateforme::LisibleParTous(cle)) {
            return Defaillance{GenreEchec::Configuration,
                               FormateMessage(langue.Texte("MSG_CLE_PRIVEE_LISIBLE"), cle, cle),
                               {}};
        }
    }
    return std::nullopt;
}

ResultatEnvoi<clsConfigSMTP> ResoutMotDePasse(clsConfigSMTP configuration, const Langue& langue) {
    if (std::optional<Defaillance> exposee = CleExposee(configuration, langue)) {
        return std::move(*exposee);
    }
    if (configuration.Authentification == AuthOAuth2 && !configuration.CommandeJetonOAuth.empty()) {
        ResultatEnvoi<std::string> jeton = PremiereLigne(
            configuration.CommandeJetonOAuth, langue.Texte("MSG_ERREUR_COMMANDE_JETON"),
            langue.Texte("TXT_COMMANDE_VIDE_JETON"), langue);
        if (!jeton.Reussi()) {
            return jeton.Erreur();
        }
        configuration.Password = ChiffreMotDePasse(jeton.Valeur());
        configuration.CommandeMotDePasse.clear();
        configuration.UrlJetonOAuth.clear();
        configuration.CommandeJetonOAuth.clear();
        return configuration;
    }
    if (configuration.CommandeMotDePasse.empty()) {
        return configuration;
    }
    ResultatEnvoi<std::string> motDePasse =
        ExecuteCommandeMotDePasse(configuration.CommandeMotDePasse, langue);
    if (!motDePasse.Reussi()) {
        return motDePasse.Erreur();
    }
    configuration.Password = ChiffreMotDePasse(motDePasse.Valeur());
    configuration.CommandeMotDePasse.clear();
    return configuration;
}

}  // namespace corvelle
