#include "sending/Rapport.h"

#include <algorithm>
#include <iostream>
#include <optional>

#include "core/Chemins.h"
#include "core/Dialogue.h"
#include "core/Plateforme.h"
#include "core/Texte.h"
#include "core/Version.h"
#include "i18n/Langue.h"
#include "i18n/Traduction.h"
#include "sending/Bilan.h"
#include "sending/Demande.h"
#include "sending/Serveur.h"
#include "sending/smtp/ComposantSMTP.h"

namespace corvelle {

namespace {

void SignaleRapportPerdu(const Langue& langue, const std::string& raison) {
    std::cerr << langue.Libelle(kTitreApplication,
                                FormateMessage(langue.Texte("MSG_RAPPORT_NON_ENVOYE"), raison))
              << '\n';
}

// Best effort: a report that cannot be mailed must neither stop the run nor
// cause another report, so its failure is only noted on standard error.
void EnvoieParMail(const Langue& langue, const Demande& demande, const std::string& message) {
    try {
        ComposantSMTP smtp;
        AppliqueConfiguration(smtp, demande.configuration, demande.fichierJetons);
        // Milliseconds, as for every send: the setting is in seconds.
        smtp.SetTimeout(demande.timeoutSecondes * 1000);
        smtp.SetExpediteur(demande.expediteur);
        smtp.SetDestinataires(demande.expediteur);
        smtp.SetObjet(langue.Texte("TXT_REPORTING_CORVELLE"));
        smtp.SetCorpsTexte(message);
        smtp.SetEntetes(EntetesDemande(demande));
        smtp.Envoie();
        if (!smtp.Resultat().accepte) {
            SignaleRapportPerdu(langue, smtp.Statut());
        }
    } catch (const std::exception& e) {
        SignaleRapportPerdu(langue, e.what());
    }
}

// Appends the record, or says why it could not, with the record itself so
// that it is not lost (a sent message was sent all the same).
std::optional<std::string> AjouteAuJournal(const Langue& langue, const std::string& fichierLog,
                                           const std::string& message) {
    // One level only: a log folder whose parent is missing too is a mistake
    // worth showing, not something to build silently.
    std::string dossier = ExtraitDossier(fichierLog);
    if (dossier.size() > 1) {
        dossier.pop_back();
        // Checked again after a failure: another run may have just made it.
        if (!ExisteFichier(dossier, plateforme::AttrDossier)) {
            const int erreur = plateforme::CreeDossierSimple(dossier);
            if (erreur != 0 && !ExisteFichier(dossier, plateforme::AttrDossier)) {
                return FormateMessage(langue.Texte("MSG_ERREUR_JOURNAL_DOSSIER"), dossier,
                                      plateforme::DescriptionSysteme(erreur), message);
            }
        }
    }
    const int erreur = plateforme::AjouteAuFichier(
        fichierLog, plateforme::HorodatageLocal() + " : " + Remplace(message, "\r\n", "\n") + "\n");
    if (erreur != 0) {
        return FormateMessage(langue.Texte("MSG_ERREUR_JOURNAL"), fichierLog,
                              plateforme::DescriptionSysteme(erreur), message);
    }
    return std::nullopt;
}

// Whom a failed batch did not reach, so they can be sent to again.
std::string Destinataires(const Langue& langue, const Lot& lot) {
    std::string liste;
    for (const std::string* champ : {&lot.destinataires, &lot.copie, &lot.copieCachee}) {
        if (!champ->empty()) {
            liste += (liste.empty() ? "" : ", ") + *champ;
        }
    }
    if (liste.empty()) {
        return {};
    }
    return " (" + FormateMessage(langue.Texte("MSG_DESTINATAIRES_LOT"), Lisible(liste)) + ")";
}

// The per-batch lines of a failure joined, for one line of standard error.
std::string UneLigne(const std::string& message) {
    return Remplace(Remplace(message, "\r\n", " "), "\n", " ");
}

}  // namespace

void EcritLog(const Langue& langue, Dialogue& dialogue, const Demande& demande,
              const std::string& message, Gravite gravite) {
    // The message's own lines stay; any other line break or control, from a
    // value or a server, is escaped: one run, one record.
    const std::string texte = Lisible(message, SautsDeLigne::Gardes);
    // A preview contacts no server, not even for its report.
    const std::uint16_t rapport =
        demande.apercu ? demande.rapport & RapportFichierLog : demande.rapport;
    if ((rapport & RapportParMail) != 0) {
        EnvoieParMail(langue, demande, texte);
    }
    std::optional<std::string> horsJournal;
    if ((rapport & RapportFichierLog) != 0) {
        horsJournal = AjouteAuJournal(langue, demande.fichierLog, texte);
    }
    if (rapport == 0) {
        dialogue.Affiche({texte, kTitreApplication, Icone::Exclamation, Boutons::Ok, Reponse::Ok,
                          gravite == Gravite::Reussite});
    } else if (horsJournal) {
        dialogue.Affiche(
            {*horsJournal, kTitreApplication, Icone::Exclamation, Boutons::Ok, Reponse::Ok});
    } else if (gravite == Gravite::Echec && demande.ligneCommande) {
        std::cerr << kTitreApplication << " - " << langue.Texte("TXT_CONSOLE_ERREUR") << ' '
                  << UneLigne(texte) << '\n';
    }
}

std::string TexteBilan(const Langue& langue, const Demande& demande, const Bilan& bilan) {
    if (bilan.arret) {
        return bilan.arret->echec.texte;
    }
    if (bilan.Accepte()) {
        return FormateMessage(
            langue.Texte(demande.apercu ? "MSG_SUCCES_APERCU" : "MSG_SUCCES_ENVOI"),
            Lisible(demande.objet), bilan.destinataires, bilan.lots.size());
    }
    std::string texte;
    if (bilan.Abouti()) {
        const auto gardes = std::count_if(bilan.lots.begin(), bilan.lots.end(),
                                          [](const Lot& lot) { return !lot.attente.empty(); });
        texte = FormateMessage(langue.Texte("MSG_SUCCES_ATTENTE"), Lisible(demande.objet),
                               bilan.destinataires, bilan.lots.size(), gardes);
    } else {
        texte = langue.Texte("MSG_ERREUR_ENVOI");
    }
    if (bilan.lots.empty()) {
        texte += " " + langue.Texte("MSG_ERREUR_CREATION_OBJET");
    }
    // " ~ ": kept to go later, nothing for the person to do; " - ": failed.
    for (const Lot& lot : bilan.lots) {
        if (!lot.attente.empty()) {
            texte += "\r\n ~ " +
                     FormateMessage(langue.Texte("MSG_LOT_EN_ATTENTE"), lot.attente, lot.statut) +
                     Destinataires(langue, lot);
        } else if (!lot.accepte) {
            texte += "\r\n - " + lot.statut + Destinataires(langue, lot);
        }
    }
    if (bilan.incident) {
        texte += "\r\n - " + Lisible(bilan.incident->texte);
    }
    return texte;
}

}  // namespace corvelle
