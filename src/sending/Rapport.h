#pragma once

// How the sending engine tells the outcome: a mail to the sender (/r), a line
// in the log file (/l), or a message box when neither was asked for.

#include <cstdint>
#include <string>

namespace corvelle {

class Dialogue;
struct EtatProgramme;

// Mails, logs or shows the message as the flags (OptionsRapport) say.
void EcritLog(const EtatProgramme& etat, Dialogue& dialogue, const std::string& message,
              std::uint16_t options);

// Shorthand with the run's current OptionsRapport.
void Signale(const EtatProgramme& etat, Dialogue& dialogue, const std::string& message);

}  // namespace corvelle
