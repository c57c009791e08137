#include "ui/config/FenetreConfiguration.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeWidget>
#include <algorithm>

#include "app/Programme.h"
#include "config/ConfigSMTP.h"
#include "config/Parametres.h"
#include "config/Profil.h"
#include "core/Chemins.h"
#include "core/Dialogue.h"
#include "core/Erreur.h"
#include "core/Plateforme.h"
#include "core/Version.h"
#include "ui/commun/TraductionFenetre.h"
#include "ui/commun/Twips.h"
#include "ui/config/DialogueFixe.h"
#include "ui/config/ListeSMTP.h"
#include "ui/config/ReglesConfiguration.h"

namespace corvelle::ui {

namespace {

constexpr int kNombreOnglets = 4;
constexpr int kLargeurOnglets = 7815;
constexpr int kHauteurOnglets = 3975;
constexpr int kHauteurFenetre = 4200 + 375 + 120;  // the buttons' bottom and a margin

void SelectionneParValeur(QComboBox& liste, int valeur) {
    liste.setCurrentIndex(liste.findData(valeur));
}

void SelectionnePosition(QComboBox& liste, int position) {
    liste.setCurrentIndex(position >= 0 && position < liste.count() ? position : -1);
}

void RemplitCatalogue(QComboBox& liste, const Langue& langue,
                      std::initializer_list<const char*> cles) {
    for (const char* cle : cles) {
        liste.addItem(TexteCatalogue(langue, cle));
    }
}

}  // namespace

frmConfiguration::frmConfiguration(Programme& etat, Dialogue& dialogue, bool auDessus,
                                   QWidget* parent)
    : QDialog(parent), etat_(etat), dialogue_(dialogue, *this) {
    setObjectName(QStringLiteral("frmConfiguration"));
    setWindowTitle(QStringLiteral("Configuration"));
    PrepareDialogueFixe(*this, 120 + kLargeurOnglets + 180, kHauteurFenetre, auDessus);
    CreeOnglets();
    PlaceEnTwips(*tabOnglets_, 120, 120, kLargeurOnglets, kHauteurOnglets);
    const BoutonsValidation boutons = PanneauBoutons(*this, 4200);
    connect(boutons.ok, &QPushButton::clicked, this, &frmConfiguration::btnOK_Click);
    connect(boutons.annuler, &QPushButton::clicked, this, &frmConfiguration::btnAnnuler_Click);
    liste_ = std::make_unique<ListeSMTP>(
        *fraSMTP_, etat_, dialogue_,
        [this] {
            return ValeursTest{DepuisQt(txtExpediteurParDefaut_->text()),
                               DepuisQt(txtDestinatairesParDefaut_->text()),
                               DepuisQt(cboEncodageParDefaut_->currentText())};
        },
        auDessus);
    ChoisitFichier = [this](const QString& titre, const QString& dossier) {
        const QString filtre =
            TexteCatalogue(etat_.Langage, "TXT_TOUS_FICHIERS") + QStringLiteral(" (*)");
        return QFileDialog::getOpenFileName(this, titre, dossier, filtre, nullptr,
                                            QFileDialog::ReadOnly);
    };

    TraduitFenetre(*this, etat_.Langage);
    // No caption of their own: the list is read by its frame's title, the
    // browse button ("…") by what it does.
    liste_->Liste().setAccessibleName(fraSMTP_->title().simplified());
    findChild<QPushButton*>(QStringLiteral("btnFichierDestinatairesParDéfautParcourir"))
        ->setAccessibleName(TexteCatalogue(etat_.Langage, "TXT_CHARGER_FICHIER"));
    AjusteLargeur(auDessus);
    RemplitListes();
    Dispose();
    RemplitLangues();
    liste_->Remplit(etat_.ListeConfigsSMTP);
    RemplitChamps();
    Connecte();
    if (etat_.ConfigurerAccesAD) {
        tabOnglets_->setCurrentIndex(3);
    }
    CentreSurEcran(*this);
    etat_.RedemarrageRequis = false;
    etat_.DialogueAnnule = true;
}

frmConfiguration::~frmConfiguration() = default;

// Every tab caption must show whole: captions longer than designed (a
// translation, a larger font) widen the tab strip and the window with it.
void frmConfiguration::AjusteLargeur(bool auDessus) {
    const int onglets = std::max(
        kLargeurOnglets, TwipsDepuisPixels(*this, tabOnglets_->tabBar()->sizeHint().width()) + 120);
    if (onglets == kLargeurOnglets) {
        return;
    }
    PrepareDialogueFixe(*this, 120 + onglets + 180, kHauteurFenetre, auDessus);
    PlaceEnTwips(*tabOnglets_, 120, 120, onglets, kHauteurOnglets);
    auto* boutons = findChild<QWidget*>(QStringLiteral("picBoutons"));
    boutons->move((width() - boutons->width()) / 2, boutons->y());
}

void frmConfiguration::RemplitListes() {
    const Langue& l = etat_.Langage;
    RemplitCatalogue(*cboFormatParDefaut_, l,
                     {"TXT_FORMAT_TEXTE", "TXT_FORMAT_MIXTE", "TXT_FORMAT_HTML"});
    cboImportanceParDefaut_->addItem(TexteCatalogue(l, "TXT_IMPORTANCE_FAIBLE"), 1);
    cboImportanceParDefaut_->addItem(TexteCatalogue(l, "TXT_IMPORTANCE_NORMALE"), 0);
    cboImportanceParDefaut_->addItem(TexteCatalogue(l, "TXT_IMPORTANCE_HAUTE"), 2);
    RemplitCatalogue(*cboSensibiliteParDefaut_, l,
                     {"TXT_SENSIBILITE_NORMALE", "TXT_SENSIBILITE_PERSONNELLE",
                      "TXT_SENSIBILITE_PRIVEE", "TXT_SENSIBILITE_CONFIDENTIELLE"});
    RemplitCatalogue(*cboNotificationParDefaut_, l,
                     {"TXT_NOTIFICATION_AUCUNE", "TXT_NOTIFICATION_AR", "TXT_NOTIFICATION_AL",
                      "TXT_NOTIFICATION_ARL"});
    cboEncodageParDefaut_->addItems({QStringLiteral("Iso-8859-1"), QStringLiteral("Windows-1252"),
                                     QStringLiteral("Utf-8"), QStringLiteral("Us-ascii")});
}

void frmConfiguration::RemplitLangues() {
    Langue& langue = etat_.Langage;
    cboLangue_->clear();
    cboLangue_->addItem(VersQt(std::string(kFrancais)));
    for (const std::string& nom :
         plateforme::FichiersDuDossier(etat_.DossierProgramme, std::string(kExtensionTraduction))) {
        cboLangue_->addItem(VersQt(nom.substr(0, nom.size() - kExtensionTraduction.size())));
    }
    if (langue.FichierTraduction.empty() || !ExisteFichier(langue.FichierTraduction) ||
        cboLangue_->count() == 1) {
        langue.LangueCourante = std::string(kFrancais);
        cboLangue_->setEnabled(cboLangue_->count() > 1);
    }
    cboLangue_->setCurrentIndex(cboLangue_->findText(VersQt(langue.LangueCourante)));
    // A drop-down about 5000 twips tall: many languages show without scrolling.
    cboLangue_->setMaxVisibleItems(
        std::max(1, PixelsDepuisTwips(*this, 5000) / (cboLangue_->fontMetrics().height() + 4)));
}

void frmConfiguration::RemplitChamps() {
    const Parametres& r = etat_.Reglages;
    txtExpediteurParDefaut_->setText(VersQt(r.ExpediteurParDefaut));
    txtReponseParDefaut_->setText(VersQt(r.ReponseParDefaut));
    SelectionnePosition(*cboFormatParDefaut_, r.FormatParDefaut);
    cboEncodageParDefaut_->setCurrentText(VersQt(r.EncodageParDefaut));
    SelectionneParValeur(*cboImportanceParDefaut_, r.ImportanceParDefaut);
    SelectionnePosition(*cboSensibiliteParDefaut_, r.SensibiliteParDefaut);
    SelectionnePosition(*cboNotificationParDefaut_, r.ARParDefaut);
    txtGroupesParDefaut_->setText(VersQt(r.GroupesParDefaut));
    txtDestinatairesParDefaut_->setText(VersQt(r.DestinatairesParDefaut));
    txtFichiersDestinatairesParDefaut_->setText(VersQt(r.FichierDestinatairesParDefaut));
    txtSuffixe_->setText(VersQt(r.Suffixe));
    txtNombreDestinataires_->setText(QString::number(r.NbDest));
    txtTimeoutSMTP_->setText(QString::number(r.TimeoutSMTP));
    txtDureeAttente_->setText(QString::number(r.DureeAttente));
    optRepartitionDestinataires_[r.RepartitionDestinataires ? 0 : 1]->setChecked(true);

    chkUtiliserAD_->setChecked(r.UtiliserAD);
    accesADChoisi_ = r.AccesAD >= 0 && r.AccesAD <= 2 ? r.AccesAD : 0;
    optAccesAD_[accesADChoisi_]->setChecked(true);
    chkUtiliserAD_Click();
    txtAccesADDomaine_->setText(VersQt(r.AccesADDomaine));
    txtAccesADLogin_->setText(VersQt(r.AccesADLogin));
    txtAccesADPassword_->setText(VersQt(r.AccesADPassword));
}

void frmConfiguration::Connecte() {
    connect(chkUtiliserAD_, &QCheckBox::clicked, this, &frmConfiguration::chkUtiliserAD_Click);
    for (int i = 0; i < 3; ++i) {
        connect(optAccesAD_[i], &QRadioButton::clicked, this, [this, i] { optAccesAD_Click(i); });
    }
    connect(findChild<QPushButton*>(QStringLiteral("btnFichierDestinatairesParDéfautParcourir")),
            &QPushButton::clicked, this,
            &frmConfiguration::btnFichierDestinatairesParDefautParcourir_Click);
    connect(tabOnglets_, &QTabWidget::currentChanged, this, &frmConfiguration::tabOnglets_Click);
    connect(liste_.get(), &ListeSMTP::DialogueFerme, this, [this] { GardeFocus(focusWidget()); });
    // Ctrl+Tab and Ctrl+Shift+Tab go round the tabs whichever control has the focus.
    auto* suivant = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab), this);
    connect(suivant, &QShortcut::activated, this, [this] { OngletVoisin(1); });
    auto* precedent = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), this);
    connect(precedent, &QShortcut::activated, this, [this] { OngletVoisin(-1); });
    SelectionneTexteAuFocus(
        *this, {txtAccesADDomaine_, txtAccesADLogin_, txtAccesADPassword_, txtSuffixe_,
                txtNombreDestinataires_, txtTimeoutSMTP_, txtDureeAttente_, txtExpediteurParDefaut_,
                txtReponseParDefaut_, txtGroupesParDefaut_, txtDestinatairesParDefaut_,
                txtFichiersDestinatairesParDefaut_});
}

