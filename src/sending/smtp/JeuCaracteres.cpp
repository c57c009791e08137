#include "sending/smtp/JeuCaracteres.h"

#include <algorithm>

#include "core/Texte.h"
#include "sending/smtp/RessourcesGMime.h"

namespace corvelle::smtp {

namespace {

// The characters a charset name may hold in a Content-Type parameter without
// quoting (a MIME token, RFC 2045), which every real charset name is.
bool EstJeton(std::string_view nom) {
    return !nom.empty() && std::all_of(nom.begin(), nom.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || c == '-' || c == '_' ||
               c == '.' || c == ':' || c == '+';
    });
}

bool IconvConnait(const char* nomIconv) {
    GIConv conversion = g_iconv_open(nomIconv, "UTF-8");
    if (conversion == reinterpret_cast<GIConv>(-1)) {
        return false;
    }
    g_iconv_close(conversion);
    return true;
}

}  // namespace

JeuCaracteres::JeuCaracteres(std::string_view nom) : nom_(Minuscules(Elague(nom))) {
    InitialiseGMime();
    if (nom_ == "utf8" || !EstJeton(nom_)) {
        nom_ = kUtf8;
    }
    nomIconv_ = g_mime_charset_iconv_name(nom_.c_str());
    if (!EstUtf8() && !IconvConnait(nomIconv_.c_str())) {
        nom_ = kUtf8;
        nomIconv_ = "UTF-8";
    }
}

std::optional<std::string> JeuCaracteres::Convertit(std::string_view utf8) const {
    if (EstUtf8()) {
        return std::string(utf8);
    }
    gsize lus = 0;
    gsize ecrits = 0;
    GError* brute = nullptr;
    const TexteG converti(g_convert(utf8.data(), static_cast<gssize>(utf8.size()),
                                    nomIconv_.c_str(), "UTF-8", &lus, &ecrits, &brute));
    const ErreurG erreur(brute);
    if (!converti) {
        return std::nullopt;
    }
    return std::string(converti.get(), ecrits);
}

std::string JeuCaracteres::NomPour(std::string_view utf8) const {
    return Convertit(utf8) ? nom_ : std::string(kUtf8);
}

}  // namespace corvelle::smtp
