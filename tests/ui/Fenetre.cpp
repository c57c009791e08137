#include "Fenetre.h"

#include <gtest/gtest.h>

#include "support/EnvironnementTest.h"

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
    etat = Programme();
    const IssueDemarrage issue = Demarre(EnvironnementPortable(dossier), etat, dialogue);
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