void frmConfiguration::OngletVoisin(int pas) {
    tabOnglets_->setCurrentIndex((tabOnglets_->currentIndex() + pas + kNombreOnglets) %
                                 kNombreOnglets);
}

bool frmConfiguration::event(QEvent* evenement) {
    if (evenement->type() == QEvent::WindowActivate) {
        const bool retour = focusGarde_ && focusWidget() == focusGarde_;
        focusGarde_.clear();
        if (!retour) {
            tabOnglets_Click();
        }
    }
    return QDialog::event(evenement);
}

void frmConfiguration::tabOnglets_Click() {
    QWidget* premiers[kNombreOnglets] = {cboLangue_, txtExpediteurParDefaut_, txtSuffixe_,
                                         chkUtiliserAD_};
    premiers[tabOnglets_->currentIndex()]->setFocus();  // a disabled control just keeps none
}

void frmConfiguration::SelectionneOnglet(int onglet) {
    tabOnglets_->setCurrentIndex(onglet - 1);
}

void frmConfiguration::chkUtiliserAD_Click() {
    const bool actif = chkUtiliserAD_->isChecked();
    for (QRadioButton* option : optAccesAD_) {
        option->setEnabled(actif);
    }
    txtGroupesParDefaut_->setEnabled(actif);
    optAccesAD_Click(accesADChoisi_);
}

