#pragma once

// One send as the compose window or a command line asks for it: the message
// and every option of this run. Built once, then read by the dispatch and by
// whatever reports its outcome; program-wide settings are never written.

#include <cstdint>
#include <string>
#include <vector>

#include "config/ConfigSMTP.h"
#include "sending/smtp/ComposantSMTP.h"

namespace corvelle {

// Where the outcome goes: bits of `options`.
enum OptionRapport : std::uint16_t {
    RapportParMail = 1,
    RapportFichierLog = 2,
};

// The progress line of a command-line send, on standard error.
enum class AffichageProgression : std::uint8_t {
    Auto,   // on a terminal, for a send that lasts, when nothing else reports there
    Force,  // --progress
    Aucun,  // --no-progress
};

struct Demande {
    // The message.
    std::string expediteur;
    std::string reponse;
    std::string destinataires;  // recipient list texts (fic:, grp:, names)
    std::string copie;
    std::string copieCachee;
    std::string objet;
    std::string corpsTexte;  // empty: no text part
    std::string corpsHTML;   // empty: no HTML part
    std::string encodage;
    std::int32_t notification = 0;
    std::int32_t importance = 0;
    std::int32_t sensibilite = 0;
    std::vector<std::string> piecesJointes;  // names or patterns, absolute or relative
    smtp::EntetesLibres entetes;             // given with /ent:, checked
    // Marked "Auto-Submitted: auto-generated" unless `entetes` says otherwise:
    // a command line's mail, while the setting AutoSubmitted is on.
    bool automatique = false;

    // The run.
    clsConfigSMTP configuration;
    std::int32_t nbDest = 0;   // recipients per message; below 1: no limit
    bool repartition = false;  // spread each batch over To, Cc and Bcc
    std::string suffixe;       // completes names without "@"
    std::int32_t timeoutSecondes = 0;
    bool ignorerPJManquantes = false;
    std::string dossierCourant;  // base of relative file names
    std::uint16_t rapport = 0;   // OptionRapport bits; none: a message box
    std::string fichierLog;
    std::string fichierJetons;   // OAuth2 tokens kept between runs
    bool ligneCommande = false;  // errors end the run rather than the send
    bool trace = false;          // the SMTP dialogue shown as it goes
    AffichageProgression progression = AffichageProgression::Auto;
    // /attente (--queue): a batch that fails for now is kept in the outbox, to
    // go later, instead of failing the run.
    bool attente = false;
    // --sysexits: a run whose failures may all pass later ends with
    // EX_TEMPFAIL, so a script can tell "try later" from "never".
    bool sysexits = false;
    // A preview: every batch built as it would be sent, written out, and
    // nothing sent (no report mail either); on standard output when no folder.
    bool apercu = false;
    std::string dossierApercu;
};

}  // namespace corvelle
