#pragma once

// A compose window started as the program starts it, from a portable folder
// holding the given configuration (and translation files).

#include <QApplication>
#include <QObject>
#include <memory>
#include <string>

#include "app/Programme.h"
#include "core/Dialogue.h"
#include "support/DialogueEnregistreur.h"
#include "support/DossierTemporaire.h"
#include "ui/main/FenetreComposition.h"

namespace corvelle::test {

class FenetreTest {
  public:
    // `ini`: the lines of section Configuration, without its header.
    explicit FenetreTest(const std::string& ini = {}, const std::string& fichierLangue = {},
                         const std::string& contenuLangue = {});

    // Another window on the same folder, as the next start would open it.
    void Relance();

    template <typename T>
    T* Controle(const QString& nom, int index = -1) const {
        for (T* candidat : fenetre->findChildren<T*>(nom)) {
            if (index < 0 || candidat->property("index").toInt() == index) {
                return candidat;
            }
        }
        return nullptr;
    }

    [[nodiscard]] std::string Configuration() const;

    DossierTemporaire dossier;
    DialogueEnregistreur dialogue;
    Programme etat;
    std::unique_ptr<ui::frmCorvelle> fenetre;
};

}  // namespace corvelle::test
