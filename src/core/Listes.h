#pragma once

// List helpers behind the recipient syntax: splitting recipient texts, joining,
// sorting and comparing lists.

#include <string>
#include <string_view>
#include <vector>

#include "core/Collection.h"
#include "core/Texte.h"

namespace corvelle {

[[nodiscard]] bool EstDansListe(std::string_view texte, const Liste& liste, Comparaison mode);

// True when both lists are non-empty and every element of `a` is in `b`.
[[nodiscard]] bool EstInclus(const Liste& a, const Liste& b, Comparaison mode);

// Elements trimmed of spaces, empty ones skipped, order kept.
[[nodiscard]] Collection VersCollection(const Liste& liste);

[[nodiscard]] std::string JointCollection(const Collection& collection,
                                          std::string_view separateur);

[[nodiscard]] Liste ConcateneListes(const Liste& a, const Liste& b);

// Elements of `a` not in `b`, letter case ignored; empty when either is empty.
[[nodiscard]] Liste RetireListe(const Liste& a, const Liste& b);

// Splits a recipient text at each of `separateurs` (commas and semicolons, as
// address books write lists) outside double quotes, so "Dupont, Jean" <jd@x>
// stays one entry. Empty entries are dropped.
[[nodiscard]] Liste DecoupeListe(std::string_view texte, std::string_view separateurs = ",;");

// What two recipient entries share when they name one mailbox, so that it
// gets one copy of a dispatch: the address in the angle brackets (else the
// whole entry), trimmed, its domain (after the last "@") in lower case as
// domains ignore letter case, its local part as written, since recipient
// fields keep "Bob" and "bob" apart.
[[nodiscard]] std::string CleAdresse(std::string_view entree);

// Ascending by byte order. Stable, so equal texts keep their order exactly as
// the historic bubble sort left them, in O(n log n).
void TrieListe(Liste& liste);

}  // namespace corvelle
