#include "ui/commun/OptionMultiligne.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace corvelle::ui {

QRect OptionMultiligne::ZoneTexte() const {
    QStyleOptionButton option;
    initStyleOption(&option);
    const int indicateur = style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, &option, this);
    const int espace = style()->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, &option, this);
    return rect().adjusted(indicateur + espace, 0, 0, 0);
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
    peintre.drawItemText(ZoneTexte(),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap | Qt::TextShowMnemonic,
                         palette(), isEnabled(), texte, QPalette::WindowText);
}

bool OptionMultiligne::hitButton(const QPoint& position) const {
    return rect().contains(position);
}

}  // namespace corvelle::ui
