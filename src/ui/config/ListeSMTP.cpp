#include "ui/config/ListeSMTP.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>

#include "app/Programme.h"
#include "config/MotDePasse.h"
#include "ui/commun/TraductionFenetre.h"
#include "ui/commun/Twips.h"
#include "ui/config/OperationsListe.h"

namespace corvelle::ui {

namespace {

enum Colonne : int { ColNom, ColServeur, ColSSL, ColAuthentification, NombreColonnes };

constexpr int kLargeurBouton = 1215;
constexpr int kHauteurBouton = 375;
constexpr int kGaucheBoutons = 6000;
constexpr int kRetardGlissement = 200;  // ms before a press becomes a drag

QPushButton* Bouton(QGroupBox& cadre, const char* nom, const char* legende, int haut) {
    auto* bouton = new QPushButton(QString::fromUtf8(legende), &cadre);
    bouton->setObjectName(QString::fromUtf8(nom));
    bouton->setAutoDefault(false);
    PlaceEnTwips(*bouton, kGaucheBoutons, haut, kLargeurBouton, kHauteurBouton);
    return bouton;
}

// A translated header longer than designed widens its column; what the
// columns then need beyond the list's width (a vertical bar kept in mind) is
// given back by those wider than their header, in proportion, so that no
// header is cut by a sideways scroll. `dessinees`: the designed widths, in pixels.
void DonneLargeurs(QTreeWidget& liste, const int (&dessinees)[NombreColonnes]) {
    const QHeaderView& entete = *liste.header();
    int largeurs[NombreColonnes];
    int aisance[NombreColonnes];
    int exces = -(liste.width() - 2 * liste.frameWidth() -
                  liste.style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    int aisanceTotale = 0;
    for (int colonne = 0; colonne < NombreColonnes; ++colonne) {
        const int besoin = entete.sectionSizeHint(colonne);
        largeurs[colonne] = std::max(besoin, dessinees[colonne]);
        aisance[colonne] = largeurs[colonne] - besoin;
        exces += largeurs[colonne];
        aisanceTotale += aisance[colonne];
    }
    for (int colonne = 0; colonne < NombreColonnes; ++colonne) {
        if (exces > 0 && aisanceTotale > 0) {
            largeurs[colonne] -= std::min(
                aisance[colonne], (exces * aisance[colonne] + aisanceTotale - 1) / aisanceTotale);
        }
        liste.setColumnWidth(colonne, largeurs[colonne]);
    }
}

}  // namespace

ListeSMTP::ListeSMTP(QGroupBox& cadre, Programme& etat, Dialogue& dialogue,
                     std::function<ValeursTest()> valeurs, bool auDessus)
    : etat_(etat), dialogue_(dialogue), valeurs_(std::move(valeurs)), auDessus_(auDessus) {
    CreeListe(cadre);
    CreeBoutons(cadre);
    Connecte();
    AfficheDialogue = [](frmConfigurationSMTP& fenetre) { fenetre.exec(); };
    ActualiseBoutonsSMTP();
}

void ListeSMTP::CreeListe(QGroupBox& cadre) {
    lvwConfigsSMTP_ = new QTreeWidget(&cadre);
    lvwConfigsSMTP_->setObjectName(QStringLiteral("lvwConfigsSMTP"));
    lvwConfigsSMTP_->setRootIsDecorated(false);
    lvwConfigsSMTP_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lvwConfigsSMTP_->setSelectionBehavior(QAbstractItemView::SelectRows);
    PlaceEnTwips(*lvwConfigsSMTP_, 120, 240, 5775, 2415);

    const FichierLangue& fichier = etat_.Langage.Fichier;
    struct Entete {
        const char* cle;
        const char* defaut;
        int largeur;
    };
    const Entete entetes[NombreColonnes] = {{"lblNom", "Nom", 1400},
                                            {"lblServeur", "Serveur", 1900},
                                            {"TXT_COL_SSL", "SSL", 700},
                                            {"lblAuthentification", "Authentification", 1450}};
    QStringList textes;
    for (const Entete& e : entetes) {
        // The dialog's captions, without their shortcut.
        textes << VersQt(fichier.TraduitTexte(e.cle, e.defaut)).remove(QLatin1Char('&'));
    }
    lvwConfigsSMTP_->setHeaderLabels(textes);
    int dessinees[NombreColonnes];
    for (int colonne = 0; colonne < NombreColonnes; ++colonne) {
        dessinees[colonne] = PixelsDepuisTwips(*lvwConfigsSMTP_, entetes[colonne].largeur);
    }
    DonneLargeurs(*lvwConfigsSMTP_, dessinees);

    tmrRetardateur_ = new QTimer(lvwConfigsSMTP_);
    tmrRetardateur_->setObjectName(QStringLiteral("tmrRetardateur"));
    tmrRetardateur_->setSingleShot(true);
    tmrRetardateur_->setInterval(kRetardGlissement);
}

void ListeSMTP::CreeBoutons(QGroupBox& cadre) {
    // 15 twips apart, so that no two touch; each group starts where designed.
    btnSMTPAjouter_ = Bouton(cadre, "btnSMTPAjouter", "&Ajouter...", 360);
    btnSMTPModifier_ = Bouton(cadre, "btnSMTPModifier", "&Modifier...", 750);
    btnSMTPSupprimer_ = Bouton(cadre, "btnSMTPSupprimer", "&Supprimer", 1140);
    btnSMTPMonter_ = Bouton(cadre, "btnSMTPMonter", "Mon&ter", 1800);
    btnSMTPDescendre_ = Bouton(cadre, "btnSMTPDescendre", "&Descendre", 2190);
}

void ListeSMTP::Connecte() {
    connect(btnSMTPAjouter_, &QPushButton::clicked, this, &ListeSMTP::btnSMTPAjouter_Click);
    connect(btnSMTPModifier_, &QPushButton::clicked, this, &ListeSMTP::btnSMTPModifier_Click);
    connect(btnSMTPSupprimer_, &QPushButton::clicked, this, &ListeSMTP::btnSMTPSupprimer_Click);
    connect(btnSMTPMonter_, &QPushButton::clicked, this, &ListeSMTP::btnSMTPMonter_Click);
    connect(btnSMTPDescendre_, &QPushButton::clicked, this, &ListeSMTP::btnSMTPDescendre_Click);
    // Any change of selection, by mouse or keyboard, decides the buttons.
    connect(lvwConfigsSMTP_, &QTreeWidget::itemSelectionChanged, this,
            &ListeSMTP::ActualiseBoutonsSMTP);
    connect(lvwConfigsSMTP_, &QTreeWidget::itemDoubleClicked, this,
            &ListeSMTP::lvwConfigsSMTP_DblClick);
    connect(tmrRetardateur_, &QTimer::timeout, this, &ListeSMTP::tmrRetardateur_Timer);
    lvwConfigsSMTP_->viewport()->installEventFilter(this);
}

void ListeSMTP::Remplit(const ListeConfigs& configs) {
    OublieGlissement();
    lvwConfigsSMTP_->clear();
    for (const clsConfigSMTP& config : configs) {
        AjouteLigne(config);
    }
    ActualiseBoutonsSMTP();
}

std::vector<std::string> ListeSMTP::Tags() const {
    std::vector<std::string> tags;
    for (int i = 0; i < lvwConfigsSMTP_->topLevelItemCount(); ++i) {
        tags.push_back(
            DepuisQt(lvwConfigsSMTP_->topLevelItem(i)->data(ColNom, Qt::UserRole).toString()));
    }
    return tags;
}

QTreeWidget& ListeSMTP::Liste() {
    return *lvwConfigsSMTP_;
}

std::string ListeSMTP::TexteAuthentification(std::int32_t mode) const {
    switch (mode) {
        case AuthPop3:
            return etat_.Langage.Texte("TXT_AUTHENTIFICATION_POP3");
        case AuthLogin:
            return etat_.Langage.Texte("TXT_AUTHENTIFICATION_LOGIN");
        case AuthPlain:
            return etat_.Langage.Texte("TXT_AUTHENTIFICATION_PLAIN");
        case AuthOAuth2:
            return etat_.Langage.Texte("TXT_AUTHENTIFICATION_OAUTH2");
        default:
            return etat_.Langage.Texte("TXT_AUTHENTIFICATION_AUCUNE");
    }
}

void ListeSMTP::AjouteLigne(const clsConfigSMTP& config) {
    auto* ligne = new QTreeWidgetItem(lvwConfigsSMTP_);
    EcritLigne(*ligne, config);
}

void ListeSMTP::EcritLigne(QTreeWidgetItem& ligne, const clsConfigSMTP& config) const {
    ligne.setText(ColNom, VersQt(config.Nom));
    ligne.setText(ColServeur, VersQt(config.Serveur));
    ligne.setText(ColSSL, VersQt(etat_.Langage.Texte(config.SSL ? "TXT_OUI" : "TXT_NON")));
    ligne.setText(ColAuthentification, VersQt(TexteAuthentification(config.Authentification)));
    ligne.setData(ColNom, Qt::UserRole, VersQt(config.Serialize()));
}

clsConfigSMTP ListeSMTP::LitLigne(const QTreeWidgetItem& ligne) {
    clsConfigSMTP config;
    // Every tag was written by Serialize: it reads back whole.
    (void)config.Deserialize(DepuisQt(ligne.data(ColNom, Qt::UserRole).toString()));
    return config;
}

clsConfigSMTP ListeSMTP::DepuisDialogue(const frmConfigurationSMTP& fenetre) {
    clsConfigSMTP config = fenetre.Lit();
    config.Password = ChiffreMotDePasse(config.Password);
    return config;
}

std::vector<bool> ListeSMTP::Selection() const {
    std::vector<bool> selection;
    for (int i = 0; i < lvwConfigsSMTP_->topLevelItemCount(); ++i) {
        selection.push_back(lvwConfigsSMTP_->topLevelItem(i)->isSelected());
    }
    return selection;
}

void ListeSMTP::ActualiseBoutonsSMTP() {
    const BoutonsListe etat = BoutonsSelon(Selection());
    btnSMTPModifier_->setEnabled(etat.modifier);
    btnSMTPSupprimer_->setEnabled(etat.supprimer);
    btnSMTPMonter_->setEnabled(etat.monter);
    btnSMTPDescendre_->setEnabled(etat.descendre);
}

void ListeSMTP::SelectionneSeule(QTreeWidgetItem* ligne) {
    lvwConfigsSMTP_->clearSelection();
    lvwConfigsSMTP_->setCurrentItem(ligne, 0, QItemSelectionModel::NoUpdate);
    ligne->setSelected(true);
}

void ListeSMTP::btnSMTPAjouter_Click() {
    clsConfigSMTP config;
    {
        frmConfigurationSMTP fenetre(etat_, dialogue_, valeurs_, auDessus_,
                                     lvwConfigsSMTP_->window());
        AfficheDialogue(fenetre);
        emit DialogueFerme();
        if (fenetre.DialogueAnnule) {
            return;
        }
        config = DepuisDialogue(fenetre);
    }
    AjouteLigne(config);
    SelectionneSeule(lvwConfigsSMTP_->topLevelItem(lvwConfigsSMTP_->topLevelItemCount() - 1));
    ActualiseBoutonsSMTP();
}

void ListeSMTP::btnSMTPModifier_Click() {
    const QList<QTreeWidgetItem*> selection = lvwConfigsSMTP_->selectedItems();
    if (selection.size() != 1) {
        return;  // one configuration at a time, as the button says
    }
    QTreeWidgetItem* ligne = selection.front();
    const clsConfigSMTP ancienne = LitLigne(*ligne);
    frmConfigurationSMTP fenetre(etat_, dialogue_, valeurs_, auDessus_, lvwConfigsSMTP_->window());
    fenetre.Remplit(ancienne, DechiffreMotDePasse(ancienne.Password));
    AfficheDialogue(fenetre);
    emit DialogueFerme();
    if (!fenetre.DialogueAnnule) {
        EcritLigne(*ligne, DepuisDialogue(fenetre));
    }
}

void ListeSMTP::lvwConfigsSMTP_DblClick() {
    if (btnSMTPModifier_->isEnabled()) {
        btnSMTPModifier_Click();
    }
}

}  // namespace corvelle::ui