void frmConfiguration::optAccesAD_Click(int index) {
    accesADChoisi_ = index;
    const bool actif = chkUtiliserAD_->isChecked();
    txtAccesADDomaine_->setEnabled(actif && index == 2);
    txtAccesADLogin_->setEnabled(actif && index >= 1);
    txtAccesADPassword_->setEnabled(actif && index >= 1);
}

void frmConfiguration::btnFichierDestinatairesParDefautParcourir_Click() {
    const std::string actuel = DepuisQt(txtFichiersDestinatairesParDefaut_->text());
    const std::string dossier = actuel.empty() ? etat_.DossierCourant : ExtraitDossier(actuel);
    const QPointer<QWidget> avant = focusWidget();
    const QString chemin =
        ChoisitFichier(TexteCatalogue(etat_.Langage, "TXT_CHARGER_FICHIER"), VersQt(dossier));
    if (!chemin.isEmpty()) {
        txtFichiersDestinatairesParDefaut_->setText(
            VersQt(CheminRelatif(DepuisQt(chemin), etat_.DossierCourant)));
    }
    GardeFocus(avant);
}

// Back from a box or a dialog of this window, the focus stays on `controle`.
void frmConfiguration::GardeFocus(QWidget* controle) {
    if (controle) {
        focusGarde_ = controle;
        controle->setFocus();
    }
}

