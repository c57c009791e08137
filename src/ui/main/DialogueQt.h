#pragma once

#include <memory>

#include "core/Dialogue.h"

class QApplication;
class QWidget;

namespace corvelle {
struct Langue;
}

namespace corvelle::ui {

// Message boxes as real windows. The Qt application is created on first use,
// so a run that never shows anything never starts the window toolkit.
class DialogueQt final : public Dialogue {
  public:
    // `langue`: the run's interface language as start-up chooses it, read at
    // each box so that Qt's own buttons speak it even before any window.
    DialogueQt(int& argc, char** argv, const Langue* langue = nullptr);
    ~DialogueQt() override;

    // Owned by the active window: for boxes no window asked for (start-up).
    Reponse Affiche(const Boite& boite) override;
    // Owned by `proprietaire` and kept above it, also when it stays on top.
    Reponse AfficheSur(const Boite& boite, QWidget* proprietaire);
    void DebutAttente() override;
    void FinAttente() override;
    void TraiteEvenements() override;

    QApplication& Application();

  private:
    int& argc_;
    char** argv_;
    const Langue* langue_;
    std::unique_ptr<QApplication> application_;
    int attentes_ = 0;
};

// The port as one window holds it: its boxes are its own, whichever window
// happens to be active (none at all just after another dialog closed).
class DialogueFenetre final : public Dialogue {
  public:
    DialogueFenetre(Dialogue& dialogue, QWidget& fenetre);

    Reponse Affiche(const Boite& boite) override;
    void DebutAttente() override { base_.DebutAttente(); }
    void FinAttente() override { base_.FinAttente(); }
    void TraiteEvenements() override { base_.TraiteEvenements(); }
    [[nodiscard]] Dialogue& Base() const { return base_; }

  private:
    Dialogue& base_;  // never another window's port: a dialog's boxes are not its owner's
    QWidget& fenetre_;
};

}  // namespace corvelle::ui
