#pragma once

#include <vector>

#include "core/Dialogue.h"

namespace corvelle {

// Keeps every box for tests and answers from a script, else by default.
class DialogueEnregistreur final : public Dialogue {
  public:
    std::vector<Boite> boites;
    std::vector<Reponse> reponses;  // answers given in order, then defaults
    int attentes = 0;               // busy pointer left on

    Reponse Affiche(const Boite& boite) override {
        boites.push_back(boite);
        if (reponses.empty()) {
            return boite.parDefaut;
        }
        const Reponse r = reponses.front();
        reponses.erase(reponses.begin());
        return r;
    }
    void DebutAttente() override { ++attentes; }
    void FinAttente() override {
        if (attentes > 0) {
            --attentes;
        }
    }
    void TraiteEvenements() override {}
};

}  // namespace corvelle