QWidget& frmConfiguration::Champ(ChampConfiguration champ) const {
    switch (champ) {
        case ChampConfiguration::ListeSMTP:
            return liste_->Liste();
        case ChampConfiguration::Expediteur:
            return *txtExpediteurParDefaut_;
        case ChampConfiguration::Suffixe:
            return *txtSuffixe_;
        case ChampConfiguration::NbDest:
            return *txtNombreDestinataires_;
        case ChampConfiguration::Timeout:
            return *txtTimeoutSMTP_;
        case ChampConfiguration::DureeAttente:
            return *txtDureeAttente_;
        case ChampConfiguration::Domaine:
            return *txtAccesADDomaine_;
        case ChampConfiguration::Login:
            break;
    }
    return *txtAccesADLogin_;
}

bool frmConfiguration::Verifie() {
    SaisieConfiguration saisie;
    saisie.nombreConfigs = liste_->Tags().size();
    saisie.expediteur = DepuisQt(txtExpediteurParDefaut_->text());
    saisie.suffixe = DepuisQt(txtSuffixe_->text());
    saisie.nbDest = DepuisQt(txtNombreDestinataires_->text());
    saisie.timeout = DepuisQt(txtTimeoutSMTP_->text());
    saisie.dureeAttente = DepuisQt(txtDureeAttente_->text());
    saisie.domaine = DepuisQt(txtAccesADDomaine_->text());
    saisie.login = DepuisQt(txtAccesADLogin_->text());
    saisie.accesADChoisi = accesADChoisi_;
    const auto refus = VerifieConfiguration(saisie);
    if (!refus) {
        return true;
    }
    if (refus->ongletAvantMessage) {
        SelectionneOnglet(refus->onglet);
        QApplication::processEvents();
    }
    dialogue_.Affiche({etat_.Langage.Texte(refus->message), kTitreApplication, Icone::Exclamation,
                       Boutons::Ok, Reponse::Ok});
    if (!refus->ongletAvantMessage) {
        SelectionneOnglet(refus->onglet);
    }
    GardeFocus(&Champ(refus->champ));
    return false;
}

void frmConfiguration::btnOK_Click() {
    if (!Verifie()) {
        return;
    }
    Enregistre();
}

void frmConfiguration::btnAnnuler_Click() {
    reject();
}

}  // namespace corvelle::ui
