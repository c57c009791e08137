// Helper of the crash-safety tests (test_fiabilite.py): runs the program's own
// file routines so that the tests can kill it, or run many at once.
//
//   aide_fiabilite profil-ecrit <ini>      rewrites <ini> with version 0, 1, 0...
//                                          forever, as the program does
//   aide_fiabilite profil-verifie <ini>    prints the version <ini> holds whole,
//                                          exit code 1 when it holds none
//   aide_fiabilite journal <log> <id> <depart>
//                                          waits for <depart> to exist, then
//                                          appends one log record to <log>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <thread>

#include "config/Profil.h"
#include "core/Plateforme.h"

namespace {

using corvelle::FichierProfil;

constexpr int kCles = 100;
constexpr const char* kSection = "Configuration";

std::string Cle(int i) {
    return "Cle" + std::to_string(i);
}

// Long values, so that a rewrite takes several write calls and a kill can
// land in the middle of one.
std::string Valeur(int version, int i) {
    return "v" + std::to_string(version) + "-" + std::to_string(i) + "-" +
           std::string(700, static_cast<char>('a' + version));
}

int EcritProfils(const std::string& chemin) {
    for (int version = 0;; version = 1 - version) {
        FichierProfil profil = FichierProfil::Charge(chemin);
        for (int i = 0; i < kCles; ++i) {
            profil.Ecrit(kSection, Cle(i), Valeur(version, i));
        }
        profil.Ecrit(kSection, "Version", std::to_string(version));
        profil.Enregistre();
    }
}

int VerifieProfil(const std::string& chemin) {
    const FichierProfil profil = FichierProfil::Charge(chemin);
    const std::string version = profil.Lit(kSection, "Version", "");
    if (version != "0" && version != "1") {
        std::cerr << "no version in " << chemin << '\n';
        return 1;
    }
    for (int i = 0; i < kCles; ++i) {
        const std::string attendu = Valeur(version == "1" ? 1 : 0, i);
        if (profil.Lit(kSection, Cle(i), "") != attendu) {
            std::cerr << Cle(i) << " is not from version " << version << '\n';
            return 1;
        }
    }
    std::cout << version << '\n';
    return 0;
}

int AjouteAuJournal(const std::string& chemin, const std::string& id, const std::string& depart) {
    // Started together, the processes write together.
    const auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!std::filesystem::exists(depart) && std::chrono::steady_clock::now() < limite) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    // The shape of a failed dispatch's record: a first line, then one line
    // per batch.
    std::string message = "Enregistrement " + id + " :";
    for (int i = 0; i < 100; ++i) {
        message += "\n - " + id + " ligne " + std::to_string(i) + " " + std::string(60, 'x');
    }
    const int erreur = corvelle::plateforme::AjouteAuFichier(
        chemin, corvelle::plateforme::HorodatageLocal() + " : " + message + "\n");
    if (erreur != 0) {
        std::cerr << chemin << ": " << corvelle::plateforme::DescriptionSysteme(erreur) << '\n';
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string action = argc > 1 ? argv[1] : "";
    try {
        if (action == "profil-ecrit" && argc == 3) {
            return EcritProfils(argv[2]);
        }
        if (action == "profil-verifie" && argc == 3) {
            return VerifieProfil(argv[2]);
        }
        if (action == "journal" && argc == 5) {
            return AjouteAuJournal(argv[2], argv[3], argv[4]);
        }
    } catch (const std::exception& e) {
        std::cerr << e.what() << '\n';
        return 1;
    }
    std::cerr << "usage: aide_fiabilite profil-ecrit|profil-verifie <ini> | journal <log> <id> "
                 "<depart>\n";
    return 2;
}
