#include "ui/main/FenetreComposition.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <exception>

#include "app/EnvoiProgramme.h"
#include "app/Programme.h"
#include "core/Chemins.h"
#include "core/Dialogue.h"
#include "core/Version.h"
#include "i18n/Traduction.h"
#include "ui/commun/Icone.h"
#include "ui/commun/TraductionFenetre.h"
#include "ui/config/FenetreConfiguration.h"
#include "ui/main/Composition.h"
#include "ui/main/EnvoiFenetre.h"
#include "ui/main/FenetreAPropos.h"
#include "ui/main/PopupMenu.h"

namespace corvelle::ui {

namespace {

void SelectionneParValeur(QComboBox& liste, int valeur) {
    const int position = liste.findData(valeur);
    if (position >= 0) {
        liste.setCurrentIndex(position);
    }
}

// A position read from the configuration; one outside the list selects nothing.
void SelectionnePosition(QComboBox& liste, int position) {
    liste.setCurrentIndex(position >= 0 && position < liste.count() ? position : -1);
}

}  // namespace

frmCorvelle::frmCorvelle(Programme& etat, Dialogue& dialogue)
    : etat_(etat), dialogue_(dialogue, *this) {
    setObjectName(QStringLiteral("frmCorvelle"));
    setWindowTitle(QStringLiteral("Corvelle"));
    CreeControles();
    CreeMenus();
    OrdreTabulation();
    Connecte();
    ChoisitFichier = [this](const QString& titre) {
        const QString filtre =
            TexteCatalogue(etat_.Langage, "TXT_TOUS_FICHIERS") + QStringLiteral(" (*)");
        return QFileDialog::getOpenFileName(this, titre, VersQt(etat_.DossierCourant), filtre,
                                            nullptr, QFileDialog::ReadOnly);
    };
    AfficheMenu = [](clsPopupMenu& menu, QPushButton& bouton) {
        return menu.TrackPopup(&bouton, true);
    };
    OuvreConfiguration = [this] {
        frmConfiguration configuration(etat_, dialogue_, AuDessus(), this);
        configuration.exec();
    };
}

// A send still running is stopped and waited for (its dialog first): it must
// not outlive what it reads.
frmCorvelle::~frmCorvelle() {
    progression_.reset();
    envoi_.reset();
}

void frmCorvelle::Connecte() {
    connect(btnEnvoyer_, &QPushButton::clicked, this, &frmCorvelle::btnEnvoyer_Click);
    connect(btnRaz_, &QPushButton::clicked, this, &frmCorvelle::btnRaz_Click);
    connect(btnQuitter_, &QPushButton::clicked, this, &QWidget::close);
    connect(btnAjouter_, &QPushButton::clicked, this, &frmCorvelle::btnAjouter_Click);
    connect(btnSupprimer_, &QPushButton::clicked, this, &frmCorvelle::btnSupprimer_Click);
    connect(lstFichiersJoints_, &QListWidget::itemSelectionChanged, this,
            &frmCorvelle::lstFichiersJoints_Click);
    for (int i = 0; i < 3; ++i) {
        connect(btnDestinataires_[i], &QPushButton::pressed, this,
                [this, i] { btnDestinataires_MouseDown(i); });
        // Any change, typed, pasted or from the menu, refits the field.
        connect(txtDestinataires_[i], &QPlainTextEdit::textChanged, this,
                [this, i] { AjusteHauteurDestinataires(i); });
    }
    for (QWidget* champ : std::initializer_list<QWidget*>{
             txtExpediteur_, txtReponse_, txtDestinataires_[0], txtDestinataires_[1],
             txtDestinataires_[2], txtObjetMessage_, txtCorpsMessage_}) {
        champ->installEventFilter(this);
    }
}

void frmCorvelle::Charge() {
    TraduitFenetre(*this, etat_.Langage);
    RemplitListes();
    RemplitConfigsSMTP();
    // Not part of the catalogue: its French text lives here, a translation
    // file may still give it.
    const QString separateurs = VersQt(etat_.Langage.Fichier.TraduitTexte(
        "TXT_SEPARATEUR_INFO",
        "Séparez les destinataires par des virgules ou mettez-en un par ligne.§"
        "fic:<fichier> lit un fichier de destinataires, grp:<groupe> un groupe de l'annuaire."));
    for (int i = 0; i < 3; ++i) {
        txtDestinataires_[i]->setToolTip(separateurs);
        // Read by what it opens, not as "▼".
        btnDestinataires_[i]->setAccessibleName(
            VersQt(FormateMessage(etat_.Langage.Texte("TXT_MENU_DESTINATAIRES"),
                                  DepuisQt(txtDestinataires_[i]->accessibleName()))));
    }
    AjusteColonnes();
    setWindowTitle(VersQt(TitreFenetre()));
    setWindowIcon(IconeProgramme());
    lblTextSize_->setFont(txtDestinataires_[0]->font());
    RestaureEtat();
    btnRaz_Click();
    chargee_ = true;
}

void frmCorvelle::RemplitListes() {
    const Langue& l = etat_.Langage;
    for (const char* cle : {"TXT_FORMAT_TEXTE", "TXT_FORMAT_MIXTE", "TXT_FORMAT_HTML"}) {
        cboFormat_->addItem(TexteCatalogue(l, cle));
    }
    cboImportance_->addItem(TexteCatalogue(l, "TXT_IMPORTANCE_FAIBLE"), 1);
    cboImportance_->addItem(TexteCatalogue(l, "TXT_IMPORTANCE_NORMALE"), 0);
    cboImportance_->addItem(TexteCatalogue(l, "TXT_IMPORTANCE_HAUTE"), 2);
    for (const char* cle : {"TXT_SENSIBILITE_NORMALE", "TXT_SENSIBILITE_PERSONNELLE",
                            "TXT_SENSIBILITE_PRIVEE", "TXT_SENSIBILITE_CONFIDENTIELLE"}) {
        cboSensibilite_->addItem(TexteCatalogue(l, cle));
    }
    for (const char* cle : {"TXT_NOTIFICATION_AUCUNE", "TXT_NOTIFICATION_AR", "TXT_NOTIFICATION_AL",
                            "TXT_NOTIFICATION_ARL"}) {
        cboNotification_->addItem(TexteCatalogue(l, cle));
    }
    cboEncodage_->addItems({QStringLiteral("Iso-8859-1"), QStringLiteral("Windows-1252"),
                            QStringLiteral("Utf-8"), QStringLiteral("Us-ascii")});
}

void frmCorvelle::RemplitConfigsSMTP() {
    cboConfigSMTP_->clear();
    for (const clsConfigSMTP& config : etat_.ListeConfigsSMTP) {
        cboConfigSMTP_->addItem(VersQt(config.Nom));
    }
    cboConfigSMTP_->setCurrentIndex(cboConfigSMTP_->count() > 0 ? 0 : -1);
    const bool plusieurs = cboConfigSMTP_->count() > 1;
    cboConfigSMTP_->setVisible(plusieurs);
    lblConfigSMTP_->setVisible(plusieurs);
    disposition_.MontreConfigSMTP(plusieurs);
    if (chargee_) {
        Redimensionne();
    }
}

void frmCorvelle::Refuse(const char* message, QWidget& champ) {
    dialogue_.Affiche({etat_.Langage.Texte(message), kTitreApplication, Icone::Exclamation,
                       Boutons::Ok, Reponse::Ok});
    champ.setFocus();
}

void frmCorvelle::btnEnvoyer_Click() {
    if (envoi_) {
        return;  // the controls are disabled; a caller that clicks anyway waits its turn
    }
    Formulaire formulaire;
    formulaire.expediteur = DepuisQt(txtExpediteur_->text());
    formulaire.reponse = DepuisQt(txtReponse_->text());
    for (int i = 0; i < 3; ++i) {
        formulaire.destinataires[i] = DepuisQt(txtDestinataires_[i]->toPlainText());
    }
    formulaire.objet = DepuisQt(txtObjetMessage_->text());
    formulaire.corps = DepuisQt(txtCorpsMessage_->toPlainText());
    if (const auto refus = VerifieFormulaire(formulaire)) {
        QWidget* champs[] = {txtExpediteur_, txtDestinataires_[0], txtObjetMessage_,
                             txtCorpsMessage_};
        Refuse(refus->message, *champs[static_cast<int>(refus->champ)]);
        return;
    }

    for (int i = 0; i < 3; ++i) {
        formulaire.destinataires[i] = NormaliseDestinataires(formulaire.destinataires[i]);
        txtDestinataires_[i]->setPlainText(VersQt(formulaire.destinataires[i]));
        AjusteHauteurDestinataires(i);
    }
    for (int i = 0; i < lstFichiersJoints_->count(); ++i) {
        formulaire.piecesJointes.push_back(DepuisQt(lstFichiersJoints_->item(i)->text()));
    }
    formulaire.format = cboFormat_->currentIndex();
    formulaire.encodage = DepuisQt(cboEncodage_->currentText());
    formulaire.notification = cboNotification_->currentIndex();
    formulaire.importance = cboImportance_->currentData().toInt();
    formulaire.sensibilite = cboSensibilite_->currentIndex();
    Demande demande = DemandeDepuisFormulaire(formulaire, DemandeParDefaut(etat_));
    try {
        demande.configuration =
            etat_.ListeConfigsSMTP.at(static_cast<std::size_t>(cboConfigSMTP_->currentIndex()));
    } catch (const std::exception& erreur) {
        // The window stays usable and keeps the message: say what went wrong.
        dialogue_.Affiche({etat_.Langage.Texte("MSG_ERREUR_ENVOI") + "\r\n\r\n" + erreur.what(),
                           kTitreApplication, Icone::Critique, Boutons::Ok, Reponse::Ok});
        return;
    }
    CommenceEnvoi(std::move(demande));
}

// The send goes on beside the window, which keeps painting; its controls stay
// disabled until the outcome is shown.
void frmCorvelle::CommenceEnvoi(Demande demande) {
    envoi_ = std::make_unique<EnvoiFenetre>(etat_, dialogue_, std::move(demande));
    connect(envoi_.get(), &EnvoiFenetre::Termine, this, &frmCorvelle::FinEnvoi,
            Qt::QueuedConnection);  // the sender may go in FinEnvoi
    progression_ = std::make_unique<frmProgression>(*envoi_, etat_.Langage, this);
    RendDisponible(false);
}

void frmCorvelle::FinEnvoi() {
    progression_.reset();
    const std::unique_ptr<EnvoiFenetre> envoi = std::move(envoi_);
    RendDisponible(true);
    if (const std::optional<std::string>& erreur = envoi->Erreur()) {
        // The window stays usable and keeps the message: say what went wrong.
        dialogue_.Affiche({etat_.Langage.Texte("MSG_ERREUR_ENVOI") + "\r\n\r\n" + *erreur,
                           kTitreApplication, Icone::Critique, Boutons::Ok, Reponse::Ok});
    } else {
        std::optional<Demande>& copie = envoi->Copie();
        (void)RapporteEnvoi(etat_, dialogue_, envoi->Requete(), envoi->Issue(),
                            copie ? &*copie : nullptr);
    }
    emit EnvoiTermine();
    if (fermetureDemandee_) {
        close();
    }
}

void frmCorvelle::RendDisponible(bool disponible) {
    centralWidget()->setEnabled(disponible);
    menuBar()->setEnabled(disponible);
    if (disponible) {
        unsetCursor();
    } else {
        setCursor(Qt::BusyCursor);
    }
}

bool frmCorvelle::FermeturePendantEnvoi() {
    if (fermetureDemandee_) {
        return false;  // asked already: the window closes when the send ends
    }
    const Reponse reponse =
        dialogue_.Affiche({etat_.Langage.Texte("MSG_ENVOI_EN_COURS_FERMETURE"), kTitreApplication,
                           Icone::Question, Boutons::OuiNon, Reponse::Non});
    if (reponse != Reponse::Oui) {
        return false;
    }
    if (!envoi_) {
        return true;  // it ended while the question was up
    }
    fermetureDemandee_ = true;
    progression_->reject();
    return false;
}

void frmCorvelle::btnRaz_Click() {
    const Parametres& r = etat_.Reglages;
    txtExpediteur_->setText(VersQt(r.ExpediteurParDefaut));
    txtReponse_->setText(VersQt(r.ReponseParDefaut));
    for (QPlainTextEdit* champ : txtDestinataires_) {
        champ->clear();
    }
    txtObjetMessage_->clear();
    txtCorpsMessage_->clear();
    SelectionnePosition(*cboFormat_, r.FormatParDefaut);
    cboEncodage_->setCurrentText(VersQt(r.EncodageParDefaut));
    SelectionneParValeur(*cboImportance_, r.ImportanceParDefaut);
    SelectionnePosition(*cboSensibilite_, r.SensibiliteParDefaut);
    SelectionnePosition(*cboNotification_, r.ARParDefaut);
    lstFichiersJoints_->clear();
    btnSupprimer_->setEnabled(false);
}

void frmCorvelle::btnAjouter_Click() {
    const QString chemin = ChoisitFichier(TexteCatalogue(etat_.Langage, "TXT_JOINDRE_FICHIER"));
    if (chemin.isEmpty()) {
        return;
    }
    lstFichiersJoints_->addItem(VersQt(CheminRelatif(DepuisQt(chemin), etat_.DossierCourant)));
}

void frmCorvelle::lstFichiersJoints_Click() {
    btnSupprimer_->setEnabled(lstFichiersJoints_->currentRow() >= 0 &&
                              !lstFichiersJoints_->selectedItems().isEmpty());
}

void frmCorvelle::btnSupprimer_Click() {
    const int ligne = lstFichiersJoints_->currentRow();
    if (ligne < 0) {
        return;
    }
    delete lstFichiersJoints_->takeItem(ligne);
    const int restantes = lstFichiersJoints_->count();
    if (restantes > 0) {
        lstFichiersJoints_->setCurrentRow(std::min(ligne, restantes - 1));
    }
    lstFichiersJoints_Click();
    lstFichiersJoints_->setFocus();
}

void frmCorvelle::mnuAideAProposDe_Click() {
    // Modal to this window without holding the caller: it goes when closed.
    auto* fenetre = new frmAPropos(etat_.Langage, this);
    fenetre->setAttribute(Qt::WA_DeleteOnClose);
    connect(fenetre, &QDialog::finished, this, [this] { Form_Activate(); });
    fenetre->open();
}

void frmCorvelle::mnuOptionsConfiguration_Click() {
    // The send under way reads the settings and the directory's connection.
    if (!OuvreConfiguration || envoi_) {
        return;
    }
    OuvreConfiguration();
    if (!etat_.DialogueAnnule) {
        RemplitConfigsSMTP();
        if (txtReponse_->text().isEmpty()) {
            txtReponse_->setText(VersQt(etat_.Reglages.ReponseParDefaut));
        }
    }
    Form_Activate();
    raise();
    activateWindow();
    txtExpediteur_->setText(VersQt(etat_.Reglages.ExpediteurParDefaut));
    if (etat_.RedemarrageRequis) {
        close();
    }
}

}  // namespace corvelle::ui
