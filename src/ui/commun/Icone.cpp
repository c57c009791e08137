#include "ui/commun/Icone.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace corvelle::ui {

namespace {

const QColor kBleu(0x1f, 0x5f, 0x9f);
const QColor kBleuClair(0x6f, 0xa8, 0xdc);

// An envelope with its flap, on a transparent square.
QPixmap Enveloppe(int cote) {
    QPixmap image(cote, cote);
    image.fill(Qt::transparent);
    QPainter peintre(&image);
    peintre.setRenderHint(QPainter::Antialiasing);
    const qreal marge = cote * 0.08;
    const QRectF corps(marge, cote * 0.22, cote - 2 * marge, cote * 0.56);
    QLinearGradient degrade(corps.topLeft(), corps.bottomRight());
    degrade.setColorAt(0, Qt::white);
    degrade.setColorAt(1, QColor(0xe4, 0xec, 0xf5));
    peintre.setPen(QPen(kBleu, qMax(1.0, cote / 20.0)));
    peintre.setBrush(degrade);
    peintre.drawRoundedRect(corps, cote * 0.04, cote * 0.04);
    QPainterPath rabat;
    rabat.moveTo(corps.topLeft());
    rabat.lineTo(corps.center().x(), corps.top() + corps.height() * 0.6);
    rabat.lineTo(corps.topRight());
    peintre.setBrush(Qt::NoBrush);
    peintre.drawPath(rabat);
    return image;
}

}  // namespace

QIcon IconeProgramme() {
    QIcon icone;
    for (int cote : {16, 24, 32, 48, 64, 128}) {
        icone.addPixmap(Enveloppe(cote));
    }
    return icone;
}

QPixmap BandeauProgramme(int largeur, int hauteur) {
    QPixmap image(largeur, hauteur);
    image.fill(Qt::transparent);
    QPainter peintre(&image);
    peintre.setRenderHint(QPainter::Antialiasing);
    QLinearGradient degrade(0, 0, largeur, 0);
    degrade.setColorAt(0, QColor(255, 255, 255, 0));
    degrade.setColorAt(0.5, kBleuClair);
    degrade.setColorAt(1, QColor(255, 255, 255, 0));
    peintre.fillRect(QRect(0, hauteur / 2, largeur, 1), degrade);
    const int cote = hauteur;
    peintre.drawPixmap((largeur - cote) / 2, 0, Enveloppe(cote));
    return image;
}

}  // namespace corvelle::ui
