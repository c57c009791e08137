#pragma once

namespace corvelle {

class Dialogue;
struct Programme;

// Opens the directory at start-up with the settings' access mode. On failure
// it asks whether to change the settings: No (the default, and the answer of a
// console without a display) goes on without directory access for this run;
// Yes asks for the configuration window and returns false to end the run.
[[nodiscard]] bool OuvreAnnuaire(Programme& etat, Dialogue& dialogue);

}  // namespace corvelle
