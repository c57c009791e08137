#include "ui/commun/Twips.h"

#include <QFontMetricsF>
#include <QString>
#include <cmath>

namespace corvelle::ui {

namespace {

// The designed font, 9 points of a sans serif at 96 DPI: lines 14 pixels
// apart, letters 7.5 pixels wide on average (15 twips a pixel).
constexpr double kLigneDessinee = 14 * 15.0;
constexpr double kLettreDessinee = 7.5 * 15.0;

// Pixels of the window's screen in one twip.
double PixelsParTwip(const QWidget& widget) {
    return widget.window()->logicalDpiX() / 1440.0 * Echelle(widget);
}

}  // namespace

double Echelle(const QWidget& widget) {
    const QWidget& fenetre = *widget.window();
    const QFontMetricsF mesure(fenetre.font(), &fenetre);
    const QString lettres = QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ");
    const double ligne = mesure.lineSpacing() * 1440.0 / fenetre.logicalDpiY();
    const double lettre = mesure.horizontalAdvance(lettres) / static_cast<double>(lettres.size()) *
                          1440.0 / fenetre.logicalDpiX();
    return std::max({1.0, ligne / kLigneDessinee, lettre / kLettreDessinee});
}

int PixelsDepuisTwips(const QWidget& widget, int twips) {
    return static_cast<int>(std::lround(twips * PixelsParTwip(widget)));
}

int TwipsDepuisPixels(const QWidget& widget, int pixels) {
    return static_cast<int>(std::lround(pixels / PixelsParTwip(widget)));
}

int TwipsParExces(const QWidget& widget, int pixels) {
    return static_cast<int>(std::ceil(pixels / PixelsParTwip(widget) - 1e-9));
}

}  // namespace corvelle::ui
