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
constexpr int kEcartLignes = kHautDestinataire - kHautExpediteur - kHauteurLigne;
constexpr int kLargeurChampMinimale = 3000;

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
    lblExpediteur_ = new QLabel(QStringLiteral("E&xpéditeur"), this);
    lblExpediteur_->setObjectName(QStringLiteral("lblExpéditeur"));
    txtExpediteur_ = new QLineEdit(this);
    txtExpediteur_->setObjectName(QStringLiteral("txtExpéditeur"));
    lblDestinataire_ = new QLabel(QStringLiteral("&Destinataire"), this);
    lblDestinataire_->setObjectName(QStringLiteral("lblDestinataire"));
    txtDestinataire_ = new QLineEdit(this);
    txtDestinataire_->setObjectName(QStringLiteral("txtDestinataire"));
    const BoutonsValidation boutons = PanneauBoutons(*this, kHautBoutons);
    connect(boutons.ok, &QPushButton::clicked, this, &frmConfigurationSMTPTest::btnOK_Click);
    connect(boutons.annuler, &QPushButton::clicked, this,
            &frmConfigurationSMTPTest::btnAnnuler_Click);
    SelectionneTexteAuFocus(*this, {txtExpediteur_, txtDestinataire_});
}

// As designed, unless the font needs more: taller rows for a taller text box,
// a wider window rather than a field too short to read an address in.
void frmConfigurationSMTPTest::Dispose() {
    const int legende = std::max(LargeurLegende(*lblExpediteur_, lblExpediteur_->text()),
                                 LargeurLegende(*lblDestinataire_, lblDestinataire_->text()));
    const int ligne =
        std::max(kHauteurLigne, TwipsDepuisPixels(*this, txtExpediteur_->sizeHint().height()));
    const int champ = kMarge + legende + kMarge;
    const int largeur = std::max(kLargeur, champ + kLargeurChampMinimale + kMarge);
    const int largeurChamp = largeur - kMarge - champ;
    const int hautDestinataire = kHautExpediteur + ligne + kEcartLignes;
    const int hautBoutons =
        hautDestinataire + ligne + (kHautBoutons - kHautDestinataire - kHauteurLigne);
    PlaceEnTwips(*lblExpediteur_, kMarge, kHautExpediteur, legende, ligne);
    PlaceEnTwips(*txtExpediteur_, champ, kHautExpediteur, largeurChamp, ligne);
    PlaceEnTwips(*lblDestinataire_, kMarge, hautDestinataire, legende, ligne);
    PlaceEnTwips(*txtDestinataire_, champ, hautDestinataire, largeurChamp, ligne);
    setFixedSize(PixelsDepuisTwips(*this, largeur),
                 PixelsDepuisTwips(*this, hautBoutons + kHauteur - kHautBoutons));
    auto* boutons = findChild<QWidget*>(QStringLiteral("picBoutons"));
    boutons->move((width() - boutons->width()) / 2, PixelsDepuisTwips(*this, hautBoutons));
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
