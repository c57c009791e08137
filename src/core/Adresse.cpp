#include "core/Adresse.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "core/Texte.h"

namespace corvelle {

namespace {

// A display name's words with their quotes taken off and escapes resolved;
// nothing when a quote is left open or an "@", a colon or an angle bracket
// stands outside quotes: two addresses typed without a comma, or a group,
// look like that.
std::optional<std::string> Phrase(std::string_view texte) {
    std::string nom;
    bool guillemets = false;
    for (std::size_t i = 0; i < texte.size(); ++i) {
        const char c = texte[i];
        if (guillemets && c == '\\' && i + 1 < texte.size()) {
            nom += texte[++i];
        } else if (c == '"') {
            guillemets = !guillemets;
        } else if (!guillemets && (c == '@' || c == '<' || c == '>' || c == ':')) {
            return std::nullopt;
        } else {
            nom += c;
        }
    }
    if (guillemets) {
        return std::nullopt;
    }
    return Elague(nom);
}

// The characters that make a name a quoted string in a header (RFC 5322
// specials) or that a reader would take for more than a name.
bool DoitEtreCite(std::string_view nom) {
    return nom.find_first_of("()<>[]:;@\\,.\"") != std::string_view::npos || nom.front() == ' ' ||
           nom.back() == ' ';
}

}  // namespace

Adresse LitAdresse(std::string entree) {
    // Most entries of a mass dispatch are bare addresses: kept as they are.
    if (entree.find_first_of("<(\"") == std::string::npos) {
        return {{}, std::move(entree)};
    }
    const std::string_view texte = entree;
    // A line break or another control is no part of a name: whole, the entry
    // is refused by name rather than sent under a name it smuggled in.
    if (std::any_of(texte.begin(), texte.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; })) {
        return {{}, std::move(entree)};
    }
    // The mailbox in the last angle brackets, as CleAdresse finds it.
    const std::size_t ouvrant = texte.rfind('<');
    if (ouvrant != std::string_view::npos && texte.ends_with('>')) {
        const std::optional<std::string> nom = Phrase(texte.substr(0, ouvrant));
        if (nom) {
            return {*nom, Elague(texte.substr(ouvrant + 1, texte.size() - ouvrant - 2))};
        }
        return {{}, std::move(entree)};
    }
    // The older form: the name as a comment after the address.
    const std::size_t parenthese = texte.find('(');
    if (parenthese != std::string_view::npos && texte.ends_with(')') &&
        texte.substr(0, parenthese).find_first_of("\"<>") == std::string_view::npos) {
        return {Elague(texte.substr(parenthese + 1, texte.size() - parenthese - 2)),
                Elague(texte.substr(0, parenthese))};
    }
    return {{}, std::move(entree)};
}

std::string TexteAdresse(const Adresse& adresse) {
    if (adresse.nom.empty()) {
        // In angle brackets when, bare, it would read as something else.
        const bool lisible = adresse.boite.find_first_of("<(\"") == std::string::npos ||
                             LitAdresse(adresse.boite) == Adresse{{}, adresse.boite};
        return lisible ? adresse.boite : "<" + adresse.boite + ">";
    }
    std::string texte;
    if (DoitEtreCite(adresse.nom)) {
        texte += '"';
        for (const char c : adresse.nom) {
            if (c == '"' || c == '\\') {
                texte += '\\';
            }
            texte += c;
        }
        texte += '"';
    } else {
        texte = adresse.nom;
    }
    return texte + " <" + adresse.boite + ">";
}

std::string TexteAdresses(const ListeAdresses& adresses) {
    std::string texte;
    for (const Adresse& adresse : adresses) {
        if (!texte.empty()) {
            texte += ", ";
        }
        texte += TexteAdresse(adresse);
    }
    return texte;
}

bool LecteurStructure::Libre(std::string_view texte, std::size_t& i) noexcept {
    const char c = texte[i];
    if (Ouvert() && c == '\\') {
        if (i + 1 < texte.size()) {
            ++i;
        }
        return false;
    }
    if (c == '"' && commentaires_ == 0) {
        guillemets_ = !guillemets_;
        return false;
    }
    if (guillemets_) {
        return false;
    }
    if (c == '(') {
        ++commentaires_;
        return false;
    }
    if (c == ')' && commentaires_ > 0) {
        --commentaires_;
        return false;
    }
    return commentaires_ == 0;
}

}  // namespace corvelle
