#include "sending/HtmlVersTexte.h"

#include <algorithm>
#include <iterator>
#include <string_view>
#include <utility>

namespace corvelle {

namespace {

// Whether `texte` holds `motif` (lower-case ASCII) at `position`, its letters
// in any case.
bool CorrespondSansCasse(std::string_view texte, std::size_t position, std::string_view motif) {
    if (texte.size() - position < motif.size()) {
        return false;
    }
    for (std::size_t i = 0; i < motif.size(); ++i) {
        const char c = texte[position + i];
        if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c) != motif[i]) {
            return false;
        }
    }
    return true;
}

// Moves `taille` bytes of `texte` from `depuis` back to `vers` (never after it).
void Recule(std::string& texte, std::size_t depuis, std::size_t taille, std::size_t vers) {
    if (vers != depuis) {
        std::char_traits<char>::move(texte.data() + vers, texte.data() + depuis, taille);
    }
}

// Line-break tags and &nbsp; as plain text. Every replacement is shorter than
// what it replaces, so it is done in place: a large body is not held twice.
// No replacement can make a match for another, so one pass does them all.
void RemplaceSautsEtEspaces(std::string& html) {
    static constexpr std::pair<std::string_view, std::string_view> kRemplacements[] = {
        {"<br>", "\r\n"}, {"<br />", "\r\n"}, {"<br/>", "\r\n"}, {"&nbsp;", " "}};
    std::size_t ecrit = 0;  // end of the text done
    std::size_t copie = 0;  // first byte not yet moved there
    for (std::size_t p = html.find_first_of("<&"); p != std::string::npos;
         p = html.find_first_of("<&", p)) {
        const auto* r = std::find_if(
            std::begin(kRemplacements), std::end(kRemplacements),
            [&](const auto& paire) { return CorrespondSansCasse(html, p, paire.first); });
        if (r == std::end(kRemplacements)) {
            ++p;
            continue;
        }
        Recule(html, copie, p - copie, ecrit);
        ecrit += p - copie;
        r->second.copy(html.data() + ecrit, r->second.size());
        ecrit += r->second.size();
        copie = p + r->first.size();
        p = copie;
    }
    Recule(html, copie, html.size() - copie, ecrit);
    html.resize(ecrit + html.size() - copie);
}

// Removes the tags in place, in one pass: erasing each tag, or looking for its
// ">" again from every "<", was quadratic.
void RetireBalises(std::string& html) {
    std::size_t ecrit = 0;  // end of the text kept
    std::size_t copie = 0;  // first byte of `html` not yet kept
    std::size_t fermant = 0;
    std::size_t ouvrant = html.find('<');
    while (ouvrant != std::string::npos) {
        if (fermant <= ouvrant) {
            fermant = html.find('>', ouvrant + 1);
            if (fermant == std::string::npos) {
                break;  // no later "<" is closed either
            }
        }
        const std::size_t suivant = html.find('<', ouvrant + 1);
        if (suivant == std::string::npos || suivant > fermant) {
            Recule(html, copie, ouvrant - copie, ecrit);
            ecrit += ouvrant - copie;
            copie = fermant + 1;
            ouvrant = suivant;
        } else {
            // A "<" that no ">" closes (as in "x < y") is text: keep it and
            // go on after it, so the tags that follow are still removed.
            ouvrant = suivant;
        }
    }
    Recule(html, copie, html.size() - copie, ecrit);
    html.resize(ecrit + html.size() - copie);
}

}  // namespace

std::string HtmlVersTexte(std::string html) {
    RemplaceSautsEtEspaces(html);
    RetireBalises(html);
    return html;
}

}  // namespace corvelle
