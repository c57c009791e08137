#include "core/Encodage.h"

#include <array>
#include <utility>

#include "core/Erreur.h"
#include "core/Plateforme.h"

namespace corvelle {

namespace {

void AjouteCodePoint(std::string& sortie, char32_t c) {
    if (c < 0x80) {
        sortie += static_cast<char>(c);
    } else if (c < 0x800) {
        sortie += static_cast<char>(0xC0 | (c >> 6));
        sortie += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        sortie += static_cast<char>(0xE0 | (c >> 12));
        sortie += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        sortie += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        sortie += static_cast<char>(0xF0 | (c >> 18));
        sortie += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        sortie += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        sortie += static_cast<char>(0x80 | (c & 0x3F));
    }
}

constexpr char32_t kRemplacement = 0xFFFD;

// 0x80..0x9F of Windows-1252; the five unassigned bytes map to the C1 controls
// of the same value, as the system conversion does.
constexpr std::array<char32_t, 32> kWindows1252 = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

std::size_t LongueurCaractereUtf8(std::string_view octets, std::size_t debut) {
    const auto o = static_cast<unsigned char>(octets[debut]);
    std::size_t suite = 0;
    char32_t c = 0;
    char32_t minimum = 0;
    if (o < 0x80) {
        return 1;
    } else if ((o & 0xE0) == 0xC0) {
        suite = 1, c = o & 0x1Fu, minimum = 0x80;
    } else if ((o & 0xF0) == 0xE0) {
        suite = 2, c = o & 0x0Fu, minimum = 0x800;
    } else if ((o & 0xF8) == 0xF0) {
        suite = 3, c = o & 0x07u, minimum = 0x10000;
    } else {
        return 0;
    }
    if (debut + suite >= octets.size()) {
        return 0;
    }
    for (std::size_t k = 1; k <= suite; ++k) {
        const auto s = static_cast<unsigned char>(octets[debut + k]);
        if ((s & 0xC0) != 0x80) {
            return 0;
        }
        c = (c << 6) | (s & 0x3Fu);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
    if (c < minimum || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) {
        return 0;
    }
    return suite + 1;
}

bool EstUtf8Valide(std::string_view octets) {
    for (std::size_t i = 0; i < octets.size();) {
        const std::size_t longueur = LongueurCaractereUtf8(octets, i);
        if (longueur == 0) {
            return false;
        }
        i += longueur;
    }
    return true;
}

std::string Windows1252VersUtf8(std::string_view octets) {
    std::string sortie;
    sortie.reserve(octets.size() + octets.size() / 4);
    for (const char octet : octets) {
        const auto o = static_cast<unsigned char>(octet);
        if (o < 0x80) {
            sortie += octet;
        } else if (o < 0xA0) {
            AjouteCodePoint(sortie, kWindows1252[o - 0x80]);
        } else {
            AjouteCodePoint(sortie, o);
        }
    }
    return sortie;
}

std::string Utf16LEVersUtf8(std::string_view octets) {
    std::string sortie;
    sortie.reserve(octets.size());
    const std::size_t n = octets.size() / 2;
    const auto unite = [&](std::size_t k) -> char32_t {
        return static_cast<unsigned char>(octets[2 * k]) |
               (static_cast<char32_t>(static_cast<unsigned char>(octets[2 * k + 1])) << 8);
    };
    for (std::size_t k = 0; k < n; ++k) {
        const char32_t u = unite(k);
        if (u >= 0xD800 && u <= 0xDBFF && k + 1 < n && unite(k + 1) >= 0xDC00 &&
            unite(k + 1) <= 0xDFFF) {
            AjouteCodePoint(sortie, 0x10000 + ((u - 0xD800) << 10) + (unite(k + 1) - 0xDC00));
            ++k;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            AjouteCodePoint(sortie, kRemplacement);
        } else {
            AjouteCodePoint(sortie, u);
        }
    }
    if (octets.size() % 2 != 0) {
        AjouteCodePoint(sortie, kRemplacement);
    }
    return sortie;
}

std::string DecodeTexte(std::string octets) {
    const auto commencePar = [&octets](std::string_view marque) {
        return std::string_view(octets).starts_with(marque);
    };
    // A file of two bytes is too short to be taken as marked UTF-16.
    if (octets.size() >= 3 && commencePar("\xFE\xFF")) {
        for (std::size_t i = 0; i + 1 < octets.size(); i += 2) {
            std::swap(octets[i], octets[i + 1]);
        }
    }
    if (octets.size() >= 3 && commencePar("\xFF\xFE")) {
        return Utf16LEVersUtf8(std::string_view(octets).substr(2));
    }
    // The UTF-8 mark goes even when the rest is not UTF-8, so it never ends up
    // glued to the first address of a recipient file.
    if (commencePar("\xEF\xBB\xBF")) {
        octets.erase(0, 3);
    }
    // Returned as is when valid, so a large file is never held twice.
    if (EstUtf8Valide(octets)) {
        return octets;
    }
    return Windows1252VersUtf8(octets);
}

std::string LitFichierTexte(const std::string& chemin) {
    std::string octets = plateforme::LitOctets(chemin);
    if (octets.empty()) {
        throw Erreur(ErrFinDeFichier, "empty file: " + chemin);
    }
    return DecodeTexte(std::move(octets));
}

}  // namespace corvelle
