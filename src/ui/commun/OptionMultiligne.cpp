#include "ui/commun/OptionMultiligne.h"

#include <QStyleOptionButton>
#include <QStylePainter>
#include <algorithm>

namespace corvelle::ui {

int OptionMultiligne::Drapeaux() {
    return Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap | Qt::TextShowMnemonic;
}

// The caption's room in a control of that width, right of the indicator.
QRect OptionMultiligne::ZoneTexte(int largeur) const {
    QStyleOptionButton option;
    initStyleOption(&option);
    const int indicateur = style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, &option, this);
    const int espace = style()->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, &option, this);
    return QRect(indicateur + espace, 0, std::max(1, largeur - indicateur - espace), height());
}

int OptionMultiligne::heightForWidth(int largeur) const {
    const QRect zone = ZoneTexte(largeur);
    const QRect texte = fontMetrics().boundingRect(
        QRect(zone.topLeft(), QSize(zone.width(), 1 << 20)), Drapeaux(), text());
    return std::max(texte.height(), fontMetrics().height());
}

void OptionMultiligne::paintEvent(QPaintEvent*) {
    QStylePainter peintre(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString texte = option.text;
    option.text.clear();
    // The indicator level with the first line of the caption.
    option.rect.setHeight(fontMetrics().height());
    peintre.drawControl(QStyle::CE_RadioButton, option);
    peintre.drawItemText(ZoneTexte(width()), Drapeaux(), palette(), isEnabled(), texte,
                         QPalette::WindowText);
}

bool OptionMultiligne::hitButton(const QPoint& position) const {
    return rect().contains(position);
}

}  // namespace corvelle::ui
