#pragma once

#include <QRadioButton>

namespace corvelle::ui {

// An option button whose caption wraps within its width, as long captions of
// the settings window need; the whole area, caption included, takes clicks.
class OptionMultiligne final : public QRadioButton {
    Q_OBJECT

  public:
    using QRadioButton::QRadioButton;

    // What the wrapped caption needs in that width, the indicator beside it.
    [[nodiscard]] bool hasHeightForWidth() const override { return true; }
    [[nodiscard]] int heightForWidth(int largeur) const override;

  protected:
    void paintEvent(QPaintEvent* evenement) override;
    [[nodiscard]] bool hitButton(const QPoint& position) const override;

  private:
    [[nodiscard]] QRect ZoneTexte(int largeur) const;
    [[nodiscard]] static int Drapeaux();
};

}  // namespace corvelle::ui
