#include "support/DossierTemporaire.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace corvelle::test {

namespace fs = std::filesystem;

DossierTemporaire::DossierTemporaire() {
    std::random_device alea;
    for (int essai = 0; essai < 100; ++essai) {
        const fs::path chemin =
            fs::temp_directory_path() / ("corvelle-test-" + std::to_string(alea()));
        if (fs::create_directory(chemin)) {
            chemin_ = chemin.string();
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

DossierTemporaire::~DossierTemporaire() {
    std::error_code ec;
    fs::permissions(chemin_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(chemin_, ec);
}

void EcritFichier(const std::string& chemin, const std::string& octets) {
    fs::create_directories(fs::path(chemin).parent_path());
    std::ofstream fichier(chemin, std::ios::binary | std::ios::trunc);
    fichier << octets;
    if (!fichier) {
        throw std::runtime_error("cannot write " + chemin);
    }
}

std::string LitFichier(const std::string& chemin) {
    std::ifstream fichier(chemin, std::ios::binary);
    if (!fichier) {
        throw std::runtime_error("cannot read " + chemin);
    }
    return {std::istreambuf_iterator<char>(fichier), std::istreambuf_iterator<char>()};
}

}  // namespace corvelle::test
