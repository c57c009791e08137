#include "app/Fenetres.h"

#include <iostream>

#include "app/APropos.h"
#include "app/Programme.h"
#include "core/Chemins.h"
#include "core/Plateforme.h"
#include "core/Version.h"

namespace corvelle {

namespace {

constexpr const char* kNomModule = "corvelle-ui.so";

}  // namespace

DialogueFenetres::DialogueFenetres(int& argc, char** argv, const Langue& langue)
    : argc_(argc), argv_(argv), langue_(langue) {}

// The window dialogue goes before the module that holds its code; the module
// itself stays loaded until the process ends.
DialogueFenetres::~DialogueFenetres() {
    fenetres_.reset();
}

Dialogue* DialogueFenetres::Fenetres() {
    if (!essaye_) {
        essaye_ = true;
        std::string erreur;
        std::string dossierProgramme;
        try {
            dossierProgramme = ExtraitDossier(plateforme::CheminExecutable());
        } catch (const std::exception& e) {
            erreur = e.what();
        }
        // Beside the program for a copy run from its build or any folder,
        // else where the installation put it.
        for (const std::string& dossier :
             {dossierProgramme, AjouteBarre(plateforme::DossierModules())}) {
            if (dossier.empty()) {
                continue;
            }
            std::string raison;
            module_ = plateforme::ChargeModule(dossier + kNomModule, raison);
            if (module_) {
                break;
            }
            erreur += (erreur.empty() ? "" : "; ") + raison;
        }
        const auto fabrique = module_
                                  ? reinterpret_cast<FabriqueDialogue>(
                                        plateforme::SymboleModule(module_, "corvelle_ui_dialogue"))
                                  : nullptr;
        if (fabrique) {
            fenetres_.reset(fabrique(&argc_, argv_, &erreur, &langue_));
        }
        if (!fenetres_) {
            std::cerr << kTitreApplication << " : windows unavailable (" << erreur
                      << "); messages go to the console.\n";
        }
    }
    return fenetres_.get();
}

Reponse DialogueFenetres::Affiche(const Boite& boite) {
    Dialogue* fenetres = Fenetres();
    return fenetres ? fenetres->Affiche(boite) : console_.Affiche(boite);
}

void DialogueFenetres::DebutAttente() {
    if (fenetres_) {
        fenetres_->DebutAttente();
    }
}

void DialogueFenetres::FinAttente() {
    if (fenetres_) {
        fenetres_->FinAttente();
    }
}

void DialogueFenetres::TraiteEvenements() {
    if (fenetres_) {
        fenetres_->TraiteEvenements();
    }
}

void* DialogueFenetres::Entree(const char* nom) {
    return Fenetres() ? plateforme::SymboleModule(module_, nom) : nullptr;
}

bool DialogueFenetres::LanceFenetre(Programme& etat, int& codeSortie) {
    const auto lanceur = reinterpret_cast<LanceurFenetre>(Entree("corvelle_ui_fenetre"));
    if (!lanceur) {
        return false;
    }
    codeSortie = lanceur(&etat, fenetres_.get());
    return true;
}

bool DialogueFenetres::OuvreConfiguration(Programme& etat) {
    const auto lanceur =
        reinterpret_cast<LanceurConfiguration>(Entree("corvelle_ui_configuration"));
    if (!lanceur) {
        return false;
    }
    lanceur(&etat, fenetres_.get());
    return true;
}

void DialogueFenetres::AfficheAPropos(const Programme& etat) {
    const auto lanceur = reinterpret_cast<LanceurAPropos>(Entree("corvelle_ui_apropos"));
    if (lanceur) {
        lanceur(&etat, fenetres_.get());
    } else {
        EcritAPropos(etat.Langage);
    }
}

}  // namespace corvelle
