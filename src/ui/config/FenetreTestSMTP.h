#pragma once

// Asks for the sender and the recipient of the SMTP test message.

#include <QDialog>

class QLabel;
class QLineEdit;

namespace corvelle {
struct Langue;
}

namespace corvelle::ui {

class frmConfigurationSMTPTest final : public QDialog {
    Q_OBJECT

  public:
    frmConfigurationSMTPTest(const Langue& langue, bool auDessus, QWidget* parent = nullptr);

    // False once opened; true after Annuler, Escape or the close box, so
    // nothing is sent unless the person confirmed.
    bool DialogueAnnule = false;

    [[nodiscard]] QLineEdit& Expediteur() const { return *txtExpediteur_; }
    [[nodiscard]] QLineEdit& Destinataire() const { return *txtDestinataire_; }

    void btnOK_Click();
    void btnAnnuler_Click();

  public slots:
    void reject() override;

  private:
    void CreeControles();
    void Dispose();

    QLabel* lblExpediteur_ = nullptr;
    QLabel* lblDestinataire_ = nullptr;
    QLineEdit* txtExpediteur_ = nullptr;
    QLineEdit* txtDestinataire_ = nullptr;
};

}  // namespace corvelle::ui
