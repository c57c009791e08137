#pragma once

// One SMTP configuration typed and checked, with a test send of what is typed.

#include <QDialog>
#include <QString>
#include <functional>
#include <string>

#include "config/ConfigSMTP.h"
#include "ui/main/DialogueQt.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace corvelle {
class Dialogue;
struct Programme;
enum class ChampSMTP;
}  // namespace corvelle

namespace corvelle::ui {

class frmConfigurationSMTPAvancee;
class frmConfigurationSMTPTest;

// What the configuration window shows at the time of the test, saved or not.
struct ValeursTest {
    std::string expediteur;
    std::string destinataires;
    std::string encodage;
};

class frmConfigurationSMTP final : public QDialog {
    Q_OBJECT

  public:
    frmConfigurationSMTP(Programme& etat, Dialogue& dialogue,
                         std::function<ValeursTest()> valeursConfiguration, bool auDessus,
                         QWidget* parent = nullptr);

    // True until OK succeeds; a test in between leaves it true.
    bool DialogueAnnule = true;

    // The configuration's values, the password given in clear.
    void Remplit(const clsConfigSMTP& config, const std::string& motDePasseEnClair);
    // The fields as typed; Password is in clear, for the caller to scramble.
    [[nodiscard]] clsConfigSMTP Lit() const;

    // Shows the test dialog; true when it was confirmed. Tests replace it.
    std::function<bool(frmConfigurationSMTPTest&)> AfficheTest;
    // Shows the advanced settings; true when they were confirmed. Tests
    // replace it.
    std::function<bool(frmConfigurationSMTPAvancee&)> AfficheAvancee;

    // Handlers, public so that tests drive the dialog as a person would.
    void btnOK_Click();
    void btnAnnuler_Click();
    void btnTester_Click();
    void btnAvance_Click();
    void chkSSL_Click();

  private:
    void CreeControles();
    void CreeChamps();
    void CreeChampsOAuth();
    void Connecte();
    void RemplitAuthentification();
    void Dispose();
    void cboAuthentification_Click();
    void ActivePassword();
    [[nodiscard]] std::int32_t CodeAuthentification() const;
    [[nodiscard]] bool Verifie();
    [[nodiscard]] QLineEdit& Champ(ChampSMTP champ) const;

    Programme& etat_;
    DialogueFenetre dialogue_;
    std::function<ValeursTest()> valeursConfiguration_;
    bool auDessus_;

    QLabel* lblNom_ = nullptr;
    QLabel* lblServeur_ = nullptr;
    QLabel* lblSSL_ = nullptr;
    QLabel* lblPort_ = nullptr;
    QLabel* lblAuthentification_ = nullptr;
    QLabel* lblUsername_ = nullptr;
    QLabel* lblPassword_ = nullptr;
    QLabel* lblServeurPOP_ = nullptr;
    QLabel* lblCommandeMotDePasse_ = nullptr;
    QLineEdit* txtNom_ = nullptr;
    QLineEdit* txtServeur_ = nullptr;
    QCheckBox* chkSSL_ = nullptr;
    QLineEdit* txtPort_ = nullptr;
    QComboBox* cboAuthentification_ = nullptr;
    QLineEdit* txtUsername_ = nullptr;
    QLineEdit* txtPassword_ = nullptr;
    QLineEdit* txtServeurPOP_ = nullptr;
    QLineEdit* txtCommandeMotDePasse_ = nullptr;
    QLabel* lblUrlJetonOAuth_ = nullptr;
    QLabel* lblClientOAuth_ = nullptr;
    QLabel* lblPorteeOAuth_ = nullptr;
    QLabel* lblCommandeJetonOAuth_ = nullptr;
    QLineEdit* txtUrlJetonOAuth_ = nullptr;
    QLineEdit* txtClientOAuth_ = nullptr;
    QLineEdit* txtPorteeOAuth_ = nullptr;
    QLineEdit* txtCommandeJetonOAuth_ = nullptr;
    QString legendePassword_;  // translated; OAuth2 shows "client secret" instead
    QPushButton* btnTester_ = nullptr;
    QPushButton* btnAvance_ = nullptr;
    // The advanced settings, edited in their own dialog and kept here
    // (only those fields of the record count).
    clsConfigSMTP avancee_;
    QPushButton* btnOK_ = nullptr;
    QPushButton* btnAnnuler_ = nullptr;
};

}  // namespace corvelle::ui
