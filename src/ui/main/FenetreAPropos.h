#pragma once

#include <QDialog>

namespace corvelle {
struct Langue;
}

namespace corvelle::ui {

// The program's description, version and command-line syntax.
class frmAPropos final : public QDialog {
    Q_OBJECT

  public:
    frmAPropos(const Langue& langue, QWidget* parent = nullptr);
};

}  // namespace corvelle::ui
