#include "Fenetre.h"

#include <gtest/gtest.h>

#include "core/Demarrage.h"

namespace corvelle::test {

FenetreTest::FenetreTest(const std::string& ini, const std::string& fichierLangue,
                         const std::string& contenuLangue) {
    EcritFichier(dossier / "prog/Corvelle.ini", "[Configuration]\n" + ini);
    if (!fichierLangue.empty()) {
        EcritFichier(dossier / ("prog/" + fichierLangue), contenuLangue);
    }
    Relance();
}

void FenetreTest::Relance() {
    fenetre.reset();
    etat = EtatProgramme();
    EnvironnementDemarrage env;
    env.cheminExecutable = dossier / "prog/corvelle";
    env.dossierProgrammes = dossier / "prefixe";
    env.dossierDonnees = dossier / "donnees";
    env.dossierTravail = dossier.Chemin();
    env.codeLangueSysteme = 12;
    const IssueDemarrage issue = Demarre(env, etat, dialogue);
    EXPECT_EQ(issue.mode, ModeExecution::Fenetre);
    fenetre = std::make_unique<ui::frmCorvelle>(etat, dialogue);
    fenetre->Charge();
    fenetre->ShowInitial();
    QApplication::processEvents();
}

std::string FenetreTest::Configuration() const {
    return LitFichier(dossier / "prog/Corvelle.ini");
}

}  // namespace corvelle::test
