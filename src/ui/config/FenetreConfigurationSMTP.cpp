#include "ui/config/FenetreConfigurationSMTP.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <utility>

#include "app/Programme.h"
#include "config/VerificationsSMTP.h"
#include "core/Dialogue.h"
#include "core/Version.h"
#include "ui/commun/Accessibilite.h"
#include "ui/commun/TraductionFenetre.h"
#include "ui/config/DialogueFixe.h"
#include "ui/config/EnvoiTestSMTP.h"
#include "ui/config/FenetreAvanceeSMTP.h"
#include "ui/config/FenetreTestSMTP.h"

namespace corvelle::ui {

namespace {

constexpr int kLargeur = 5895;
// Five rows more than the historic dialog: the password command and OAuth2.
constexpr int kHauteur = 5055;

}  // namespace

frmConfigurationSMTP::frmConfigurationSMTP(Programme& etat, Dialogue& dialogue,
                                           std::function<ValeursTest()> valeursConfiguration,
                                           bool auDessus, QWidget* parent)
    : QDialog(parent),
      etat_(etat),
      dialogue_(dialogue, *this),
      valeursConfiguration_(std::move(valeursConfiguration)),
      auDessus_(auDessus) {
    setObjectName(QStringLiteral("frmConfigurationSMTP"));
    setWindowTitle(QStringLiteral("Configuration SMTP"));
    PrepareDialogueFixe(*this, kLargeur, kHauteur, auDessus);
    CreeControles();
    TraduitFenetre(*this, etat_.Langage);
    RemplitAuthentification();
    Dispose();
    Connecte();
    // A mode is always chosen, so OK and the test always have a code to read.
    cboAuthentification_->setCurrentIndex(0);
    cboAuthentification_Click();  // the first entry added was selected before any connection
    AfficheTest = [](frmConfigurationSMTPTest& test) {
        test.exec();
        return !test.DialogueAnnule;
    };
    AfficheAvancee = [](frmConfigurationSMTPAvancee& avancee) {
        avancee.exec();
        return !avancee.DialogueAnnule;
    };
    DialogueAnnule = true;
}

void frmConfigurationSMTP::Connecte() {
    connect(chkSSL_, &QCheckBox::clicked, this, &frmConfigurationSMTP::chkSSL_Click);
    connect(cboAuthentification_, &QComboBox::currentIndexChanged, this,
            &frmConfigurationSMTP::cboAuthentification_Click);
    connect(txtCommandeMotDePasse_, &QLineEdit::textChanged, this,
            &frmConfigurationSMTP::ActivePassword);
    connect(txtCommandeJetonOAuth_, &QLineEdit::textChanged, this,
            &frmConfigurationSMTP::ActivePassword);
    connect(btnTester_, &QPushButton::clicked, this, &frmConfigurationSMTP::btnTester_Click);
    connect(btnAvance_, &QPushButton::clicked, this, &frmConfigurationSMTP::btnAvance_Click);
    connect(btnOK_, &QPushButton::clicked, this, &frmConfigurationSMTP::btnOK_Click);
    connect(btnAnnuler_, &QPushButton::clicked, this, &frmConfigurationSMTP::btnAnnuler_Click);
}

void frmConfigurationSMTP::Remplit(const clsConfigSMTP& config,
                                   const std::string& motDePasseEnClair) {
    txtNom_->setText(VersQt(config.Nom));
    txtServeur_->setText(VersQt(config.Serveur));
    chkSSL_->setChecked(config.SSL);  // not a click: the stored port stays
    txtPort_->setText(QString::number(config.Port));
    const int position = cboAuthentification_->findData(config.Authentification);
    cboAuthentification_->setCurrentIndex(std::max(position, 0));
    txtUsername_->setText(VersQt(config.Username));
    txtPassword_->setText(VersQt(motDePasseEnClair));
    txtServeurPOP_->setText(VersQt(config.ServeurPop));
    txtCommandeMotDePasse_->setText(VersQt(config.CommandeMotDePasse));
    txtUrlJetonOAuth_->setText(VersQt(config.UrlJetonOAuth));
    txtClientOAuth_->setText(VersQt(config.ClientOAuth));
    txtPorteeOAuth_->setText(VersQt(config.PorteeOAuth));
    txtCommandeJetonOAuth_->setText(VersQt(config.CommandeJetonOAuth));
    avancee_ = config;
}

clsConfigSMTP frmConfigurationSMTP::Lit() const {
    clsConfigSMTP config;
    config.Nom = DepuisQt(txtNom_->text());
    config.Serveur = DepuisQt(txtServeur_->text());
    config.SSL = chkSSL_->isChecked();
    config.Port = PortValide(DepuisQt(txtPort_->text())).value_or(0);
    config.Authentification = CodeAuthentification();
    config.ServeurPop = DepuisQt(txtServeurPOP_->text());
    config.Username = DepuisQt(txtUsername_->text());
    config.CommandeMotDePasse = DepuisQt(txtCommandeMotDePasse_->text());
    // A command replaces the password: none is kept beside it.
    config.Password = config.CommandeMotDePasse.empty() ? DepuisQt(txtPassword_->text()) : "";
    if (config.Authentification == AuthOAuth2) {
        config.UrlJetonOAuth = DepuisQt(txtUrlJetonOAuth_->text());
        config.ClientOAuth = DepuisQt(txtClientOAuth_->text());
        config.PorteeOAuth = DepuisQt(txtPorteeOAuth_->text());
        config.CommandeJetonOAuth = DepuisQt(txtCommandeJetonOAuth_->text());
    }
    for (std::size_t i = 0; i < kNombreChampsAvances; ++i) {
        const auto champ = static_cast<ChampAvance>(i);
        ChampDe(config, champ) = ChampDe(avancee_, champ);
    }
    return config;
}

std::int32_t frmConfigurationSMTP::CodeAuthentification() const {
    return cboAuthentification_->currentData().toInt();
}

void frmConfigurationSMTP::chkSSL_Click() {
    const std::string port = DepuisQt(txtPort_->text());
    const std::string nouveau = PortApresSSL(port, chkSSL_->isChecked());
    if (nouveau != port) {
        txtPort_->setText(VersQt(nouveau));
    }
}

void frmConfigurationSMTP::cboAuthentification_Click() {
    const std::int32_t code = CodeAuthentification();
    txtUsername_->setEnabled(IdentifiantsRequis(code));
    txtCommandeMotDePasse_->setEnabled(IdentifiantsRequis(code));
    ActivePassword();
    txtServeurPOP_->setEnabled(ServeurPopRequis(code));
    const bool oauth = code == AuthOAuth2;
    for (QLineEdit* champ :
         {txtUrlJetonOAuth_, txtClientOAuth_, txtPorteeOAuth_, txtCommandeJetonOAuth_}) {
        champ->setEnabled(oauth);
    }
    lblPassword_->setText(oauth ? TexteCatalogue(etat_.Langage, "TXT_SECRET_CLIENT")
                                : legendePassword_);
    LieLegendes(*this);  // the field is read by its new caption
    if (IdentifiantsRequis(code)) {
        txtUsername_->setFocus();
    }
}

void frmConfigurationSMTP::ActivePassword() {
    // With a command the password is not typed, so the check does not ask for
    // it; a token command needs no client secret.
    const bool jetonDonne =
        CodeAuthentification() == AuthOAuth2 && !txtCommandeJetonOAuth_->text().isEmpty();
    txtPassword_->setEnabled(IdentifiantsRequis(CodeAuthentification()) &&
                             txtCommandeMotDePasse_->text().isEmpty() && !jetonDonne);
}

QLineEdit& frmConfigurationSMTP::Champ(ChampSMTP champ) const {
    switch (champ) {
        case ChampSMTP::Port:
            return *txtPort_;
        case ChampSMTP::Username:
            return *txtUsername_;
        case ChampSMTP::Password:
            return *txtPassword_;
        case ChampSMTP::ServeurPop:
            return *txtServeurPOP_;
        case ChampSMTP::UrlJeton:
            return *txtUrlJetonOAuth_;
        case ChampSMTP::ClientOAuth:
            return *txtClientOAuth_;
        case ChampSMTP::Serveur:
            break;
    }
    return *txtServeur_;
}

bool frmConfigurationSMTP::Verifie() {
    const clsConfigSMTP config = Lit();
    // A password command stands for the password, as on the command line.
    const std::string motDePasse = config.CommandeMotDePasse.empty()
                                       ? DepuisQt(txtPassword_->text())
                                       : config.CommandeMotDePasse;
    const SaisieSMTP saisie{DepuisQt(txtServeur_->text()),
                            DepuisQt(txtPort_->text()),
                            DepuisQt(txtUsername_->text()),
                            motDePasse,
                            DepuisQt(txtServeurPOP_->text()),
                            txtUsername_->isEnabled(),
                            txtServeurPOP_->isEnabled(),
                            config.Authentification == AuthOAuth2,
                            config.UrlJetonOAuth,
                            config.ClientOAuth,
                            config.CommandeJetonOAuth};
    const auto refus = VerifieSaisieSMTP(saisie);
    if (!refus) {
        return true;
    }
    dialogue_.Affiche({etat_.Langage.Texte(refus->message), kTitreApplication, Icone::Exclamation,
                       Boutons::Ok, Reponse::Ok});
    Champ(refus->champ).setFocus();
    return false;
}

void frmConfigurationSMTP::btnOK_Click() {
    if (!Verifie()) {
        return;
    }
    DialogueAnnule = false;
    accept();  // hidden, still there for the caller to read
}

void frmConfigurationSMTP::btnAnnuler_Click() {
    reject();
}

void frmConfigurationSMTP::btnTester_Click() {
    if (!Verifie()) {
        return;
    }
    const ValeursTest valeurs = valeursConfiguration_();
    EssaiSMTP envoi{Lit(), DepuisQt(txtPassword_->text()), valeurs.encodage, {}, {}, 0, {}};
    bool confirme = false;
    {
        frmConfigurationSMTPTest test(etat_.Langage, auDessus_, this);
        test.Expediteur().setText(VersQt(valeurs.expediteur));
        test.Destinataire().setText(VersQt(PremierDestinataire(valeurs.destinataires)));
        confirme = AfficheTest(test);
        envoi.expediteur = DepuisQt(test.Expediteur().text());
        envoi.destinataire = DepuisQt(test.Destinataire().text());
    }
    if (confirme) {
        EnvoieTestSMTP(std::move(envoi), etat_, dialogue_);
    }
    DialogueAnnule = true;
}

// Kept only when confirmed; saved with the configuration by this dialog's OK.
void frmConfigurationSMTP::btnAvance_Click() {
    frmConfigurationSMTPAvancee avancee(etat_, dialogue_.Base(), auDessus_, this);
    avancee.Remplit(avancee_);
    if (AfficheAvancee(avancee)) {
        avancee.Reporte(avancee_);
    }
}

}  // namespace corvelle::ui
