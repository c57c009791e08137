#pragma once

// The options programs pass to the system's mailer ("sendmail -t -i",
// "sendmail -f bounces@x -oi rcpt@y"), read the way such mailers read them.

#include <optional>
#include <string>
#include <vector>

namespace corvelle::sendmail {

// What a delivery status notification asks for (-N, -R, -V).
struct OptionsDSN {
    // Empty: the server's default; else "NEVER" or some of "SUCCESS",
    // "FAILURE", "DELAY" joined by commas, as RCPT TO's NOTIFY takes them.
    std::string notify;
    std::string ret;  // "", "HDRS" or "FULL"
    std::string envid;
};

struct OptionsSendmail {
    std::vector<std::string> destinataires;  // command-line recipients
    bool lireEntetes = false;                // -t: To, Cc and Bcc add recipients
    bool pointFinal = true;                  // a lone "." ends the message (no -i)
    std::string expediteurEnveloppe;         // -f, -r ("<>": the null sender)
    bool enveloppeDonnee = false;
    std::string nomComplet;     // -F: From's display name when it is added
    std::string configuration;  // -C, --conf: the SMTP configuration
    OptionsDSN dsn;
    bool trace = false;             // -v
    bool listeFileAttente = false;  // -bp, or started as mailq
};

enum class ErreurOption { Aucune, Inconnue, ValeurManquante, ValeurInvalide, ModeNonPrisEnCharge };

// The options, or the first error and the option it concerns, for the caller
// to report as a usage error.
struct AnalyseSendmail {
    OptionsSendmail options;
    ErreurOption erreur = ErreurOption::Aucune;
    std::string option;  // as given: "-x", "--long", "-N bogus"
};

// `arguments` without the program's name (nor --sendmail).
[[nodiscard]] AnalyseSendmail AnalyseOptionsSendmail(const std::vector<std::string>& arguments);

}  // namespace corvelle::sendmail
