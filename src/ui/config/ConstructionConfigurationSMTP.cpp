// The SMTP configuration dialog's controls as designed, and their places once
// the captions are translated.

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

#include "app/Programme.h"
#include "ui/commun/TraductionFenetre.h"
#include "ui/commun/Twips.h"
#include "ui/config/DialogueFixe.h"
#include "ui/config/FenetreConfigurationSMTP.h"

namespace corvelle::ui {

namespace {

constexpr int kLargeur = 5895;
constexpr int kMarge = 120;
constexpr int kHauteurLigne = 285;
constexpr int kHauteurListe = 315;
constexpr int kLargeurListe = 3015;
constexpr int kLargeurIdentifiants = 3000;
constexpr int kLargeurPort = 615;
// Four rows below the password command: the OAuth2 fields.
constexpr int kHautBoutons = 4560;

QLabel* Label(QWidget* parent, const QString& nom, const QString& texte) {
    auto* label = new QLabel(texte, parent);
    label->setObjectName(nom);
    return label;
}

QLineEdit* Texte(QWidget* parent, const QString& nom) {
    auto* champ = new QLineEdit(parent);
    champ->setObjectName(nom);
    return champ;
}

}  // namespace

void frmConfigurationSMTP::CreeControles() {
    CreeChamps();
    btnTester_ = new QPushButton(QStringLiteral("&Tester..."), this);
    btnTester_->setObjectName(QStringLiteral("btnTester"));
    btnTester_->setAutoDefault(false);
    PlaceEnTwips(*btnTester_, kMarge, kHautBoutons, 1215, 375);
    const BoutonsValidation boutons = PanneauBoutons(*this, kHautBoutons);
    btnOK_ = boutons.ok;
    btnAnnuler_ = boutons.annuler;

    QWidget* ordre[] = {txtNom_,
                        txtServeur_,
                        chkSSL_,
                        txtPort_,
                        cboAuthentification_,
                        txtUsername_,
                        txtPassword_,
                        txtServeurPOP_,
                        txtCommandeMotDePasse_,
                        txtUrlJetonOAuth_,
                        txtClientOAuth_,
                        txtPorteeOAuth_,
                        txtCommandeJetonOAuth_,
                        btnTester_,
                        btnOK_,
                        btnAnnuler_};
    for (std::size_t i = 1; i < std::size(ordre); ++i) {
        setTabOrder(ordre[i - 1], ordre[i]);
    }
    SelectionneTexteAuFocus(*this, {txtNom_, txtServeur_, txtPort_, txtUsername_, txtPassword_,
                                    txtServeurPOP_, txtCommandeMotDePasse_, txtUrlJetonOAuth_,
                                    txtClientOAuth_, txtPorteeOAuth_, txtCommandeJetonOAuth_});
}

void frmConfigurationSMTP::CreeChamps() {
    lblNom_ = Label(this, QStringLiteral("lblNom"), "Nom &configuration");
    txtNom_ = Texte(this, QStringLiteral("txtNom"));
    lblServeur_ = Label(this, QStringLiteral("lblServeur"), "&Serveur");
    txtServeur_ = Texte(this, QStringLiteral("txtServeur"));
    lblSSL_ = Label(this, QStringLiteral("lblSSL"), "Utiliser SS&L");
    chkSSL_ = new QCheckBox(this);
    chkSSL_->setObjectName(QStringLiteral("chkSSL"));
    lblPort_ = Label(this, QStringLiteral("lblPort"), "&Port (25 par défaut)");
    txtPort_ = Texte(this, QStringLiteral("txtPort"));
    txtPort_->setAlignment(Qt::AlignRight);
    txtPort_->setText(QStringLiteral("25"));
    lblAuthentification_ = Label(this, QStringLiteral("lblAuthentification"), "&Authentification");
    cboAuthentification_ = new QComboBox(this);
    cboAuthentification_->setObjectName(QStringLiteral("cboAuthentification"));
    lblUsername_ = Label(this, QStringLiteral("lblUsername"), "&Username");
    txtUsername_ = Texte(this, QStringLiteral("txtUsername"));
    lblPassword_ = Label(this, QStringLiteral("lblPassword"), "Pass&word");
    txtPassword_ = Texte(this, QStringLiteral("txtPassword"));
    txtPassword_->setEchoMode(QLineEdit::Password);
    lblServeurPOP_ = Label(this, QStringLiteral("lblServeurPOP"), "Se&rveur POP");
    txtServeurPOP_ = Texte(this, QStringLiteral("txtServeurPOP"));
    lblCommandeMotDePasse_ =
        Label(this, QStringLiteral("lblCommandeMotDePasse"), "Comman&de du mot de passe");
    txtCommandeMotDePasse_ = Texte(this, QStringLiteral("txtCommandeMotDePasse"));
    txtCommandeMotDePasse_->setPlaceholderText(QStringLiteral("pass show smtp"));
    CreeChampsOAuth();
}

void frmConfigurationSMTP::CreeChampsOAuth() {
    lblUrlJetonOAuth_ = Label(this, QStringLiteral("lblUrlJetonOAuth"), "URL du &jeton ou tenant");
    txtUrlJetonOAuth_ = Texte(this, QStringLiteral("txtUrlJetonOAuth"));
    lblClientOAuth_ = Label(this, QStringLiteral("lblClientOAuth"), "&ID client");
    txtClientOAuth_ = Texte(this, QStringLiteral("txtClientOAuth"));
    lblPorteeOAuth_ = Label(this, QStringLiteral("lblPorteeOAuth"), "Port&ée");
    txtPorteeOAuth_ = Texte(this, QStringLiteral("txtPorteeOAuth"));
    lblCommandeJetonOAuth_ =
        Label(this, QStringLiteral("lblCommandeJetonOAuth"), "Co&mmande du jeton");
    txtCommandeJetonOAuth_ = Texte(this, QStringLiteral("txtCommandeJetonOAuth"));
}

void frmConfigurationSMTP::RemplitAuthentification() {
    const Langue& l = etat_.Langage;
    cboAuthentification_->addItem(TexteCatalogue(l, "TXT_AUTHENTIFICATION_AUCUNE"), AuthAucune);
    cboAuthentification_->addItem(TexteCatalogue(l, "TXT_AUTHENTIFICATION_LOGIN"), AuthLogin);
    cboAuthentification_->addItem(TexteCatalogue(l, "TXT_AUTHENTIFICATION_PLAIN"), AuthPlain);
    cboAuthentification_->addItem(TexteCatalogue(l, "TXT_AUTHENTIFICATION_POP3"), AuthPop3);
    cboAuthentification_->addItem(TexteCatalogue(l, "TXT_AUTHENTIFICATION_OAUTH2"), AuthOAuth2);
    legendePassword_ = lblPassword_->text();
}

// As designed, unless the captions need more: a wider caption column widens
// the window rather than squeezing the fields.
void frmConfigurationSMTP::Dispose() {
    int legende = 0;
    for (const QLabel* label :
         {lblNom_, lblServeur_, lblSSL_, lblAuthentification_, lblUsername_, lblPassword_,
          lblServeurPOP_, lblCommandeMotDePasse_, lblUrlJetonOAuth_, lblClientOAuth_,
          lblPorteeOAuth_, lblCommandeJetonOAuth_}) {
        legende = std::max(legende, LargeurLegende(*label, label->text()));
    }
    // Wide enough for the highest port, 65535, in any font.
    const int largeurPort = std::max(
        kLargeurPort,
        TwipsParExces(*this,
                      txtPort_->fontMetrics().horizontalAdvance(QStringLiteral("65535")) + 12));
    const int legendePort = LargeurLegende(*lblPort_, lblPort_->text());
    const int champ = kMarge + legende + kMarge;
    const int largeur = std::max(kLargeur, champ + kLargeurListe + kMarge);
    const int largeurNom = largeur - kMarge - champ;
    auto ligne = [&](QLabel* label, QWidget* widget, int haut, int largeurChamp, int hauteur) {
        PlaceEnTwips(*label, kMarge, haut, legende, kHauteurLigne);
        PlaceEnTwips(*widget, champ, haut, largeurChamp, hauteur);
    };
    ligne(lblNom_, txtNom_, 120, largeurNom, kHauteurLigne);
    ligne(lblServeur_, txtServeur_, 480, largeurNom, kHauteurLigne);
    ligne(lblSSL_, chkSSL_, 825, kHauteurLigne, kHauteurLigne);
    ligne(lblAuthentification_, cboAuthentification_, 1200, kLargeurListe, kHauteurListe);
    ligne(lblUsername_, txtUsername_, 1560, kLargeurIdentifiants, kHauteurLigne);
    ligne(lblPassword_, txtPassword_, 1920, kLargeurIdentifiants, kHauteurLigne);
    ligne(lblServeurPOP_, txtServeurPOP_, 2280, largeurNom, kHauteurLigne);
    ligne(lblCommandeMotDePasse_, txtCommandeMotDePasse_, 2640, largeurNom, kHauteurLigne);
    ligne(lblUrlJetonOAuth_, txtUrlJetonOAuth_, 3000, largeurNom, kHauteurLigne);
    ligne(lblClientOAuth_, txtClientOAuth_, 3360, largeurNom, kHauteurLigne);
    ligne(lblPorteeOAuth_, txtPorteeOAuth_, 3720, largeurNom, kHauteurLigne);
    ligne(lblCommandeJetonOAuth_, txtCommandeJetonOAuth_, 4080, largeurNom, kHauteurLigne);

    const int gauchePort = champ + kLargeurListe - largeurPort;
    PlaceEnTwips(*txtPort_, gauchePort, 840, largeurPort, kHauteurLigne);
    PlaceEnTwips(*lblPort_, gauchePort - kMarge - legendePort, 840, legendePort, kHauteurLigne);

    // The button row keeps Tester on the left and OK and Annuler centred,
    // which leaves the right end for one more button.
    setFixedWidth(PixelsDepuisTwips(*this, largeur));
    auto* boutons = findChild<QWidget*>(QStringLiteral("picBoutons"));
    boutons->move((width() - boutons->width()) / 2, boutons->y());
}

}  // namespace corvelle::ui
