#include "app/APropos.h"

#include <iostream>

#include "core/Texte.h"
#include "core/Version.h"
#include "i18n/Langue.h"

namespace corvelle {

std::string TexteSyntaxe() {
    return Langue().Texte("TXT_AIDE");
}

std::string TexteAPropos(const Langue& langue) {
    return TitreFenetre() + "\n\n" + langue.Texte("TXT_AIDE");
}

void EcritAPropos(const Langue& langue) {
    const std::string texte = Remplace(TexteAPropos(langue), "\r\n", "\n");
    std::cout << texte;
    if (!texte.empty() && texte.back() != '\n') {
        std::cout << '\n';
    }
    std::cout.flush();
}

}  // namespace corvelle
