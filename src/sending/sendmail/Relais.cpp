#include "sending/sendmail/Relais.h"

#include <exception>

#include "sending/Serveur.h"
#include "sending/smtp/ComposantSMTP.h"

namespace corvelle::sendmail {

namespace {

IssueRelais Echec(Conclusion conclusion, std::string detail = {}) {
    return {conclusion, std::move(detail)};
}

Preparation Refus(Conclusion conclusion, std::string detail = {}) {
    return {Echec(conclusion, std::move(detail)), {}, {}};
}

}  // namespace

Preparation Prepare(const OptionsSendmail& options, const ContexteRelais& contexte,
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
                return Refus(Conclusion::MessageVide);
            case smtp::DefautEntree::OctetNul:
                return Refus(Conclusion::OctetNul);
            case smtp::DefautEntree::AdresseIllisible:
                break;
        }
        return Refus(Conclusion::AdresseIllisible, refus.Detail());
    }

    std::vector<std::string> destinataires;
    for (const std::string& argument : options.destinataires) {
        try {
            for (std::string& boite : smtp::BoitesDeListe(argument, contexte.suffixe)) {
                destinataires.push_back(std::move(boite));
            }
        } catch (const smtp::EntreeRefusee& refus) {
            return Refus(Conclusion::AdresseIllisible, refus.Detail());
        }
    }
    destinataires.insert(destinataires.end(), message.destinataires.begin(),
                         message.destinataires.end());
    if (destinataires.empty()) {
        return Refus(Conclusion::SansDestinataire);
    }
    // -f, else the configuration's envelope sender, else the default sender.
    std::string enveloppe = options.expediteurEnveloppe;
    if (!options.enveloppeDonnee) {
        enveloppe = !contexte.configuration.ExpediteurEnveloppe.empty()
                        ? contexte.configuration.ExpediteurEnveloppe
                        : (defaut ? defaut->adresse : std::string());
        if (enveloppe.empty()) {
            return Refus(Conclusion::SansExpediteur);
        }
    }

    Preparation pret;
    pret.enveloppe.expediteur = std::move(enveloppe);
    pret.enveloppe.destinataires = std::move(destinataires);
    pret.enveloppe.huitBits = message.huitBits;
    pret.enveloppe.notify = options.dsn.notify;
    pret.enveloppe.ret = options.dsn.ret;
    pret.enveloppe.envid = options.dsn.envid;
    pret.message = std::move(message.octets);
    return pret;
}

namespace {

void Prepare(ComposantSMTP& smtp, const ContexteRelais& contexte) {
    AppliqueConfiguration(smtp, contexte.configuration, contexte.fichierJetons);
    smtp.SetTimeout(contexte.timeoutSecondes * 1000);
    if (contexte.trace) {
        smtp.SetTrace(contexte.trace);
    }
}

ComposantSMTP::Relais RelaisDe(const outbox::Enveloppe& enveloppe, std::string_view message) {
    return {message,          enveloppe.expediteur, enveloppe.destinataires, enveloppe.huitBits,
            enveloppe.notify, enveloppe.ret,        enveloppe.envid};
}

IssueRelais IssueDe(const ComposantSMTP::Issue& issue) {
    if (issue.accepte) {
        return {};
    }
    Conclusion conclusion = Conclusion::Refuse;
    switch (issue.genre) {
        case GenreEchec::Temporaire:
            conclusion = Conclusion::Temporaire;
            break;
        case GenreEchec::Configuration:
            conclusion = Conclusion::Configuration;
            break;
        case GenreEchec::Local:
            conclusion = Conclusion::MessageRefuse;
            break;
        case GenreEchec::Permanent:
            break;
    }
    return {conclusion, issue.statut, issue.reponse, issue.partiel, issue.refuses};
}

std::vector<VerdictRelais> VerdictsDe(const std::vector<ComposantSMTP::Issue>& issues) {
    std::vector<VerdictRelais> verdicts;
    for (const ComposantSMTP::Issue& issue : issues) {
        verdicts.push_back({issue.lot, IssueDe(issue)});
    }
    return verdicts;
}

}  // namespace

IssueRelais Transmet(const outbox::Enveloppe& enveloppe, const std::string& message,
                     const ContexteRelais& contexte) {
    ComposantSMTP smtp;
    Prepare(smtp, contexte);
    smtp.SetRelais(RelaisDe(enveloppe, message));
    smtp.Envoie();
    return IssueDe(smtp.Resultat());
}

SerieRelais::SerieRelais(const ContexteRelais& contexte)
    : smtp_(std::make_unique<ComposantSMTP>()) {
    Prepare(*smtp_, contexte);
}

SerieRelais::~SerieRelais() = default;

std::vector<VerdictRelais> SerieRelais::Envoie(std::uint64_t numero,
                                               const outbox::Enveloppe& enveloppe,
                                               std::string_view message) {
    smtp_->SetRelais(RelaisDe(enveloppe, message));
    return VerdictsDe(smtp_->EnvoieEnSerie(numero, false));
}

std::vector<VerdictRelais> SerieRelais::Attend(bool fin) {
    return VerdictsDe(fin ? smtp_->Termine() : smtp_->Attend());
}

}  // namespace corvelle::sendmail
