#pragma once

// Replaces the designed French texts of a window by those of the translation
// file in use. Keys are object names; an element of a control array (an
// object with an "index" property) adds "(index)" for captions; tabs add
// their 1-based position.

#include <QObject>
#include <QString>

class QObject;
class QWidget;

namespace corvelle {
struct Langue;
}

namespace corvelle::ui {

// Property marking an element of a control array.
inline constexpr const char* kProprieteIndex = "index";

[[nodiscard]] bool EstIndexe(const QObject& objet);

// Names a control, as an element of a control array when an index is given:
// both make its translation key.
template <typename Controle>
Controle* Nomme(Controle* controle, const QString& nom, int index = -1) {
    controle->setObjectName(nom);
    if (index >= 0) {
        controle->setProperty(kProprieteIndex, index);
    }
    return controle;
}

// Qt's own texts (Yes, No, Cancel, the file dialog) in the interface
// language; loaded again only when that language changes, nothing when the
// system has no such file.
void TraduitQt(const Langue& langue);

// Once per window, before it is shown. French, or a file that has gone,
// leaves every text as designed. Then ties each caption to its control
// (LieLegendes).
void TraduitFenetre(QWidget& fenetre, const Langue& langue);

// One catalogue text as a QString, with its line breaks in Qt's form.
[[nodiscard]] QString TexteCatalogue(const Langue& langue, const char* cle);

// A text of the core (UTF-8, CR LF breaks) for a widget.
[[nodiscard]] QString VersQt(const std::string& texte);
[[nodiscard]] std::string DepuisQt(const QString& texte);

}  // namespace corvelle::ui
