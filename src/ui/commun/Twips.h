#pragma once

// Designed positions are in twips; widgets want pixels of their screen.

#include <QRect>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace corvelle::ui {

inline int PixelsDepuisTwips(const QWidget& widget, int twips) {
    return static_cast<int>(std::lround(twips * widget.logicalDpiX() / 1440.0));
}

inline int TwipsDepuisPixels(const QWidget& widget, int pixels) {
    return static_cast<int>(std::lround(pixels * 1440.0 / widget.logicalDpiX()));
}

// The designed width, or more when the widget's content needs it (a longer
// translated entry, a larger font): its text must never be cut.
inline int LargeurContenu(const QWidget& widget, int twips) {
    return std::max(twips, TwipsDepuisPixels(*widget.window(), widget.sizeHint().width()));
}

// Places a widget of a designed window: left, top, width, height in twips.
inline void PlaceEnTwips(QWidget& widget, int gauche, int haut, int largeur, int hauteur) {
    const QWidget& mesure = *widget.window();
    widget.setGeometry(PixelsDepuisTwips(mesure, gauche), PixelsDepuisTwips(mesure, haut),
                       PixelsDepuisTwips(mesure, largeur), PixelsDepuisTwips(mesure, hauteur));
}

}  // namespace corvelle::ui
