#include "core/Listes.h"

#include <algorithm>

namespace corvelle {

bool EstDansListe(std::string_view texte, const Liste& liste, Comparaison mode) {
    return std::any_of(liste.begin(), liste.end(), [&](const std::string& element) {
        return mode == Comparaison::Texte ? EgauxSansCasse(element, texte) : element == texte;
    });
}

bool EstInclus(const Liste& a, const Liste& b, Comparaison mode) {
    if (a.empty() || b.empty()) {
        return false;
    }
    return std::all_of(a.begin(), a.end(),
                       [&](const std::string& element) { return EstDansListe(element, b, mode); });
}

Collection VersCollection(const Liste& liste) {
    Collection collection;
    for (const std::string& element : liste) {
        std::string nettoye = Elague(element);
        if (!nettoye.empty()) {
            collection.Ajoute(std::move(nettoye));
        }
    }
    return collection;
}

std::string JointCollection(const Collection& collection, std::string_view separateur) {
    return Joint(Liste(collection.begin(), collection.end()), separateur);
}

Liste ConcateneListes(const Liste& a, const Liste& b) {
    Liste resultat = a;
    resultat.insert(resultat.end(), b.begin(), b.end());
    return resultat;
}

Liste RetireListe(const Liste& a, const Liste& b) {
    Liste resultat;
    if (a.empty() || b.empty()) {
        return resultat;
    }
    for (const std::string& element : a) {
        if (!EstDansListe(element, b, Comparaison::Texte)) {
            resultat.push_back(element);
        }
    }
    return resultat;
}

Liste DecoupeListe(std::string_view texte, std::string_view separateurs) {
    // Separators inside double quotes do not cut, so "Dupont, Jean" <jd@x.fr>
    // stays one entry; an unclosed quote runs to the end, so the split ends.
    Liste resultat;
    bool entreGuillemets = false;
    std::size_t debut = 0;
    auto ajoute = [&](std::size_t fin) {
        std::string element = Elague(texte.substr(debut, fin - debut));
        if (!element.empty()) {
            resultat.push_back(std::move(element));
        }
    };
    for (std::size_t i = 0; i < texte.size(); ++i) {
        if (texte[i] == '"') {
            entreGuillemets = !entreGuillemets;
        } else if (!entreGuillemets && separateurs.find(texte[i]) != std::string_view::npos) {
            ajoute(i);
            debut = i + 1;
        }
    }
    ajoute(texte.size());
    return resultat;
}

std::string CleAdresse(std::string_view entree) {
    const std::size_t ouvrant = entree.rfind('<');
    if (ouvrant != std::string_view::npos) {
        const std::size_t fermant = entree.find('>', ouvrant);
        entree =
            entree.substr(ouvrant + 1, fermant == std::string_view::npos ? std::string_view::npos
                                                                         : fermant - ouvrant - 1);
    }
    std::string cle = Elague(entree);
    const std::size_t arobase = cle.rfind('@');
    if (arobase != std::string::npos) {
        cle.replace(arobase + 1, std::string::npos,
                    Minuscules(std::string_view(cle).substr(arobase + 1)));
    }
    return cle;
}

void TrieListe(Liste& liste) {
    std::stable_sort(liste.begin(), liste.end());
}

}  // namespace corvelle
