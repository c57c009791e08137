#include "ui/commun/Twips.h"

#include <QAbstractScrollArea>
#include <QFontMetricsF>
#include <QHash>
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

// True when this pixel of the window starts on a whole device pixel.
bool Entier(int pixel, double ratio) {
    const double appareil = pixel * ratio;
    return std::abs(appareil - std::round(appareil)) < 1e-3;
}

// The span [debut, debut + longueur) shrunk by at most 3 pixels at each end
// so that its first and last pixels start on whole device pixels.
void Aligne(int& debut, int& longueur, double ratio) {
    for (int decalage = 0; decalage < 4 && decalage < longueur; ++decalage) {
        if (Entier(debut + decalage, ratio)) {
            debut += decalage;
            longueur -= decalage;
            break;
        }
    }
    for (int retrait = 0; retrait < 4 && retrait < longueur; ++retrait) {
        if (Entier(debut + longueur - retrait - 1, ratio)) {
            longueur -= retrait;
            break;
        }
    }
}

}  // namespace

void PlaceEnPixels(QWidget& widget, QRect rectangle) {
    const auto* zone = qobject_cast<const QAbstractScrollArea*>(&widget);
    const QWidget* parent = widget.parentWidget();
    const double ratio = widget.devicePixelRatioF();
    if (zone && zone->frameWidth() > 0 && parent && ratio != std::round(ratio)) {
        const QPoint origine = parent->mapTo(widget.window(), QPoint());
        int x = rectangle.x() + origine.x();
        int y = rectangle.y() + origine.y();
        int largeur = rectangle.width();
        int hauteur = rectangle.height();
        Aligne(x, largeur, ratio);
        Aligne(y, hauteur, ratio);
        rectangle = QRect(x - origine.x(), y - origine.y(), largeur, hauteur);
    }
    widget.setGeometry(rectangle);
}

double Echelle(const QWidget& widget) {
    const QWidget& fenetre = *widget.window();
    // Measured once per font and DPI: every placement of every control asks.
    static QHash<QString, double> mesurees;
    const QString cle = QStringLiteral("%1/%2/%3")
                            .arg(fenetre.font().key())
                            .arg(fenetre.logicalDpiX())
                            .arg(fenetre.logicalDpiY());
    if (const auto trouvee = mesurees.constFind(cle); trouvee != mesurees.cend()) {
        return *trouvee;
    }
    const QFontMetricsF mesure(fenetre.font(), &fenetre);
    const QString lettres = QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ");
    const double ligne = mesure.lineSpacing() * 1440.0 / fenetre.logicalDpiY();
    const double lettre = mesure.horizontalAdvance(lettres) / static_cast<double>(lettres.size()) *
                          1440.0 / fenetre.logicalDpiX();
    return mesurees[cle] = std::max({1.0, ligne / kLigneDessinee, lettre / kLettreDessinee});
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
