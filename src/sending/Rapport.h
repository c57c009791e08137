#pragma once

// How a run tells its outcome: a mail to the sender (/r), a line in the log
// file (/l), or a message box when neither was asked for.

#include <string>

namespace corvelle {

class Dialogue;
struct Bilan;
struct Demande;
struct Langue;

enum class Gravite { Reussite, Avertissement, Echec };

// Mails, logs or shows the message as the request's report options say. A
// failure sent to a log or a mail still writes one line on standard error, so
// a script or cron sees it; a success stays quiet there.
void EcritLog(const Langue& langue, Dialogue& dialogue, const Demande& demande,
              const std::string& message, Gravite gravite = Gravite::Echec);

// The outcome of a dispatch in words: why it stopped, the success message,
// or the failure with one " - " line per refused batch; each batch kept in
// the outbox to go later has a " ~ " line.
[[nodiscard]] std::string TexteBilan(const Langue& langue, const Demande& demande,
                                     const Bilan& bilan);

}  // namespace corvelle
