#include "Fenetre.h"

#include <gtest/gtest.h>

#include "i18n/Langue.h"
#include "support/EnvironnementTest.h"

namespace corvelle::test {

std::string ContenuAnglais() {
    return LitFichier(CORVELLE_TRADUCTIONS "/English.lng");
}

Langue Anglais(const std::string& fichier) {
    Langue anglais;
    anglais.LangueCourante = "English";
    anglais.FichierTraduction = fichier.empty() ? CORVELLE_TRADUCTIONS "/English.lng" : fichier;
    anglais.Fichier = FichierLangue::Charge(anglais.FichierTraduction);
    ChargeTraductions(anglais);
    return anglais;
}

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
