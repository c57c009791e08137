#include "sending/smtp/JeuCaracteres.h"

#include <algorithm>
#include <cerrno>
#include <memory>
#include <type_traits>

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

struct FermeIconv {
    void operator()(GIConv conversion) const noexcept { g_iconv_close(conversion); }
};
using Conversion = std::unique_ptr<std::remove_pointer_t<GIConv>, FermeIconv>;

// From UTF-8; null when iconv does not know the set.
Conversion OuvreConversion(const char* nomIconv) {
    GIConv conversion = g_iconv_open(nomIconv, "UTF-8");
    return Conversion(conversion == reinterpret_cast<GIConv>(-1) ? nullptr : conversion);
}

}  // namespace

JeuCaracteres::JeuCaracteres(std::string_view nom) : nom_(Minuscules(Elague(nom))) {
    InitialiseGMime();
    if (nom_ == "utf8" || !EstJeton(nom_)) {
        nom_ = kUtf8;
    }
    nomIconv_ = g_mime_charset_iconv_name(nom_.c_str());
    if (!EstUtf8() && !OuvreConversion(nomIconv_.c_str())) {
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

bool JeuCaracteres::Accepte(std::string_view utf8) const {
    if (EstUtf8()) {
        return true;
    }
    const Conversion conversion = OuvreConversion(nomIconv_.c_str());
    if (!conversion) {
        return false;
    }
    // Converted piece by piece into a scratch buffer, as g_convert would
    // convert it whole: a character the set lacks (or replaces), a bad or a
    // cut sequence fails it.
    char tampon[16384];
    auto* entree = const_cast<gchar*>(utf8.data());
    gsize reste = utf8.size();
    gchar* sortie = tampon;
    gsize place = sizeof tampon;
    while (reste > 0) {
        sortie = tampon;
        place = sizeof tampon;
        const gsize n = g_iconv(conversion.get(), &entree, &reste, &sortie, &place);
        if (n == static_cast<gsize>(-1) ? errno != E2BIG : n > 0) {
            return false;
        }
    }
    // The closing sequence of a set with shift states.
    sortie = tampon;
    place = sizeof tampon;
    return g_iconv(conversion.get(), nullptr, nullptr, &sortie, &place) != static_cast<gsize>(-1);
}

std::string JeuCaracteres::NomPour(std::string_view utf8) const {
    return Convertit(utf8) ? nom_ : std::string(kUtf8);
}

}  // namespace corvelle::smtp
