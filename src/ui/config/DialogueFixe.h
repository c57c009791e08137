#pragma once

// What the configuration dialogs share: a fixed border without minimise and
// maximise boxes, text boxes that select their text on focus, and the OK and
// Annuler buttons in their panel.

#include <QString>
#include <initializer_list>

class QDialog;
class QLineEdit;
class QPushButton;
class QWidget;

namespace corvelle::ui {

// Client area in twips; `auDessus` keeps the dialog above other windows.
void PrepareDialogueFixe(QDialog& dialogue, int largeur, int hauteur, bool auDessus);

// Centred on the screen of its owner (the primary one without), not on the owner.
void CentreSurEcran(QWidget& fenetre);

// Every text box given selects its whole text when it receives the focus.
void SelectionneTexteAuFocus(QWidget& fenetre, std::initializer_list<QLineEdit*> champs);

struct BoutonsValidation {
    QPushButton* ok = nullptr;
    QPushButton* annuler = nullptr;
};

// The panel "picBoutons", centred, with OK (the default button) and Annuler.
[[nodiscard]] BoutonsValidation PanneauBoutons(QDialog& dialogue, int haut);

// Width of a caption in twips, the ampersand of its shortcut left out.
[[nodiscard]] int LargeurLegende(const QWidget& controle, const QString& legende);

}  // namespace corvelle::ui
