#include "ui/config/FenetreTestSMTP.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

#include "ui/commun/TraductionFenetre.h"
#include "ui/commun/Twips.h"
#include "ui/config/DialogueFixe.h"

namespace corvelle::ui {

namespace {

constexpr int kLargeur = 5175;
constexpr int kHauteur = 1575;
constexpr int kMarge = 120;
constexpr int kHauteurLigne = 285;
constexpr int kHautExpediteur = 120;
constexpr int kHautDestinataire = 480;
constexpr int kHautBoutons = 1080;

}  // namespace

frmConfigurationSMTPTest::frmConfigurationSMTPTest(const Langue& langue, bool auDessus,
                                                   QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("frmConfigurationSMTPTest"));
    setWindowTitle(QStringLiteral("Test configuration  SMTP"));
    PrepareDialogueFixe(*this, kLargeur, kHauteur, auDessus);
    CreeControles();
    TraduitFenetre(*this, langue);
    Dispose();
    DialogueAnnule = false;
}

void frmConfigurationSMTPTest::CreeControles() {
    lblExpediteur_ = new QLabel(QStringLiteral("Expéditeur"), this);
    lblExpediteur_->setObjectName(QStringLiteral("lblExpéditeur"));
    txtExpediteur_ = new QLineEdit(this);
    txtExpediteur_->setObjectName(QStringLiteral("txtExpéditeur"));
    lblDestinataire_ = new QLabel(QStringLiteral("Destinataire"), this);
    lblDestinataire_->setObjectName(QStringLiteral("lblDestinataire"));
    txtDestinataire_ = new QLineEdit(this);
    txtDestinataire_->setObjectName(QStringLiteral("txtDestinataire"));
    const BoutonsValidation boutons = PanneauBoutons(*this, kHautBoutons);
    connect(boutons.ok, &QPushButton::clicked, this, &frmConfigurationSMTPTest::btnOK_Click);
    connect(boutons.annuler, &QPushButton::clicked, this,
            &frmConfigurationSMTPTest::btnAnnuler_Click);
    SelectionneTexteAuFocus(*this, {txtExpediteur_, txtDestinataire_});
}

void frmConfigurationSMTPTest::Dispose() {
    const int legende = std::max(LargeurLegende(*lblExpediteur_, lblExpediteur_->text()),
                                 LargeurLegende(*lblDestinataire_, lblDestinataire_->text()));
    const int champ = kMarge + legende + kMarge;
    const int largeurChamp = kLargeur - kMarge - champ;
    PlaceEnTwips(*lblExpediteur_, kMarge, kHautExpediteur, legende, kHauteurLigne);
    PlaceEnTwips(*txtExpediteur_, champ, kHautExpediteur, largeurChamp, kHauteurLigne);
    PlaceEnTwips(*lblDestinataire_, kMarge, kHautDestinataire, legende, kHauteurLigne);
    PlaceEnTwips(*txtDestinataire_, champ, kHautDestinataire, largeurChamp, kHauteurLigne);
}

void frmConfigurationSMTPTest::btnOK_Click() {
    accept();
}

void frmConfigurationSMTPTest::btnAnnuler_Click() {
    reject();
}

void frmConfigurationSMTPTest::reject() {
    DialogueAnnule = true;
    QDialog::reject();
}

}  // namespace corvelle::ui
