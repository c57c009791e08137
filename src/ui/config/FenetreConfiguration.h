#pragma once

// The settings window: SMTP configurations and language, defaults of a new
// message, sending parameters and directory access, on four tabs. It edits the
// settings held in memory and, on OK only, stores them.

#include <QDialog>
#include <QPointer>
#include <functional>
#include <memory>

#include "ui/main/DialogueQt.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace corvelle {
class Dialogue;
struct Programme;
enum class ChampConfiguration;
}  // namespace corvelle

namespace corvelle::ui {

class ListeSMTP;

class frmConfiguration final : public QDialog {
    Q_OBJECT

  public:
    // `auDessus`: the compose window's always-on-top state, which this window follows.
    frmConfiguration(Programme& etat, Dialogue& dialogue, bool auDessus, QWidget* parent = nullptr);
    ~frmConfiguration() override;

    // The file dialog of the recipient-file button (empty: cancelled); tests replace it.
    std::function<QString(const QString& titre, const QString& dossier)> ChoisitFichier;

    [[nodiscard]] ListeSMTP& Liste() { return *liste_; }

    // Handlers, public so that tests drive the window as a person would.
    void btnOK_Click();
    void btnAnnuler_Click();
    void chkUtiliserAD_Click();
    void optAccesAD_Click(int index);
    void btnFichierDestinatairesParDefautParcourir_Click();
    void tabOnglets_Click();

  protected:
    bool event(QEvent* evenement) override;

  private:
    void CreeOnglets();
    void CreeOngletGeneral(QWidget& panneau);
    void CreeOngletDefauts(QWidget& panneau);
    void CreeOngletEnvoi(QWidget& panneau);
    void CreeOngletAnnuaire(QWidget& panneau);
    void Dispose();
    void AjusteLargeur(bool auDessus);
    void RemplitListes();
    void RemplitLangues();
    void RemplitChamps();
    void Connecte();
    [[nodiscard]] QWidget& Champ(ChampConfiguration champ) const;
    [[nodiscard]] bool Verifie();
    void Enregistre();
    void SelectionneOnglet(int onglet);
    void GardeFocus(QWidget* controle);
    void OngletVoisin(int pas);

    Programme& etat_;
    DialogueFenetre dialogue_;
    int accesADChoisi_ = 0;
    // The control that had the focus when a box or a dialog opened (or the
    // field a refused OK named): the activation that follows its closing
    // must leave the focus there, not on the tab's first field.
    QPointer<QWidget> focusGarde_;

    QTabWidget* tabOnglets_ = nullptr;
    QGroupBox* fraSMTP_ = nullptr;
    std::unique_ptr<ListeSMTP> liste_;
    QComboBox* cboLangue_ = nullptr;
    QLineEdit* txtExpediteurParDefaut_ = nullptr;
    QLineEdit* txtReponseParDefaut_ = nullptr;
    QComboBox* cboFormatParDefaut_ = nullptr;
    QComboBox* cboEncodageParDefaut_ = nullptr;
    QComboBox* cboImportanceParDefaut_ = nullptr;
    QComboBox* cboSensibiliteParDefaut_ = nullptr;
    QComboBox* cboNotificationParDefaut_ = nullptr;
    QLineEdit* txtDestinatairesParDefaut_ = nullptr;
    QLineEdit* txtGroupesParDefaut_ = nullptr;
    QLineEdit* txtFichiersDestinatairesParDefaut_ = nullptr;
    QLineEdit* txtSuffixe_ = nullptr;
    QLineEdit* txtNombreDestinataires_ = nullptr;
    QRadioButton* optRepartitionDestinataires_[2] = {};
    QLineEdit* txtTimeoutSMTP_ = nullptr;
    QLineEdit* txtDureeAttente_ = nullptr;
    QCheckBox* chkUtiliserAD_ = nullptr;
    QRadioButton* optAccesAD_[3] = {};
    QLineEdit* txtAccesADDomaine_ = nullptr;
    QLineEdit* txtAccesADLogin_ = nullptr;
    QLineEdit* txtAccesADPassword_ = nullptr;
};

}  // namespace corvelle::ui
