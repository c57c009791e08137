#include "core/Texte.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "core/Encodage.h"
#include "core/Erreur.h"

namespace corvelle {

namespace {

// Lower case of one two-byte UTF-8 code point, or the code point itself.
char32_t MinusculeDeuxOctets(char32_t c) {
    const auto paire = [c](bool majusculePaire) {
        return (c % 2 == 0) == majusculePaire ? c + 1 : c;
    };
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) {
        return c + 0x20;  // Latin-1
    }
    // Latin Extended-A pairs each capital with the next code point; the
    // parity of the capitals changes twice in the block.
    if ((c >= 0x100 && c <= 0x12F) || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) {
        return paire(true);
    }
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) {
        return paire(false);
    }
    if (c == 0x178) {
        return 0xFF;
    }
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) {
        return c + 0x20;  // Greek
    }
    if (c >= 0x410 && c <= 0x42F) {
        return c + 0x20;  // Cyrillic
    }
    if (c >= 0x400 && c <= 0x40F) {
        return c + 0x50;
    }
    return c;
}

std::size_t ChercheBrut(std::string_view texte, std::string_view cherche, std::size_t debut) {
    if (debut == 0) {
        debut = 1;
    }
    if (debut > texte.size() + 1) {
        return 0;
    }
    const std::size_t p = texte.find(cherche, debut - 1);
    return p == std::string_view::npos ? 0 : p + 1;
}

}  // namespace

std::string Minuscules(std::string_view texte) {
    std::string resultat(texte);
    for (std::size_t i = 0; i < resultat.size(); ++i) {
        const auto o = static_cast<unsigned char>(resultat[i]);
        if (o >= 'A' && o <= 'Z') {
            resultat[i] = static_cast<char>(o + 32);
        } else if ((o & 0xE0) == 0xC0 && i + 1 < resultat.size() &&
                   (static_cast<unsigned char>(resultat[i + 1]) & 0xC0) == 0x80) {
            const char32_t c =
                ((o & 0x1Fu) << 6) | (static_cast<unsigned char>(resultat[i + 1]) & 0x3Fu);
            const char32_t m = MinusculeDeuxOctets(c);
            if (m != c && m >= 0x80 && m < 0x800) {
                resultat[i] = static_cast<char>(0xC0 | (m >> 6));
                resultat[i + 1] = static_cast<char>(0x80 | (m & 0x3F));
            }
            ++i;
        }
    }
    return resultat;
}

bool EgauxSansCasse(std::string_view a, std::string_view b) {
    return a.size() == b.size() && Minuscules(a) == Minuscules(b);
}

std::string ElagueGauche(std::string_view texte) {
    const std::size_t p = texte.find_first_not_of(' ');
    return p == std::string_view::npos ? std::string() : std::string(texte.substr(p));
}

std::string ElagueDroite(std::string_view texte) {
    const std::size_t p = texte.find_last_not_of(' ');
    return p == std::string_view::npos ? std::string() : std::string(texte.substr(0, p + 1));
}

std::string Elague(std::string_view texte) {
    const std::size_t debut = texte.find_first_not_of(' ');
    if (debut == std::string_view::npos) {
        return {};
    }
    return std::string(texte.substr(debut, texte.find_last_not_of(' ') - debut + 1));
}

std::size_t Cherche(std::string_view texte, std::string_view cherche, std::size_t debut,
                    Comparaison mode) {
    if (mode == Comparaison::Texte) {
        return ChercheBrut(Minuscules(texte), Minuscules(cherche), debut);
    }
    return ChercheBrut(texte, cherche, debut);
}

