// The settings window's controls as designed, before translation, and their
// placing once the captions are known.

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <algorithm>
#include <initializer_list>

#include "app/Programme.h"
#include "ui/commun/OptionMultiligne.h"
#include "ui/commun/TraductionFenetre.h"
#include "ui/commun/Twips.h"
#include "ui/config/DialogueFixe.h"
#include "ui/config/FenetreConfiguration.h"
#include "ui/config/ListeSMTP.h"

namespace corvelle::ui {

namespace {

constexpr int kMarge = 120;
constexpr int kLargeurPanneau = 7575;
constexpr int kHauteurLabel = 255;
constexpr int kHauteurTexte = 285;
constexpr int kHauteurListe = 315;
constexpr int kDecalageLabel = 45;  // a label sits a little lower than its field

QLabel* Label(QWidget* parent, const QString& nom, const QString& texte) {
    return Nomme(new QLabel(texte, parent), nom);
}

QLineEdit* Texte(QWidget* parent, const QString& nom) {
    return Nomme(new QLineEdit(parent), nom);
}

QComboBox* ListeDeroulante(QWidget* parent, const QString& nom) {
    return Nomme(new QComboBox(parent), nom);
}

QLabel* LabelDe(const QWidget& parent, const char* nom) {
    return parent.findChild<QLabel*>(QString::fromUtf8(nom));
}

int Largeur(const QLabel& label) {
    return LargeurLegende(label, label.text());
}

// Gives every label of a column the width of the widest caption; returns it.
int Colonne(std::initializer_list<QLabel*> labels) {
    int largeur = 0;
    for (const QLabel* label : labels) {
        largeur = std::max(largeur, Largeur(*label));
    }
    return largeur;
}

// A label at `gauche` of width `largeur`, its field 120 twips to its right.
int LabelEtChamp(QLabel& label, QWidget& champ, int gauche, int haut, int largeur, int largeurChamp,
                 int hauteurChamp = kHauteurTexte) {
    PlaceEnTwips(label, gauche, haut + kDecalageLabel, largeur, kHauteurLabel);
    const int gaucheChamp = gauche + largeur + kMarge;
    PlaceEnTwips(champ, gaucheChamp, haut, largeurChamp, hauteurChamp);
    return gaucheChamp + largeurChamp;
}

// What a wrapped option needs in that width, in twips.
int HauteurOption(const QRadioButton& option, int largeur) {
    return TwipsParExces(option, option.heightForWidth(PixelsDepuisTwips(option, largeur)));
}

// A note label 120 twips right of `droite`, as wide as its caption.
void Note(QLabel& note, int droite, int haut) {
    PlaceEnTwips(note, droite + kMarge, haut + kDecalageLabel, Largeur(note), kHauteurLabel);
}

}  // namespace

void frmConfiguration::CreeOnglets() {
    tabOnglets_ = Nomme(new QTabWidget(this), QStringLiteral("tabOnglets"));
    const QString legendes[4] = {"&Général", "Pa&ramètres par défaut", "Paramètres d'&envoi",
                                 "Accès A&ctiveDirectory"};
    for (int i = 0; i < 4; ++i) {
        auto* panneau = Nomme(new QWidget, QStringLiteral("picOnglet"), i + 1);
        tabOnglets_->addTab(panneau, legendes[i]);
    }
    CreeOngletGeneral(*tabOnglets_->widget(0));
    CreeOngletDefauts(*tabOnglets_->widget(1));
    CreeOngletEnvoi(*tabOnglets_->widget(2));
    CreeOngletAnnuaire(*tabOnglets_->widget(3));
}

void frmConfiguration::CreeOngletGeneral(QWidget& p) {
    Label(&p, QStringLiteral("lblLangue"), "&Langue");
    cboLangue_ = ListeDeroulante(&p, QStringLiteral("cboLangue"));
    Label(&p, QStringLiteral("lblRequiertRedémarrage"), "(requiert un redémarrage du logiciel)");
    fraSMTP_ = Nomme(new QGroupBox(QStringLiteral(" Configurations SMTP "), &p),
                     QStringLiteral("fraSMTP"));
    PlaceEnTwips(*fraSMTP_, kMarge, 600, 7335, 2775);
}

void frmConfiguration::CreeOngletDefauts(QWidget& p) {
    Label(&p, QStringLiteral("lblExpéditeurParDéfaut"), "E&xpéditeur");
    txtExpediteurParDefaut_ = Texte(&p, QStringLiteral("txtExpéditeurParDéfaut"));
    Label(&p, QStringLiteral("lblRéponseParDéfaut"), "Ré&ponse");
    txtReponseParDefaut_ = Texte(&p, QStringLiteral("txtRéponseParDéfaut"));
    Label(&p, QStringLiteral("lblRéponseInfo"), "Laisser vide si identique à l'expéditeur");
    Label(&p, QStringLiteral("lblFormatParDéfaut"), "For&mat");
    cboFormatParDefaut_ = ListeDeroulante(&p, QStringLiteral("cboFormatParDéfaut"));
    Label(&p, QStringLiteral("lblEncodageParDéfaut"), "Enco&dage");
    cboEncodageParDefaut_ = ListeDeroulante(&p, QStringLiteral("cboEncodageParDéfaut"));
    cboEncodageParDefaut_->setEditable(true);
    cboEncodageParDefaut_->setInsertPolicy(QComboBox::NoInsert);
    Label(&p, QStringLiteral("lblImportanceParDéfaut"), "&Importance");
    cboImportanceParDefaut_ = ListeDeroulante(&p, QStringLiteral("cboImportanceParDéfaut"));
    Label(&p, QStringLiteral("lblSensibilitéParDéfaut"), "Sensi&bilité");
    cboSensibiliteParDefaut_ = ListeDeroulante(&p, QStringLiteral("cboSensibilitéParDéfaut"));
    Label(&p, QStringLiteral("lblNotificationParDéfaut"), "No&tification");
    cboNotificationParDefaut_ = ListeDeroulante(&p, QStringLiteral("cboNotificationParDéfaut"));

    auto* cadre = Nomme(new QGroupBox(QStringLiteral(" Destinataires "), &p),
                        QStringLiteral("fraDestinatairesParDéfaut"));
    Label(cadre, QStringLiteral("lblDestinatairesParDéfaut"), "Destin&ataire(s)");
    txtDestinatairesParDefaut_ = Texte(cadre, QStringLiteral("txtDestinatairesParDéfaut"));
    Label(cadre, QStringLiteral("lblGroupesParDéfaut"), "Gro&upe(s)");
    txtGroupesParDefaut_ = Texte(cadre, QStringLiteral("txtGroupesParDéfaut"));
    Label(cadre, QStringLiteral("lblFichiersDestinatairesParDéfaut"), "&Fichier(s)");
    txtFichiersDestinatairesParDefaut_ =
        Texte(cadre, QStringLiteral("txtFichiersDestinatairesParDéfaut"));
    auto* parcourir = Nomme(new QPushButton(QStringLiteral("…"), cadre),
                            QStringLiteral("btnFichierDestinatairesParDéfautParcourir"));
    parcourir->setAutoDefault(false);
    auto* ligne = Nomme(new QFrame(cadre), QStringLiteral("Line1"));
    ligne->setFrameShape(QFrame::VLine);
    ligne->setFrameShadow(QFrame::Sunken);
    Label(cadre, QStringLiteral("lblSéparateurInfo2"), "Séparés par une virgule")
        ->setWordWrap(true);
}

void frmConfiguration::CreeOngletEnvoi(QWidget& p) {
    Label(&p, QStringLiteral("lblSuffixe"), "Su&ffixe");
    txtSuffixe_ = Texte(&p, QStringLiteral("txtSuffixe"));
    Label(&p, QStringLiteral("lblSuffixeInfo"), "(à ajouter aux adresses sans @...)");
    auto* cadre = Nomme(new QGroupBox(QStringLiteral(" Destinataires "), &p),
                        QStringLiteral("fraDestinatairesParEnvoi"));
    Label(cadre, QStringLiteral("lblNombreDestinatairesMaxi"),
          "Nombre ma&xi de destinataires (tous types confondus) par envoi");
    txtNombreDestinataires_ = Texte(cadre, QStringLiteral("txtNombreDestinataires"));
    Label(cadre, QStringLiteral("lblRépartitionDestinataires"),
          "Si le nombre total de destinataires (tous types confondus) d'un mail dépasse le "
          "nombre maximum défini par envoi :")
        ->setWordWrap(true);
    const QString options[2] = {
        "Répartir équi&tablement les destinataires des différents types en optimisant le "
        "nombre d'envois",
        "Traiter c&haque type de destinataires dans des envois séparés"};
    for (int i = 0; i < 2; ++i) {
        optRepartitionDestinataires_[i] = Nomme(new OptionMultiligne(options[i], cadre),
                                                QStringLiteral("optRépartitionDestinataires"), i);
    }
    Label(&p, QStringLiteral("lblTimeoutSMTP"), "Ti&meout à l'envoi des messages");
    txtTimeoutSMTP_ = Texte(&p, QStringLiteral("txtTimeoutSMTP"));
    Label(&p, QStringLiteral("lblTimeoutSMTP2"), "s.");
    Label(&p, QStringLiteral("lblDureeAttente"), "&Durée de conservation dans la file d'attente");
    txtDureeAttente_ = Texte(&p, QStringLiteral("txtDureeAttente"));
    Label(&p, QStringLiteral("lblDureeAttente2"), "h");
    for (QLineEdit* nombre : {txtNombreDestinataires_, txtTimeoutSMTP_, txtDureeAttente_}) {
        nombre->setMaxLength(3);
        nombre->setAlignment(Qt::AlignRight);
    }
    txtDureeAttente_->setMaxLength(4);  // up to a year of hours
}

void frmConfiguration::CreeOngletAnnuaire(QWidget& p) {
    chkUtiliserAD_ = Nomme(
        new QCheckBox(QStringLiteral("Activer la rec&herche des groupes de l'ActiveDirectory"), &p),
        QStringLiteral("chkUtiliserAD"));
    const QString options[3] = {
        "Le poste est dans le &domaine et je souhaite utiliser le compte d'ouverture de session",
        "Le poste est dans le domaine mais je souhaite utiliser un &autre compte que celui "
        "utilisé pour ouvrir la session",
        "Le poste n'&est pas dans le domaine"};
    for (int i = 0; i < 3; ++i) {
        optAccesAD_[i] =
            Nomme(new OptionMultiligne(options[i], &p), QStringLiteral("optAccèsAD"), i);
    }
    Label(&p, QStringLiteral("lblAccèsADDomaine"), "Do&maine");
    txtAccesADDomaine_ = Texte(&p, QStringLiteral("txtAccèsADDomaine"));
    Label(&p, QStringLiteral("lblAccèsADDomaineInfo"),
          "(éventuellement nom ou adresse IP d'un contrôleur)");
    Label(&p, QStringLiteral("lblAccèsADLogin"), "&Login");
    txtAccesADLogin_ = Texte(&p, QStringLiteral("txtAccèsADLogin"));
    Label(&p, QStringLiteral("lblAccèsADLoginInfo"),
          "(éventuellement domaine\\login ou login@domaine)");
    Label(&p, QStringLiteral("lblAccèsADPassword"), "Pass&word");
    txtAccesADPassword_ = Texte(&p, QStringLiteral("txtAccèsADPassword"));
    txtAccesADPassword_->setEchoMode(QLineEdit::Password);
    Label(&p, QStringLiteral("lblRequiertRedémarrage2"), "(requiert un redémarrage du logiciel)");
}

void frmConfiguration::Dispose() {
    QWidget& general = *tabOnglets_->widget(0);
    const int finLangue =
        LabelEtChamp(*LabelDe(general, "lblLangue"), *cboLangue_, kMarge, kMarge,
                     Largeur(*LabelDe(general, "lblLangue")), 1815, kHauteurListe);
    Note(*LabelDe(general, "lblRequiertRedémarrage"), finLangue, kMarge);

    // Defaults: a column of five labels, a second column of two before 5400.
    QWidget& d = *tabOnglets_->widget(1);
    const int colonne =
        Colonne({LabelDe(d, "lblExpéditeurParDéfaut"), LabelDe(d, "lblRéponseParDéfaut"),
                 LabelDe(d, "lblFormatParDéfaut"), LabelDe(d, "lblImportanceParDéfaut"),
                 LabelDe(d, "lblNotificationParDéfaut")});
    const int champs = kMarge + colonne + kMarge;
    const int droite = kLargeurPanneau - kMarge;
    LabelEtChamp(*LabelDe(d, "lblExpéditeurParDéfaut"), *txtExpediteurParDefaut_, kMarge, 120,
                 colonne, droite - champs);
    QLabel& info = *LabelDe(d, "lblRéponseInfo");
    const int gaucheInfo = droite - Largeur(info);
    PlaceEnTwips(info, gaucheInfo, 480 + kDecalageLabel, Largeur(info), kHauteurLabel);
    LabelEtChamp(*LabelDe(d, "lblRéponseParDéfaut"), *txtReponseParDefaut_, kMarge, 480, colonne,
                 std::max(0, gaucheInfo - kMarge - champs));
    LabelEtChamp(*LabelDe(d, "lblFormatParDéfaut"), *cboFormatParDefaut_, kMarge, 870, colonne,
                 2055, kHauteurListe);
    LabelEtChamp(*LabelDe(d, "lblImportanceParDéfaut"), *cboImportanceParDefaut_, kMarge, 1260,
                 colonne, 2055, kHauteurListe);
    LabelEtChamp(*LabelDe(d, "lblNotificationParDéfaut"), *cboNotificationParDefaut_, kMarge, 1680,
                 colonne, LargeurContenu(*cboNotificationParDefaut_, 2655), kHauteurListe);
    const int colonne2 =
        Colonne({LabelDe(d, "lblEncodageParDéfaut"), LabelDe(d, "lblSensibilitéParDéfaut")});
    const int gauche2 = 5400 - kMarge - colonne2;
    LabelEtChamp(*LabelDe(d, "lblEncodageParDéfaut"), *cboEncodageParDefaut_, gauche2, 870,
                 colonne2, droite - 5400, kHauteurListe);
    LabelEtChamp(*LabelDe(d, "lblSensibilitéParDéfaut"), *cboSensibiliteParDefaut_, gauche2, 1260,
                 colonne2, droite - 5400, kHauteurListe);

    auto& cadre = *d.findChild<QGroupBox*>(QStringLiteral("fraDestinatairesParDéfaut"));
    PlaceEnTwips(cadre, kMarge, 2040, 7320, 1425);
    const int colonne3 =
        Colonne({LabelDe(cadre, "lblDestinatairesParDéfaut"), LabelDe(cadre, "lblGroupesParDéfaut"),
                 LabelDe(cadre, "lblFichiersDestinatairesParDéfaut")});
    const int ligne = 5280;
    const int champs3 = kMarge + colonne3 + kMarge;
    LabelEtChamp(*LabelDe(cadre, "lblDestinatairesParDéfaut"), *txtDestinatairesParDefaut_, kMarge,
                 300, colonne3, std::max(0, ligne - kMarge - champs3));
    LabelEtChamp(*LabelDe(cadre, "lblGroupesParDéfaut"), *txtGroupesParDefaut_, kMarge, 660,
                 colonne3, std::max(0, ligne - kMarge - champs3));
    const int gaucheBouton = 7320 - kMarge - 255;
    LabelEtChamp(*LabelDe(cadre, "lblFichiersDestinatairesParDéfaut"),
                 *txtFichiersDestinatairesParDefaut_, kMarge, 1020, colonne3,
                 std::max(0, gaucheBouton - kMarge - champs3));
    PlaceEnTwips(*cadre.findChild<QPushButton*>(), gaucheBouton, 1035, 255, 255);
    PlaceEnTwips(*cadre.findChild<QFrame*>(QStringLiteral("Line1")), ligne, 300, 30, 660);
    PlaceEnTwips(*LabelDe(cadre, "lblSéparateurInfo2"), ligne + kMarge, 420,
                 7320 - ligne - 2 * kMarge, 2 * kHauteurLabel);

    // Sending parameters.
    QWidget& e = *tabOnglets_->widget(2);
    Note(*LabelDe(e, "lblSuffixeInfo"),
         LabelEtChamp(*LabelDe(e, "lblSuffixe"), *txtSuffixe_, kMarge, 120,
                      Largeur(*LabelDe(e, "lblSuffixe")), 1695),
         120);
    auto& envoi = *e.findChild<QGroupBox*>(QStringLiteral("fraDestinatairesParEnvoi"));
    QLabel& maxi = *LabelDe(envoi, "lblNombreDestinatairesMaxi");
    LabelEtChamp(maxi, *txtNombreDestinataires_, kMarge, 300, Largeur(maxi), 495);
    // The wrapped texts take what their font needs, never less than designed.
    QLabel& repartition = *LabelDe(envoi, "lblRépartitionDestinataires");
    const int hauteurRepartition =
        TwipsDepuisPixels(*this, repartition.heightForWidth(PixelsDepuisTwips(*this, 7095)));
    PlaceEnTwips(repartition, kMarge, 660, 7095, hauteurRepartition);
    int bas = 660 + hauteurRepartition;
    for (int i = 0; i < 2; ++i) {
        const int haut = std::max(1050 + 495 * i, bas + kDecalageLabel);
        const int hauteur = HauteurOption(*optRepartitionDestinataires_[i], 6975);
        PlaceEnTwips(*optRepartitionDestinataires_[i], 240, haut, 6975, hauteur);
        bas = haut + hauteur;
    }
    const int hauteurCadre = std::max(2070, bas + kMarge);
    PlaceEnTwips(envoi, kMarge, 585, 7335, hauteurCadre);
    const int hautDelai = std::max(2760, 585 + hauteurCadre + 105);
    // The two delays in one column, the outbox's below the session's.
    const int colonneDelais =
        Colonne({LabelDe(e, "lblTimeoutSMTP"), LabelDe(e, "lblDureeAttente")});
    Note(*LabelDe(e, "lblTimeoutSMTP2"),
         LabelEtChamp(*LabelDe(e, "lblTimeoutSMTP"), *txtTimeoutSMTP_, kMarge, hautDelai,
                      colonneDelais, 495),
         hautDelai);
    const int hautDuree = hautDelai + 375;
    Note(*LabelDe(e, "lblDureeAttente2"),
         LabelEtChamp(*LabelDe(e, "lblDureeAttente"), *txtDureeAttente_, kMarge, hautDuree,
                      colonneDelais, 615),
         hautDuree);

    // Directory access.
    QWidget& a = *tabOnglets_->widget(3);
    // Each option below the one before, as tall as its wrapped caption; the
    // fields move down when the options need more than designed.
    const int hauteurCoche = TwipsParExces(*chkUtiliserAD_, chkUtiliserAD_->sizeHint().height());
    PlaceEnTwips(*chkUtiliserAD_, kMarge, 120, 7335, hauteurCoche);
    int basAcces = 120 + hauteurCoche;
    const int hauts[3] = {360, 765, 1185};
    for (int i = 0; i < 3; ++i) {
        const int haut = std::max(hauts[i], basAcces + kDecalageLabel);
        const int hauteur = HauteurOption(*optAccesAD_[i], 7215);
        PlaceEnTwips(*optAccesAD_[i], 240, haut, 7215, hauteur);
        basAcces = haut + hauteur;
    }
    const int decalage = std::max(0, basAcces + kMarge - 1635);
    const int colonne4 = Colonne({LabelDe(a, "lblAccèsADDomaine"), LabelDe(a, "lblAccèsADLogin"),
                                  LabelDe(a, "lblAccèsADPassword")});
    // The fields give way to their notes, so that both notes end inside the panel.
    const int notes = std::max(Largeur(*LabelDe(a, "lblAccèsADDomaineInfo")),
                               Largeur(*LabelDe(a, "lblAccèsADLoginInfo")));
    const int champ4 =
        std::min(1920, kLargeurPanneau - kMarge - notes - kMarge - (585 + colonne4 + kMarge));
    Note(*LabelDe(a, "lblAccèsADDomaineInfo"),
         LabelEtChamp(*LabelDe(a, "lblAccèsADDomaine"), *txtAccesADDomaine_, 585, 1635 + decalage,
                      colonne4, champ4),
         1635 + decalage);
    Note(*LabelDe(a, "lblAccèsADLoginInfo"),
         LabelEtChamp(*LabelDe(a, "lblAccèsADLogin"), *txtAccesADLogin_, 585, 2010 + decalage,
                      colonne4, champ4),
         2010 + decalage);
    LabelEtChamp(*LabelDe(a, "lblAccèsADPassword"), *txtAccesADPassword_, 585, 2385 + decalage,
                 colonne4, champ4);
    QLabel& redemarrage = *LabelDe(a, "lblRequiertRedémarrage2");
    PlaceEnTwips(redemarrage, kMarge, 2880 + decalage, Largeur(redemarrage), kHauteurLabel);
}

}  // namespace corvelle::ui
