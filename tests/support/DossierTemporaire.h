#pragma once

#include <string>

namespace corvelle::test {

// A fresh folder under the system's temporary folder, removed with its content
// when the object goes.
class DossierTemporaire {
  public:
    DossierTemporaire();
    DossierTemporaire(const DossierTemporaire&) = delete;
    DossierTemporaire& operator=(const DossierTemporaire&) = delete;
    ~DossierTemporaire();

    // The folder, without a separator at its end.
    [[nodiscard]] const std::string& Chemin() const { return chemin_; }
    // A path inside the folder.
    [[nodiscard]] std::string operator/(const std::string& nom) const {
        return chemin_ + "/" + nom;
    }

  private:
    std::string chemin_;
};

// Writes bytes to a file, creating its folder.
void EcritFichier(const std::string& chemin, const std::string& octets);
[[nodiscard]] std::string LitFichier(const std::string& chemin);

}  // namespace corvelle::test
