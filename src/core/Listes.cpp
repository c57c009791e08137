#include "core/Listes.h"

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

Liste DecoupeListe(std::string_view texte) {
    Liste resultat;
    std::string_view reste = texte;
    while (!reste.empty()) {
        const std::size_t virgule = reste.find(',');
        const std::size_t guillemet = reste.find('"');
        std::string element;
        // A quote groups only up to a comma: with no comma after it, it is an
        // ordinary character ("Jean" <j@x.fr> stays one entry).
        if (guillemet != std::string_view::npos && virgule != std::string_view::npos &&
            guillemet < virgule) {
            const std::size_t fermant = reste.find('"', guillemet + 1);
            // An unclosed quote takes the whole rest as one entry, so the
            // split always ends.
            const std::size_t fin = fermant == std::string_view::npos ? reste.size() : fermant + 1;
            element = Elague(reste.substr(0, fin));
            reste.remove_prefix(fin);
        } else if (virgule != std::string_view::npos) {
            element = Elague(reste.substr(0, virgule));
            reste.remove_prefix(virgule + 1);
        } else {
            element = Elague(reste);
            reste = {};
        }
        if (!element.empty()) {
            resultat.push_back(std::move(element));
        }
    }
    return resultat;
}

std::string ExtraitLot(Collection& collection, std::size_t n, std::string_view separateur) {
    const std::deque<std::string> lot = collection.RetirePremiers(n);
    return Joint(Liste(lot.begin(), lot.end()), separateur);
}

Liste AjoutePrefixe(const Liste& liste, std::string_view prefixe) {
    if (liste.empty() || liste.front().empty()) {
        return liste;
    }
    Liste resultat;
    resultat.reserve(liste.size());
    for (const std::string& element : liste) {
        resultat.push_back(std::string(prefixe) + element);
    }
    return resultat;
}

void TrieListe(Liste& liste) {
    std::stable_sort(liste.begin(), liste.end());
}

}  // namespace corvelle
