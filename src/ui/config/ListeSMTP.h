#pragma once

// The SMTP configurations tab of the settings window: the list, its buttons,
// the dialog that adds or changes one, and the reordering by mouse.

#include <QObject>
#include <functional>
#include <string>
#include <vector>

#include "config/ConfigSMTP.h"
#include "ui/config/FenetreConfigurationSMTP.h"

class QEvent;
class QGroupBox;
class QPushButton;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;

namespace corvelle::ui {

struct Saut;

// The SMTP configurations of the settings window: a working copy, one row per
// configuration carrying its serialised form, until the window is confirmed.
class ListeSMTP final : public QObject {
    Q_OBJECT

  public:
    // Builds `lvwConfigsSMTP` and the buttons btnSMTPAjouter, btnSMTPModifier, btnSMTPSupprimer,
    // btnSMTPMonter, btnSMTPDescendre (designed French captions, object names exactly these)
    // inside `cadre` (the frame fraSMTP, 7335 x 2775 twips), placed in twips as designed. Column
    // headers come from etat.Langage.Fichier.TraduitTexte("lblNom","Nom") etc. `valeurs` gives
    // what the settings window currently shows (for the dialog's test send); `auDessus` whether
    // dialogs stay on top.
    ListeSMTP(QGroupBox& cadre, Programme& etat, Dialogue& dialogue,
              std::function<ValeursTest()> valeurs, bool auDessus);

    void Remplit(const ListeConfigs& configs);            // then ActualiseBoutonsSMTP
    [[nodiscard]] std::vector<std::string> Tags() const;  // serialised rows, top to bottom
    [[nodiscard]] QTreeWidget& Liste();

    void ActualiseBoutonsSMTP();
    void btnSMTPAjouter_Click();
    void btnSMTPModifier_Click();
    void btnSMTPSupprimer_Click();
    void btnSMTPMonter_Click();
    void btnSMTPDescendre_Click();

    // Shows the dialog modally and returns when it closes; replaced by tests.
    std::function<void(frmConfigurationSMTP&)> AfficheDialogue;

  signals:
    // The add or change dialog has closed, confirmed or not.
    void DialogueFerme();

  protected:
    bool eventFilter(QObject* objet, QEvent* evenement) override;

  private:
    void CreeListe(QGroupBox& cadre);
    void CreeBoutons(QGroupBox& cadre);
    void Connecte();

    void AjouteLigne(const clsConfigSMTP& config);
    void EcritLigne(QTreeWidgetItem& ligne, const clsConfigSMTP& config) const;
    [[nodiscard]] std::string TexteAuthentification(std::int32_t mode) const;
    [[nodiscard]] static clsConfigSMTP LitLigne(const QTreeWidgetItem& ligne);
    [[nodiscard]] static clsConfigSMTP DepuisDialogue(const frmConfigurationSMTP& fenetre);
    [[nodiscard]] std::vector<bool> Selection() const;
    void SelectionneSeule(QTreeWidgetItem* ligne);
    void Deplace(const std::vector<Saut>& sauts);

    void tmrRetardateur_Timer();
    void lvwConfigsSMTP_MouseDown(QTreeWidgetItem* ligne, bool gauche);
    bool lvwConfigsSMTP_MouseMove(QTreeWidgetItem* ligne, bool gauche);
    bool lvwConfigsSMTP_MouseUp(QObject& vue, QEvent& evenement);
    void lvwConfigsSMTP_DblClick();
    void OublieGlissement();

    Programme& etat_;
    Dialogue& dialogue_;
    std::function<ValeursTest()> valeurs_;
    bool auDessus_;

    QTreeWidget* lvwConfigsSMTP_ = nullptr;
    QPushButton* btnSMTPAjouter_ = nullptr;
    QPushButton* btnSMTPModifier_ = nullptr;
    QPushButton* btnSMTPSupprimer_ = nullptr;
    QPushButton* btnSMTPMonter_ = nullptr;
    QPushButton* btnSMTPDescendre_ = nullptr;
    QTimer* tmrRetardateur_ = nullptr;

    // Drag state: the row pressed, then the row dragged once the delay passed.
    QTreeWidgetItem* candidat_ = nullptr;
    QTreeWidgetItem* glisse_ = nullptr;
};

}  // namespace corvelle::ui
