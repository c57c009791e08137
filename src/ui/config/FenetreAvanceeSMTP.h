#pragma once

// What an administrator sets per SMTP server, apart from the everyday
// fields: EHLO name, envelope sender, TLS trust and client certificate, and
// the OAuth2 client certificate. Opened from the SMTP dialog, which keeps the
// values until its own OK.

#include <QDialog>
#include <QString>
#include <array>
#include <functional>

#include "config/ConfigSMTP.h"
#include "config/VerificationsAvancees.h"
#include "ui/main/DialogueQt.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace corvelle {
class Dialogue;
struct Programme;
}  // namespace corvelle

namespace corvelle::ui {

class frmConfigurationSMTPAvancee final : public QDialog {
    Q_OBJECT

  public:
    frmConfigurationSMTPAvancee(const Programme& etat, Dialogue& dialogue, bool auDessus,
                                QWidget* parent = nullptr);

    // True until OK succeeds.
    bool DialogueAnnule = true;

    // The eight fields from `config`, and back into it once checked.
    void Remplit(const clsConfigSMTP& config);
    void Reporte(clsConfigSMTP& config) const;

    [[nodiscard]] QLineEdit& Champ(ChampAvance champ) const;

    // Asks for a file; tests replace it.
    std::function<QString(const QString& titre, const QString& dossier)> ChoisitFichier;

    void btnOK_Click();
    void btnAnnuler_Click();
    void Parcourt(ChampAvance champ);

  private:
    void CreeControles();
    void Dispose();

    const Programme& etat_;
    DialogueFenetre dialogue_;
    std::array<QLabel*, kNombreChampsAvances> legendes_{};
    std::array<QLineEdit*, kNombreChampsAvances> champs_{};
    std::array<QPushButton*, kNombreChampsAvances> parcourir_{};  // files only
};

}  // namespace corvelle::ui
