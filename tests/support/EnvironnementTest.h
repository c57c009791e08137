#pragma once

#include "app/Demarrage.h"
#include "support/DossierTemporaire.h"

namespace corvelle::test {

// A window-mode start of a portable copy kept in `dossier`/prog, on a French
// system, working in `dossier`.
inline EnvironnementDemarrage EnvironnementPortable(const DossierTemporaire& dossier) {
    EnvironnementDemarrage env;
    env.cheminExecutable = dossier / "prog/corvelle";
    env.dossierProgrammes = dossier / "prefixe";
    env.dossierDonnees = dossier / "donnees";
    env.dossierTravail = dossier.Chemin();
    env.codeLangueSysteme = 12;
    return env;
}

}  // namespace corvelle::test