std::string Remplace(std::string texte, std::string_view cherche, std::string_view remplacement,
                     std::size_t debut, Comparaison mode) {
    if (cherche.empty()) {
        return texte;
    }
    // Replacements are never searched again, so every match is found in the
    // original text (lower-cased once, lengths kept) and the result is built
    // in one pass: thousands of matches stay linear.
    const bool sansCasse = mode == Comparaison::Texte;
    const std::string texteMinuscule = sansCasse ? Minuscules(texte) : std::string();
    const std::string chercheMinuscule = sansCasse ? Minuscules(cherche) : std::string();
    const std::string_view source = sansCasse ? std::string_view(texteMinuscule) : texte;
    const std::string_view motif = sansCasse ? std::string_view(chercheMinuscule) : cherche;
    std::size_t p = ChercheBrut(source, motif, debut);
    if (p == 0) {
        return texte;
    }
    std::string resultat;
    std::size_t copie = 0;  // first byte of `texte` not yet in the result
    while (p != 0) {
        resultat.append(texte, copie, p - 1 - copie);
        resultat += remplacement;
        copie = p - 1 + cherche.size();
        p = ChercheBrut(source, motif, copie + 1);
    }
    resultat.append(texte, copie);
    return resultat;
}

Liste Decoupe(std::string_view texte, std::string_view delimiteur, int limite, Comparaison mode) {
    if (limite == 0 || limite < -1) {
        throw Erreur(ErrIndiceHorsLimites, "split limit " + std::to_string(limite));
    }
    Liste pieces;
    std::size_t debut = 1;
    while (limite == -1 || pieces.size() + 1 < static_cast<std::size_t>(limite)) {
        const std::size_t p = delimiteur.empty() ? 0 : Cherche(texte, delimiteur, debut, mode);
        if (p == 0) {
            break;
        }
        pieces.emplace_back(texte.substr(debut - 1, p - debut));
        debut = p + delimiteur.size();
    }
    pieces.emplace_back(texte.substr(debut - 1));
    return pieces;
}

std::string Joint(const Liste& liste, std::string_view separateur) {
    std::string resultat;
    for (const std::string& element : liste) {
        if (!resultat.empty()) {
            resultat += separateur;
        }
        resultat += element;
    }
    return resultat;
}

double Arrondit(double x, int decimales) {
    if (x == 0.0) {
        return 0.0;
    }
    const double echelle = std::pow(10.0, decimales < 1 ? 0 : decimales);
    // Decimal formatting rounds the number as written with 15 significant
    // digits, so 1.005 rounds up like a person expects, not down like its
    // binary value would.
    char tampon[64];
    std::snprintf(tampon, sizeof tampon, "%.15g", x * echelle);
    return std::round(std::strtod(tampon, nullptr)) / echelle;
}

std::string Lisible(std::string_view texte, SautsDeLigne sauts) {
    std::string resultat;
    resultat.reserve(texte.size());
    char code[8];
    for (std::size_t i = 0; i < texte.size();) {
        const auto o = static_cast<unsigned char>(texte[i]);
        const std::size_t longueur = LongueurCaractereUtf8(texte, i);
        if (longueur == 0) {
            // Not UTF-8: the byte's value, so that what is shown stays text.
            std::snprintf(code, sizeof code, "\\x%02X", o);
            resultat += code;
            ++i;
            continue;
        }
        const std::string_view caractere = texte.substr(i, longueur);
        i += longueur;
        if (o == '\r' && i < texte.size() && texte[i] == '\n' && sauts == SautsDeLigne::Gardes) {
            resultat += "\r\n";
            ++i;
        } else if (o == '\r') {
            resultat += "\\r";
        } else if (o == '\n') {
            resultat += "\\n";
        } else if (o == '\t') {
            resultat += "\\t";
        } else if (o < 0x20 || o == 0x7F) {
            std::snprintf(code, sizeof code, "\\x%02X", o);
            resultat += code;
        } else if (o == 0xC2 && static_cast<unsigned char>(caractere[1]) <= 0x9F) {
            // U+0080 to U+009F: terminals take U+009B as the start of a sequence.
            std::snprintf(code, sizeof code, "\\u%04X", static_cast<unsigned char>(caractere[1]));
            resultat += code;
        } else {
            resultat += caractere;
        }
    }
    return resultat;
}

}  // namespace corvelle
