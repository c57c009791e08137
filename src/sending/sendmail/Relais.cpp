#include "sending/sendmail/Relais.h"

#include <exception>

#include "sending/Serveur.h"
#include "sending/smtp/ComposantSMTP.h"

namespace corvelle::sendmail {

namespace {

IssueRelais Echec(Conclusion conclusion, std::string detail = {}) {
    return {conclusion, std::move(detail)};
}

}  // namespace

IssueRelais Relaie(const OptionsSendmail& options, const ContexteRelais& contexte,
                   std::istream& entree) {
    const std::optional<smtp::Boite> defaut = smtp::LitBoite(contexte.expediteurParDefaut);
    smtp::ReglesEntree regles;
    regles.pointFinal = options.pointFinal;
    regles.lireEntetes = options.lireEntetes;
    regles.suffixe = contexte.suffixe;
    if (defaut) {
        regles.expediteur = defaut->adresse;
        regles.nomComplet = options.nomComplet.empty() ? defaut->nom : options.nomComplet;
    }
    smtp::MessageEntrant message;
    try {
        message = smtp::LitMessageEntrant(entree, regles);
    } catch (const smtp::EntreeRefusee& refus) {
        switch (refus.Defaut()) {
            case smtp::DefautEntree::Vide:
                return Echec(Conclusion::MessageVide);
            case smtp::DefautEntree::OctetNul:
                return Echec(Conclusion::OctetNul);
            case smtp::DefautEntree::AdresseIllisible:
                break;
        }
        return Echec(Conclusion::AdresseIllisible, refus.Detail());
    }

    std::vector<std::string> destinataires;
    for (const std::string& argument : options.destinataires) {
        try {
            for (std::string& boite : smtp::BoitesDeListe(argument, contexte.suffixe)) {
                destinataires.push_back(std::move(boite));
            }
        } catch (const smtp::EntreeRefusee& refus) {
            return Echec(Conclusion::AdresseIllisible, refus.Detail());
        }
    }
    destinataires.insert(destinataires.end(), message.destinataires.begin(),
                         message.destinataires.end());
    if (destinataires.empty()) {
        return Echec(Conclusion::SansDestinataire);
    }
    // -f, else the configuration's envelope sender, else the default sender.
    std::string enveloppe = options.expediteurEnveloppe;
    if (!options.enveloppeDonnee) {
        enveloppe = !contexte.configuration.ExpediteurEnveloppe.empty()
                        ? contexte.configuration.ExpediteurEnveloppe
                        : (defaut ? defaut->adresse : std::string());
        if (enveloppe.empty()) {
            return Echec(Conclusion::SansExpediteur);
        }
    }

    ComposantSMTP smtp;
    AppliqueConfiguration(smtp, contexte.configuration, contexte.fichierJetons);
    smtp.SetTimeout(contexte.timeoutSecondes * 1000);
    if (contexte.trace) {
        smtp.SetTrace(contexte.trace);
    }
    smtp.SetRelais(ComposantSMTP::Relais{message.octets, std::move(enveloppe),
                                         std::move(destinataires), message.huitBits,
                                         options.dsn.notify, options.dsn.ret, options.dsn.envid});
    smtp.Envoie();
    const ComposantSMTP::Issue& issue = smtp.Resultat();
    if (issue.accepte) {
        return {};
    }
    switch (issue.genre) {
        case GenreEchec::Temporaire:
            return Echec(Conclusion::Temporaire, issue.statut);
        case GenreEchec::Configuration:
            return Echec(Conclusion::Configuration, issue.statut);
        case GenreEchec::Local:
            return Echec(Conclusion::MessageRefuse, issue.statut);
        case GenreEchec::Permanent:
            break;
    }
    return Echec(Conclusion::Refuse, issue.statut);
}

}  // namespace corvelle::sendmail
