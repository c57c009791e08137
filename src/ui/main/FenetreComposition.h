#pragma once

// The compose window: one message typed, checked and handed to the dispatch.

#include <QMainWindow>
#include <QMargins>
#include <QRect>
#include <array>
#include <functional>
#include <memory>

#include "sending/Demande.h"
#include "ui/main/DialogueQt.h"
#include "ui/main/Disposition.h"

class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QSystemTrayIcon;

namespace corvelle {
class Dialogue;
struct Programme;
}  // namespace corvelle

namespace corvelle::ui {

class EnvoiFenetre;
class clsPopupMenu;
class frmProgression;

class frmCorvelle final : public QMainWindow {
    Q_OBJECT

  public:
    frmCorvelle(Programme& etat, Dialogue& dialogue);
    ~frmCorvelle() override;

    // Translation, lists, layout, remembered state and the reset; then the
    // window is ready to be shown (ShowInitial).
    void Charge();
    void ShowInitial();

    // What tests and the platform replace: the file-open dialog (empty: cancelled)
    // and the showing of a recipient menu (returns the chosen identifier).
    std::function<QString(const QString& titre)> ChoisitFichier;
    std::function<int(clsPopupMenu& menu, QPushButton& bouton)> AfficheMenu;
    // Opens the settings window, modal; tests replace it.
    std::function<void()> OuvreConfiguration;

    // Handlers, public so that tests drive the window as a person would.
    void btnEnvoyer_Click();
    void btnRaz_Click();
    void btnAjouter_Click();
    void btnSupprimer_Click();
    void lstFichiersJoints_Click();
    void btnDestinataires_MouseDown(int index);
    void mnuOptionsConfiguration_Click();
    void mnuAideAProposDe_Click();
    // The outbox's line, read afresh each time the menu opens.
    void mnuOptions_AboutToShow();
    void AjusteHauteurDestinataires(int index);
    // Refilled when the configuration window changes the SMTP list.
    void RemplitConfigsSMTP();
    [[nodiscard]] bool EnvoiEnCours() const { return envoi_ != nullptr; }

  signals:
    // A send ended and its outcome was shown.
    void EnvoiTermine();

  public:
    [[nodiscard]] const Disposition& Geometrie() const { return disposition_; }
    [[nodiscard]] bool DansSystray() const { return dansSystray_; }
    [[nodiscard]] bool AuDessus() const;
    // The last normal-state geometry, in pixels.
    [[nodiscard]] QRect RectangleNormal() const { return rectangleNormal_; }
    [[nodiscard]] int Pixels(int twips) const;
    [[nodiscard]] int Twips(int pixels) const;

  protected:
    void showEvent(QShowEvent* evenement) override;
    void resizeEvent(QResizeEvent* evenement) override;
    void moveEvent(QMoveEvent* evenement) override;
    void changeEvent(QEvent* evenement) override;
    void closeEvent(QCloseEvent* evenement) override;
    bool eventFilter(QObject* objet, QEvent* evenement) override;

  private:
    void CreeControles();
    void CreeMenus();
    void OrdreTabulation();
    void Connecte();
    void RemplitListes();
    void AjusteColonnes();
    void RestaureEtat();
    void LimiteMinimumAEcran();
    [[nodiscard]] QMargins Cadre() const;
    [[nodiscard]] QRect RameneSurEcran(QRect rectangle) const;
    void AppliqueDisposition();
    void Redimensionne();
    void AppliqueAuDessus();
    void BasculeOption(QAction& action);
    void MinimiseDansSystray();
    void RestaureDepuisSystray();
    void mnuSystrayRestaurer_Click();
    void EnregistreEtat();
    void Form_Activate();
    void Refuse(const char* message, QWidget& champ);
    void CommenceEnvoi(Demande demande);
    void FinEnvoi();
    void RendDisponible(bool disponible);
    // Closing during a send: true to close now, else the send is asked to
    // stop (when the person agrees) and the window closes once it ended.
    [[nodiscard]] bool FermeturePendantEnvoi();

    Programme& etat_;
    DialogueFenetre dialogue_;
    Disposition disposition_;
    std::array<QWidget*, static_cast<std::size_t>(Controle::Nombre)> widgets_{};

    QLineEdit* txtExpediteur_ = nullptr;
    QLineEdit* txtReponse_ = nullptr;
    QPlainTextEdit* txtDestinataires_[3] = {};
    QPushButton* btnDestinataires_[3] = {};
    QLineEdit* txtObjetMessage_ = nullptr;
    QPlainTextEdit* txtCorpsMessage_ = nullptr;
    QListWidget* lstFichiersJoints_ = nullptr;
    QPushButton* btnAjouter_ = nullptr;
    QPushButton* btnSupprimer_ = nullptr;
    QGroupBox* fraOptions_ = nullptr;
    QComboBox* cboFormat_ = nullptr;
    QComboBox* cboEncodage_ = nullptr;
    QComboBox* cboImportance_ = nullptr;
    QComboBox* cboSensibilite_ = nullptr;
    QComboBox* cboNotification_ = nullptr;
    QComboBox* cboConfigSMTP_ = nullptr;
    QLabel* lblConfigSMTP_ = nullptr;
    QPushButton* btnRaz_ = nullptr;
    QPushButton* btnEnvoyer_ = nullptr;
    QPushButton* btnQuitter_ = nullptr;
    QLabel* lblTextSize_ = nullptr;

    QAction* mnuOptionsMemoriserPosition_ = nullptr;
    QAction* mnuOptionsMemoriserTaille_ = nullptr;
    QAction* mnuOptionsMinimiserSystray_ = nullptr;
    QAction* mnuOptionsToujoursAuDessus_ = nullptr;
    QAction* mnuOptionsFileAttente_ = nullptr;
    QMenu* mnuSystray_ = nullptr;
    std::unique_ptr<QSystemTrayIcon> icone_;

    QRect rectangleNormal_;
    bool dansSystray_ = false;
    bool chargee_ = false;
    bool placeVerifiee_ = false;
    // The recipient button whose menu was last opened: 0 after a choice, -1
    // after Escape, -2 after a click elsewhere, else the button's index + 1.
    int boutonMemorise_ = 0;

    // The send under way, and its dialog (which reads it, so goes first).
    std::unique_ptr<EnvoiFenetre> envoi_;
    std::unique_ptr<frmProgression> progression_;
    bool fermetureDemandee_ = false;
};

}  // namespace corvelle::ui
