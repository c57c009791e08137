#include "core/Version.h"

#include <cstdio>

#include "VersionConfig.h"

namespace corvelle {

const char* const kVersionProjet = CORVELLE_VERSION;

std::string TexteVersion(int majeur, int mineur, int revision) {
    if (revision > 99) {
        char r[16];
        std::snprintf(r, sizeof r, "%04d", revision);
        std::string texte = "v" + std::to_string(r[0] - '0') + "." + std::to_string(r[1] - '0');
        if (r[2] != '0') {
            texte += "." + std::to_string(r[2] - '0');
        }
        return texte + " beta " + std::to_string(std::stoi(r + 3));
    }
    std::string texte = "v" + std::to_string(majeur) + "." + std::to_string(mineur);
    if (revision > 0) {
        texte += "." + std::to_string(revision);
    }
    return texte;
}

std::string TexteVersion() {
    return TexteVersion(CORVELLE_VERSION_MAJEUR, CORVELLE_VERSION_MINEUR,
                        CORVELLE_VERSION_REVISION);
}

std::string TitreFenetre() {
    return std::string(kTitreApplication) + " " + TexteVersion();
}

bool EstVersionBeta() {
    return TexteVersion().find("beta") != std::string::npos;
}

}  // namespace corvelle
