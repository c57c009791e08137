#include "ui/config/FenetreAvanceeSMTP.h"

#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

#include "app/Programme.h"
#include "core/Chemins.h"
#include "core/Dialogue.h"
#include "core/Version.h"
#include "i18n/Traduction.h"
#include "ui/commun/TraductionFenetre.h"
#include "ui/commun/Twips.h"
#include "ui/config/DialogueFixe.h"

namespace corvelle::ui {

namespace {

constexpr int kLargeur = 6615;
constexpr int kMarge = 120;
constexpr int kHauteurLigne = 285;
constexpr int kPas = 360;
constexpr int kLargeurParcourir = 315;
constexpr int kLargeurChampMinimale = 3600;

struct Ligne {
    const char* nom;      // after "lbl" / "txt"
    const char* legende;  // as designed, in French
    bool fichier;
};

// In ChampAvance order.
constexpr Ligne kLignes[kNombreChampsAvances] = {
    {"NomEhlo", "Nom &EHLO", false},
    {"ExpéditeurEnveloppe", "E&xpéditeur de l'enveloppe", false},
    {"FichierCA", "&Fichier CA", true},
    {"EmpreinteTLS", "Em&preinte SHA-256", false},
    {"CertificatClient", "&Certificat client", true},
    {"CléClient", "C&lé client", true},
    {"CertificatOAuth", "Cer&tificat OAuth2", true},
    {"CléOAuth", "Clé OA&uth2", true},
};

int HautLigne(std::size_t i) {
    return kMarge + static_cast<int>(i) * kPas;
}

}  // namespace

frmConfigurationSMTPAvancee::frmConfigurationSMTPAvancee(const Programme& etat, Dialogue& dialogue,
                                                         bool auDessus, QWidget* parent)
    : QDialog(parent), etat_(etat), dialogue_(dialogue, *this) {
    setObjectName(QStringLiteral("frmConfigurationSMTPAvancée"));
    setWindowTitle(QStringLiteral("Configuration SMTP avancée"));
    PrepareDialogueFixe(*this, kLargeur, HautLigne(kNombreChampsAvances) + 600, auDessus);
    CreeControles();
    TraduitFenetre(*this, etat_.Langage);
    // A browse button shows "…": it is read by what it does and for which field.
    for (std::size_t i = 0; i < kNombreChampsAvances; ++i) {
        if (parcourir_[i]) {
            const QString legende = legendes_[i]->text().remove('&');
            parcourir_[i]->setAccessibleName(VersQt(
                FormateMessage(etat_.Langage.Texte("TXT_PARCOURIR_POUR"), DepuisQt(legende))));
        }
    }
    Dispose();
    ChoisitFichier = [this](const QString& titre, const QString& dossier) {
        const QString filtre =
            TexteCatalogue(etat_.Langage, "TXT_TOUS_FICHIERS") + QStringLiteral(" (*)");
        return QFileDialog::getOpenFileName(this, titre, dossier, filtre, nullptr,
                                            QFileDialog::ReadOnly);
    };
}

void frmConfigurationSMTPAvancee::CreeControles() {
    QWidget* precedent = nullptr;
    for (std::size_t i = 0; i < kNombreChampsAvances; ++i) {
        const Ligne& ligne = kLignes[i];
        legendes_[i] = new QLabel(QString::fromUtf8(ligne.legende), this);
        legendes_[i]->setObjectName(QStringLiteral("lbl") + QString::fromUtf8(ligne.nom));
        champs_[i] = new QLineEdit(this);
        champs_[i]->setObjectName(QStringLiteral("txt") + QString::fromUtf8(ligne.nom));
        if (precedent) {
            setTabOrder(precedent, champs_[i]);
        }
        precedent = champs_[i];
        if (ligne.fichier) {
            parcourir_[i] = new QPushButton(QStringLiteral("…"), this);
            parcourir_[i]->setObjectName(QStringLiteral("btn") + QString::fromUtf8(ligne.nom) +
                                         QStringLiteral("Parcourir"));
            parcourir_[i]->setAutoDefault(false);
            const auto champ = static_cast<ChampAvance>(i);
            connect(parcourir_[i], &QPushButton::clicked, this, [this, champ] { Parcourt(champ); });
            setTabOrder(precedent, parcourir_[i]);
            precedent = parcourir_[i];
        }
    }
    champs_[static_cast<std::size_t>(ChampAvance::EmpreinteTLS)]->setPlaceholderText(
        QStringLiteral("SHA256:…"));
    const BoutonsValidation boutons = PanneauBoutons(*this, HautLigne(kNombreChampsAvances) + 60);
    setTabOrder(precedent, boutons.ok);
    setTabOrder(boutons.ok, boutons.annuler);
    connect(boutons.ok, &QPushButton::clicked, this, &frmConfigurationSMTPAvancee::btnOK_Click);
    connect(boutons.annuler, &QPushButton::clicked, this,
            &frmConfigurationSMTPAvancee::btnAnnuler_Click);
}

// The captions in a column as wide as the widest translated one, the fields
// after it; the window widens rather than cut a field short.
void frmConfigurationSMTPAvancee::Dispose() {
    int legende = 0;
    for (const QLabel* label : legendes_) {
        legende = std::max(legende, LargeurLegende(*label, label->text()));
    }
    const int champ = kMarge + legende + kMarge;
    const int largeur =
        std::max(kLargeur, champ + kLargeurChampMinimale + kMarge + kLargeurParcourir + kMarge);
    const int largeurChamp = largeur - kMarge - champ - kLargeurParcourir - kMarge;
    for (std::size_t i = 0; i < kNombreChampsAvances; ++i) {
        const int haut = HautLigne(i);
        PlaceEnTwips(*legendes_[i], kMarge, haut, legende, kHauteurLigne);
        PlaceEnTwips(*champs_[i], champ, haut, largeurChamp, kHauteurLigne);
        if (parcourir_[i]) {
            PlaceEnTwips(*parcourir_[i], champ + largeurChamp + kMarge, haut, kLargeurParcourir,
                         kHauteurLigne);
        }
    }
    const int hautBoutons = HautLigne(kNombreChampsAvances) + 60;
    setFixedSize(PixelsDepuisTwips(*this, largeur), PixelsDepuisTwips(*this, hautBoutons + 495));
    auto* boutons = findChild<QWidget*>(QStringLiteral("picBoutons"));
    boutons->move((width() - boutons->width()) / 2, PixelsDepuisTwips(*this, hautBoutons));
}

QLineEdit& frmConfigurationSMTPAvancee::Champ(ChampAvance champ) const {
    return *champs_.at(static_cast<std::size_t>(champ));
}

void frmConfigurationSMTPAvancee::Remplit(const clsConfigSMTP& config) {
    for (std::size_t i = 0; i < kNombreChampsAvances; ++i) {
        champs_[i]->setText(VersQt(ChampDe(config, static_cast<ChampAvance>(i))));
    }
}

void frmConfigurationSMTPAvancee::Reporte(clsConfigSMTP& config) const {
    for (std::size_t i = 0; i < kNombreChampsAvances; ++i) {
        ChampDe(config, static_cast<ChampAvance>(i)) = DepuisQt(champs_[i]->text().trimmed());
    }
}

void frmConfigurationSMTPAvancee::Parcourt(ChampAvance champ) {
    QLineEdit& texte = Champ(champ);
    const std::string actuel = DepuisQt(texte.text());
    const std::string dossier = actuel.empty() ? etat_.DossierCourant : ExtraitDossier(actuel);
    const QString titre = legendes_.at(static_cast<std::size_t>(champ))->text().remove('&');
    const QString chemin = ChoisitFichier(titre, VersQt(dossier));
    if (!chemin.isEmpty()) {
        texte.setText(chemin);
    }
    texte.setFocus();
}

// Checked as the command line checks them; the values normalised (the
// fingerprint) and absolute (the files) go back into the fields.
void frmConfigurationSMTPAvancee::btnOK_Click() {
    clsConfigSMTP config;
    Reporte(config);
    if (const std::optional<RefusAvance> refus = VerifieAvance(config, etat_.DossierCourant)) {
        dialogue_.Affiche(
            {FormateMessage(etat_.Langage.Texte(refus->message), refus->valeur, refus->complement),
             kTitreApplication, Icone::Exclamation, Boutons::Ok, Reponse::Ok});
        Champ(refus->champ).setFocus();
        return;
    }
    Remplit(config);
    DialogueAnnule = false;
    accept();
}

void frmConfigurationSMTPAvancee::btnAnnuler_Click() {
    reject();
}

}  // namespace corvelle::ui
