#include "config/Conversion.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "core/Erreur.h"

namespace corvelle {

namespace {

struct Lecture {
    double valeur = 0.0;
    std::size_t fin = 0;   // bytes read, spaces included
    bool chiffre = false;  // at least one digit was read
};

bool EstChiffre(char c, int base) {
    if (base == 16) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    }
    if (base == 8) {
        return c >= '0' && c <= '7';
    }
    return c >= '0' && c <= '9';
}

std::size_t SauteEspaces(std::string_view t, std::size_t i) {
    while (i < t.size() && (t[i] == ' ' || t[i] == '\t')) {
        ++i;
    }
    return i;
}

Lecture LitEntierBase(std::string_view t, std::size_t i, int base) {
    Lecture l;
    double valeur = 0.0;
    while (i < t.size() && EstChiffre(t[i], base)) {
        int chiffre = 0;
        std::from_chars(&t[i], &t[i] + 1, chiffre, base);
        valeur = valeur * base + chiffre;
        l.chiffre = true;
        ++i;
    }
    l.valeur = valeur;
    l.fin = i;
    return l;
}

Lecture LitDecimal(std::string_view t, std::size_t i) {
    Lecture l;
    const std::size_t debut = i;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
        ++i;
    }
    const std::size_t debutChiffres = i;
    while (i < t.size() && EstChiffre(t[i], 10)) {
        ++i;
    }
    bool chiffre = i > debutChiffres;
    if (i < t.size() && t[i] == '.') {
        const std::size_t apresPoint = ++i;
        while (i < t.size() && EstChiffre(t[i], 10)) {
            ++i;
        }
        chiffre = chiffre || i > apresPoint;
    }
    if (!chiffre) {
        return l;
    }
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E' || t[i] == 'd' || t[i] == 'D')) {
        std::size_t j = i + 1;
        if (j < t.size() && (t[j] == '+' || t[j] == '-')) {
            ++j;
        }
        const std::size_t debutExposant = j;
        while (j < t.size() && EstChiffre(t[j], 10)) {
            ++j;
        }
        if (j > debutExposant) {
            i = j;
        }
    }
    // from_chars knows neither a leading '+' nor the 'D' exponent letter.
    std::string nombre(t.substr(debut, i - debut));
    if (!nombre.empty() && nombre[0] == '+') {
        nombre.erase(0, 1);
    }
    for (char& c : nombre) {
        if (c == 'd' || c == 'D') {
            c = 'e';
        }
    }
    double valeur = 0.0;
    const auto resultat = std::from_chars(nombre.data(), nombre.data() + nombre.size(), valeur);
    if (resultat.ec == std::errc::result_out_of_range) {
        // Too large becomes infinite (an overflow for any integer type); too
        // small becomes zero.
        const bool exposantNegatif = nombre.find("e-") != std::string::npos;
        valeur = exposantNegatif ? 0.0 : std::numeric_limits<double>::infinity();
        if (nombre[0] == '-') {
            valeur = -valeur;
        }
    }
    l.valeur = valeur;
    l.fin = i;
    l.chiffre = true;
    return l;
}

Lecture LitNombre(std::string_view t) {
    const std::size_t i = SauteEspaces(t, 0);
    if (i + 1 < t.size() && t[i] == '&') {
        const char prefixe = t[i + 1];
        if (prefixe == 'h' || prefixe == 'H') {
            return LitEntierBase(t, i + 2, 16);
        }
        if (prefixe == 'o' || prefixe == 'O') {
            return LitEntierBase(t, i + 2, 8);
        }
        return {};
    }
    return LitDecimal(t, i);
}

template <typename Entier>
Entier VersEntier(double valeur) {
    const double arrondi = std::nearbyint(valeur);  // default rounding: ties to even
    if (!(arrondi >= std::numeric_limits<Entier>::min() &&
          arrondi <= std::numeric_limits<Entier>::max())) {
        throw Erreur(ErrDepassement, "value " + std::to_string(valeur));
    }
    return static_cast<Entier>(arrondi);
}

}  // namespace

double NombreEnTete(std::string_view texte) {
    const Lecture l = LitNombre(texte);
    return l.chiffre ? l.valeur : 0.0;
}

std::optional<double> NombreStrict(std::string_view texte) {
    const Lecture l = LitNombre(texte);
    if (!l.chiffre || SauteEspaces(texte, l.fin) != texte.size()) {
        return std::nullopt;
    }
    return l.valeur;
}

std::int16_t VersEntier16(double valeur) {
    return VersEntier<std::int16_t>(valeur);
}
std::int32_t VersEntier32(double valeur) {
    return VersEntier<std::int32_t>(valeur);
}

}  // namespace corvelle
