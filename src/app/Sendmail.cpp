#include "app/Sendmail.h"

#include <iostream>

#include "app/Demarrage.h"
#include "app/Expedition.h"
#include "app/Programme.h"
#include "config/Parametres.h"
#include "core/Dialogue.h"
#include "core/Erreur.h"
#include "core/Plateforme.h"
#include "core/Texte.h"
#include "core/Version.h"
#include "i18n/Langue.h"
#include "i18n/Traduction.h"
#include "sending/Serveur.h"
#include "sending/outbox/FileAttente.h"
#include "sending/sendmail/Relais.h"

namespace corvelle {

namespace {

int Signale(const Langue& langue, int code, const std::string& texte) {
    std::cerr << FormateMessage(langue.Texte("TXT_LIBELLE_TEXTE"), kTitreApplication, texte)
              << '\n';
    return code;
}

int ErreurUsage(const Langue& langue, const sendmail::AnalyseSendmail& analyse) {
    const char* cle = "MSG_SENDMAIL_OPTION";
    switch (analyse.erreur) {
        case sendmail::ErreurOption::ValeurManquante:
            cle = "MSG_SENDMAIL_VALEUR_MANQUANTE";
            break;
        case sendmail::ErreurOption::ValeurInvalide:
            cle = "MSG_SENDMAIL_VALEUR_INVALIDE";
            break;
        case sendmail::ErreurOption::ModeNonPrisEnCharge:
            cle = "MSG_SENDMAIL_MODE";
            break;
        case sendmail::ErreurOption::Aucune:
        case sendmail::ErreurOption::Inconnue:
            break;
    }
    return Signale(langue, kSortieUsage,
                   FormateMessage(langue.Texte(cle), Lisible(analyse.option)));
}

int CodeSortie(const Langue& langue, const sendmail::IssueRelais& issue) {
    using sendmail::Conclusion;
    const std::string echec =
        FormateMessage(langue.Texte("MSG_SENDMAIL_ECHEC"), Lisible(issue.detail));
    switch (issue.conclusion) {
        case Conclusion::Envoye:
            return 0;
        case Conclusion::MessageVide:
            return Signale(langue, kSortieDonnees, langue.Texte("MSG_SENDMAIL_VIDE"));
        case Conclusion::OctetNul:
            return Signale(langue, kSortieDonnees, langue.Texte("MSG_SENDMAIL_OCTET_NUL"));
        case Conclusion::AdresseIllisible:
            return Signale(
                langue, kSortieDonnees,
                FormateMessage(langue.Texte("MSG_SENDMAIL_ADRESSE"), Lisible(issue.detail)));
        case Conclusion::SansDestinataire:
            return Signale(langue, kSortieSansDestinataire,
                           langue.Texte("MSG_SENDMAIL_SANS_DESTINATAIRE"));
        case Conclusion::SansExpediteur:
            return Signale(langue, kSortieConfiguration,
                           langue.Texte("MSG_SENDMAIL_SANS_EXPEDITEUR"));
        case Conclusion::MessageRefuse:
            return Signale(langue, kSortieDonnees, echec);
        case Conclusion::Refuse:
            return Signale(langue, kSortieIndisponible, echec);
        case Conclusion::Temporaire:
            return Signale(langue, kSortieTemporaire, echec);
        case Conclusion::Configuration:
            return Signale(langue, kSortieConfiguration, echec);
    }
    return kSortieIndisponible;
}

// Without an outbox to keep it, the message goes at once and the exit code
// says how it went, as before there was one.
int EnvoieDirectement(const Programme& programme, const sendmail::Preparation& pret,
                      sendmail::ContexteRelais contexte) {
    const Langue& langue = programme.Langage;
    ResultatEnvoi<clsConfigSMTP> resolue = ResoutMotDePasse(contexte.configuration, langue);
    if (!resolue.Reussi()) {
        const Defaillance& echec = resolue.Erreur();
        return Signale(
            langue,
            echec.genre == GenreEchec::Temporaire ? kSortieTemporaire : kSortieConfiguration,
            echec.texte);
    }
    contexte.configuration = std::move(resolue.Valeur());
    return CodeSortie(langue, sendmail::Transmet(pret.enveloppe, pret.message, contexte));
}

// Keeps the message in the outbox before its first attempt, so that the
// caller is told success only once it is safe, whatever the relay does; then
// tries it once.
int GardeEtEnvoie(const Programme& programme, const sendmail::Preparation& pret,
                  const sendmail::ContexteRelais& contexte) {
    const Langue& langue = programme.Langage;
    std::string dossier;
    std::string id;
    try {
        dossier = DossierFileAttente(programme);
        id = outbox::FileAttente(dossier).Depose(pret.enveloppe, pret.message, Maintenant());
    } catch (const Erreur& erreur) {
        Signale(langue, 0,
                FormateMessage(langue.Texte("MSG_OUTBOX_ECRITURE"), erreur.Description()));
        return EnvoieDirectement(programme, pret, contexte);
    }
    try {
        outbox::FileAttente file(dossier);
        outbox::ResultatPrise prise = file.Prend(id);
        if (prise.etat != outbox::EtatPrise::Prise) {
            return 0;  // a runner has it already
        }
        const IssueEssai issue = EssaieEntree(programme, prise.prise, Maintenant(), contexte.trace);
        if (issue.devenir == Devenir::NonRemis) {
            Signale(langue, 0,
                    FormateMessage(langue.Texte("MSG_OUTBOX_NON_REMIS"), id,
                                   file.Dossier() + "failed/", Lisible(issue.detail)));
        }
        SignaleAvis(langue, issue);
    } catch (const Erreur& erreur) {
        // Kept already: a runner will try it again.
        Signale(langue, 0, FormateMessage(langue.Texte("MSG_OUTBOX_ERREUR"), erreur.Description()));
    }
    return 0;
}

}  // namespace

ModeMailer ModeDuLancement(const std::string& nomProgramme,
                           const std::vector<std::string>& arguments) {
    const std::string nom = nomProgramme.substr(nomProgramme.rfind('/') + 1);
    if (nom == "mailq") {
        return ModeMailer::Mailq;
    }
    if (nom == "sendmail" || (!arguments.empty() && arguments.front() == "--sendmail")) {
        return ModeMailer::Sendmail;
    }
    return ModeMailer::Aucun;
}

int LanceSendmail(ModeMailer mode, const std::vector<std::string>& arguments,
                  EnvironnementDemarrage env) {
    const sendmail::AnalyseSendmail analyse = sendmail::AnalyseOptionsSendmail(arguments);
    if (analyse.erreur != sendmail::ErreurOption::Aucune) {
        return ErreurUsage(LangueDuSysteme(env), analyse);
    }
    const sendmail::OptionsSendmail& options = analyse.options;
    env.arguments.clear();
    env.fichierMachine = plateforme::FichierReglagesMachine();
    env.silencieux = true;
    DialogueConsole dialogue;
    Programme programme;
    // Settings that do not read are said by start-up itself.
    if (Demarre(env, programme, dialogue).mode == ModeExecution::Fin) {
        return kSortieConfiguration;
    }
    const Langue& langue = programme.Langage;
    if (mode == ModeMailer::Mailq || options.listeFileAttente) {
        try {
            ListeFileAttente(programme);
        } catch (const Erreur& erreur) {
            return Signale(langue, kSortieConfiguration, erreur.Description());
        }
        return 0;
    }
    const clsConfigSMTP* configuration = ConfigurationNommee(programme, options.configuration);
    if (!configuration) {
        return Signale(
            langue, kSortieConfiguration,
            FormateMessage(langue.Texte("MSG_SENDMAIL_CONFIG_INCONNUE"),
                           Lisible(options.configuration), NomsConfigurations(programme)));
    }
    if (EstListeExemple(programme.ListeConfigsSMTP)) {
        return Signale(
            langue, kSortieConfiguration,
            FormateMessage(langue.Texte("MSG_ERREUR_AUCUN_SERVEUR"), kServeurSMTPParDefaut));
    }
    sendmail::ContexteRelais contexte = ContexteRelaisDe(programme, *configuration);
    if (options.trace) {
        contexte.trace = [](std::string_view ligne) { std::cerr << ligne << '\n'; };
    }
    sendmail::Preparation pret = sendmail::Prepare(options, contexte, std::cin);
    if (pret.issue.conclusion != sendmail::Conclusion::Envoye) {
        return CodeSortie(langue, pret.issue);
    }
    pret.enveloppe.configuration = configuration->Nom;
    return GardeEtEnvoie(programme, pret, contexte);
}

}  // namespace corvelle
