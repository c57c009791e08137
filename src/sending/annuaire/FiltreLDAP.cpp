#include "sending/annuaire/FiltreLDAP.h"

namespace corvelle {

std::string EchappeFiltre(std::string_view valeur) {
    std::string echappe;
    echappe.reserve(valeur.size());
    for (const char c : valeur) {
        switch (c) {
            case '*':
                echappe += "\\2a";
                break;
            case '(':
                echappe += "\\28";
                break;
            case ')':
                echappe += "\\29";
                break;
            case '\\':
                echappe += "\\5c";
                break;
            case '\0':
                echappe += "\\00";
                break;
            default:
                echappe += c;
        }
    }
    return echappe;
}

}  // namespace corvelle
