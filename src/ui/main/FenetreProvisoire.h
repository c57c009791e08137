#pragma once

namespace corvelle {
struct EtatProgramme;
}

namespace corvelle::ui {

class DialogueQt;

// The main window until the compose window exists: its title and what the
// program has loaded. Returns when the window is closed.
int LanceFenetre(EtatProgramme& etat, DialogueQt& dialogue);

}  // namespace corvelle::ui
