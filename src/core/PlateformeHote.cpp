// The host's name and what others may read of a file: the system calls
// behind the per-server settings an administrator gives.

#include <netdb.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <memory>

#include "core/Plateforme.h"

namespace corvelle::plateforme {

bool LisibleParTous(const std::string& chemin) noexcept {
    struct stat etat {};
    return ::stat(chemin.c_str(), &etat) == 0 && (etat.st_mode & S_IROTH) != 0;
}

namespace {

std::string ChercheNomQualifie() {
    char nom[HOST_NAME_MAX + 1] = {};
    if (::gethostname(nom, sizeof nom - 1) != 0 || nom[0] == '\0') {
        return {};
    }
    addrinfo indications{};
    indications.ai_family = AF_UNSPEC;
    indications.ai_flags = AI_CANONNAME;
    addrinfo* trouvees = nullptr;
    if (::getaddrinfo(nom, nullptr, &indications, &trouvees) != 0 || !trouvees) {
        return {};
    }
    const std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> liberation(trouvees,
                                                                          &::freeaddrinfo);
    std::string canonique = trouvees->ai_canonname ? trouvees->ai_canonname : "";
    if (!canonique.empty() && canonique.back() == '.') {
        canonique.pop_back();
    }
    // A name without a dot is the short name again: the caller keeps its own.
    return canonique.find('.') == std::string::npos ? std::string() : canonique;
}

}  // namespace

std::string NomHoteQualifie() {
    static const std::string nom = ChercheNomQualifie();
    return nom;
}

}  // namespace corvelle::plateforme
