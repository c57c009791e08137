#pragma once

#include <memory>

#include "core/Dialogue.h"

class QApplication;

namespace corvelle::ui {

// Message boxes as real windows. The Qt application is created on first use,
// so a run that never shows anything never starts the window toolkit.
class DialogueQt final : public Dialogue {
  public:
    DialogueQt(int& argc, char** argv);
    ~DialogueQt() override;

    Reponse Affiche(const Boite& boite) override;
    void DebutAttente() override;
    void FinAttente() override;
    void TraiteEvenements() override;

    QApplication& Application();

  private:
    int& argc_;
    char** argv_;
    std::unique_ptr<QApplication> application_;
    int attentes_ = 0;
};

}  // namespace corvelle::ui
