#pragma once

// Designed positions are in twips of the designed font. A window shows them at
// its screen's DPI, and larger in the same proportion when its font is larger
// than designed, so that every caption keeps its room: one conversion, the
// same for every control of every window.

#include <QRect>
#include <QWidget>
#include <algorithm>

namespace corvelle::ui {

// How much larger than designed the font of the widget's window is, never
// below 1: its line height and average letter width against the designed
// font's, both counted in twips so that the DPI plays no part.
[[nodiscard]] double Echelle(const QWidget& widget);

[[nodiscard]] int PixelsDepuisTwips(const QWidget& widget, int twips);
[[nodiscard]] int TwipsDepuisPixels(const QWidget& widget, int pixels);
// Rounded up: a text measured so keeps every pixel it needs.
[[nodiscard]] int TwipsParExces(const QWidget& widget, int pixels);

// The designed width, or more when the widget's content needs it (a longer
// translated entry): its text must never be cut.
inline int LargeurContenu(const QWidget& widget, int twips) {
    return std::max(twips, TwipsParExces(widget, widget.sizeHint().width()));
}

// Places a widget at this rectangle of its parent, in pixels. A framed
// scroll area (a text zone, a list) moves in and gives up a pixel or two when
// the screen's pixel ratio is fractional, so that its frame's first and last
// rows and columns fall on whole device pixels: its contents, drawn after the
// frame, would cover a line that straddles two.
void PlaceEnPixels(QWidget& widget, QRect rectangle);

// Places a widget of a designed window: left, top, width, height in twips.
inline void PlaceEnTwips(QWidget& widget, int gauche, int haut, int largeur, int hauteur) {
    PlaceEnPixels(widget,
                  QRect(PixelsDepuisTwips(widget, gauche), PixelsDepuisTwips(widget, haut),
                        PixelsDepuisTwips(widget, largeur), PixelsDepuisTwips(widget, hauteur)));
}

}  // namespace corvelle::ui
