#pragma once

// What the window tests share: controls found by name, the shipped English
// file, and a compose window started as the program starts it, from a
// portable folder holding the given configuration (and translation file).

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

// The control of that name, and index for an element of a control array.
template <typename T>
T* Trouve(const QObject& fenetre, const char* nom, int index = -1) {
    for (T* candidat : fenetre.findChildren<T*>(QString::fromUtf8(nom))) {
        if (index < 0 || candidat->property("index").toInt() == index) {
            return candidat;
        }
    }
    return nullptr;
}

// The shipped English file (or another) with its catalogue, as a start in
// English loads it.
[[nodiscard]] Langue Anglais(const std::string& fichier = {});
[[nodiscard]] std::string ContenuAnglais();

class FenetreTest {
  public:
    // `ini`: the lines of section Configuration, without its header.
    explicit FenetreTest(const std::string& ini = {}, const std::string& fichierLangue = {},
                         const std::string& contenuLangue = {});

    // Another window on the same folder, as the next start would open it.
    void Relance();

    template <typename T>
    T* Controle(const char* nom, int index = -1) const {
        return Trouve<T>(*fenetre, nom, index);
    }

    [[nodiscard]] std::string Configuration() const;

    DossierTemporaire dossier;
    DialogueEnregistreur dialogue;
    Programme etat;
    std::unique_ptr<ui::frmCorvelle> fenetre;
};

}  // namespace corvelle::test
