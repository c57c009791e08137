#include "app/Sendmail.h"

#include <iostream>

#include "app/Demarrage.h"
#include "app/Programme.h"
#include "config/Parametres.h"
#include "core/Dialogue.h"
#include "core/Plateforme.h"
#include "core/Texte.h"
#include "core/Version.h"
#include "i18n/Langue.h"
#include "i18n/Traduction.h"
#include "sending/Serveur.h"
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

// The configuration -C names, or the default one (the first).
const clsConfigSMTP* Configuration(const Programme& programme, const std::string& nom) {
    if (nom.empty()) {
        return programme.ListeConfigsSMTP.empty() ? nullptr : &programme.ListeConfigsSMTP.front();
    }
    for (const clsConfigSMTP& config : programme.ListeConfigsSMTP) {
        if (EgauxSansCasse(config.Nom, nom)) {
            return &config;
        }
    }
    return nullptr;
}

std::string NomsConfigurations(const Programme& programme) {
    std::string noms;
    for (const clsConfigSMTP& config : programme.ListeConfigsSMTP) {
        noms += (noms.empty() ? "" : ", ") + config.Nom;
    }
    return noms;
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
        // Every message is sent at once: none waits.
        std::cout << langue.Texte("TXT_SENDMAIL_FILE_VIDE") << '\n';
        return 0;
    }
    const clsConfigSMTP* configuration = Configuration(programme, options.configuration);
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
    ResultatEnvoi<clsConfigSMTP> resolue = ResoutMotDePasse(*configuration, langue);
    if (!resolue.Reussi()) {
        const Defaillance& echec = resolue.Erreur();
        return Signale(
            langue,
            echec.genre == GenreEchec::Temporaire ? kSortieTemporaire : kSortieConfiguration,
            echec.texte);
    }
    sendmail::ContexteRelais contexte;
    contexte.configuration = std::move(resolue.Valeur());
    contexte.expediteurParDefaut = programme.Reglages.ExpediteurParDefaut;
    contexte.fichierJetons = FichierJetons(programme.FichierConfiguration);
    contexte.suffixe = programme.Reglages.Suffixe;
    contexte.timeoutSecondes = programme.Reglages.TimeoutSMTP;
    if (options.trace) {
        contexte.trace = [](std::string_view ligne) { std::cerr << ligne << '\n'; };
    }
    return CodeSortie(langue, sendmail::Relaie(options, contexte, std::cin));
}

}  // namespace corvelle
