// The compose window's controls and menus as designed, before translation.

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>

#include "ui/commun/Icone.h"
#include "ui/commun/TraductionFenetre.h"
#include "ui/main/FenetreComposition.h"

namespace corvelle::ui {

namespace {

using C = Controle;

QLabel* Label(QWidget* parent, const QString& nom, const QString& texte, int index = -1) {
    return Nomme(new QLabel(texte, parent), nom, index);
}

QPushButton* Bouton(QWidget* parent, const QString& nom, const QString& texte, int index = -1) {
    return Nomme(new QPushButton(texte, parent), nom, index);
}

QComboBox* Liste(QWidget* parent, const QString& nom) {
    return Nomme(new QComboBox(parent), nom);
}

QPlainTextEdit* ZoneTexte(QWidget* parent, const QString& nom, int index = -1) {
    auto* zone = Nomme(new QPlainTextEdit(parent), nom, index);
    zone->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    zone->setTabChangesFocus(true);
    return zone;
}

QAction* Entree(QMenu* menu, const QString& nom, const QString& texte) {
    return Nomme(menu->addAction(texte), nom);
}

QAction* Coche(QMenu* menu, const QString& nom, const QString& texte) {
    QAction* action = Entree(menu, nom, texte);
    action->setCheckable(true);
    return action;
}

}  // namespace

void frmCorvelle::CreeControles() {
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);
    auto place = [this](C controle, QWidget* widget) {
        widgets_[static_cast<std::size_t>(controle)] = widget;
    };

    place(C::lblExpediteur, Label(client, QStringLiteral("lblExpéditeur"), "E&xpéditeur"));
    place(C::txtExpediteur,
          txtExpediteur_ = Nomme(new QLineEdit(client), QStringLiteral("txtExpéditeur")));
    place(C::lblReponse, Label(client, QStringLiteral("lblRéponse"), "&Répondre à"));
    place(C::txtReponse, txtReponse_ = Nomme(new QLineEdit(client), QStringLiteral("txtRéponse")));
    place(C::lblReponseInfo, Label(client, QStringLiteral("lblRéponseInfo"),
                                   "Laisser vide si identique à l'expéditeur"));
    const QString legendes[3] = {"&À", "&Copie (Cc)", "Copie cac&hée (Cci)"};
    for (int i = 0; i < 3; ++i) {
        place(LabelDestinataires(i),
              Label(client, QStringLiteral("lblDestinataires"), legendes[i], i));
        txtDestinataires_[i] = ZoneTexte(client, QStringLiteral("txtDestinataires"), i);
        // One line with a squeezed bar looks like a spin box: a bar only past the cap.
        txtDestinataires_[i]->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        place(ChampDestinataires(i), txtDestinataires_[i]);
        btnDestinataires_[i] =
            Bouton(client, QStringLiteral("btnDestinataires"), QStringLiteral("▼"), i);
        place(BoutonDestinataires(i), btnDestinataires_[i]);
    }
    place(C::lblObjetMessage,
          Label(client, QStringLiteral("lblObjetMessage"), "Ob&jet du message"));
    place(C::txtObjetMessage,
          txtObjetMessage_ = Nomme(new QLineEdit(client), QStringLiteral("txtObjetMessage")));
    place(C::lblCorpsMessage,
          Label(client, QStringLiteral("lblCorpsMessage"), "Cor&ps du message"));
    place(C::txtCorpsMessage,
          txtCorpsMessage_ = ZoneTexte(client, QStringLiteral("txtCorpsMessage")));
    place(C::lblFichiersJoints,
          Label(client, QStringLiteral("lblFichiersJoints"), "Pièce(s) join&te(s)"));
    place(C::lstFichiersJoints,
          lstFichiersJoints_ = Nomme(new QListWidget(client), QStringLiteral("lstFichiersJoints")));
    place(C::btnAjouter, btnAjouter_ = Bouton(client, QStringLiteral("btnAjouter"), "&Ajouter..."));
    place(C::btnSupprimer,
          btnSupprimer_ = Bouton(client, QStringLiteral("btnSupprimer"), "&Supprimer"));
    btnSupprimer_->setEnabled(false);

    fraOptions_ =
        Nomme(new QGroupBox(QStringLiteral("Options"), client), QStringLiteral("fraOptions"));
    place(C::fraOptions, fraOptions_);
    place(C::lblFormat, Label(fraOptions_, QStringLiteral("lblFormat"), "For&mat"));
    place(C::cboFormat, cboFormat_ = Liste(fraOptions_, QStringLiteral("cboFormat")));
    place(C::lblImportance, Label(fraOptions_, QStringLiteral("lblImportance"), "&Importance"));
    place(C::cboImportance, cboImportance_ = Liste(fraOptions_, QStringLiteral("cboImportance")));
    place(C::lblNotification,
          Label(fraOptions_, QStringLiteral("lblNotification"), "&Notification"));
    place(C::cboNotification,
          cboNotification_ = Liste(fraOptions_, QStringLiteral("cboNotification")));
    place(C::lblEncodage, Label(fraOptions_, QStringLiteral("lblEncodage"), "Enco&dage"));
    place(C::cboEncodage, cboEncodage_ = Liste(fraOptions_, QStringLiteral("cboEncodage")));
    cboEncodage_->setEditable(true);
    cboEncodage_->setInsertPolicy(QComboBox::NoInsert);
    place(C::lblSensibilite, Label(fraOptions_, QStringLiteral("lblSensibilité"), "Sensi&bilité"));
    place(C::cboSensibilite,
          cboSensibilite_ = Liste(fraOptions_, QStringLiteral("cboSensibilité")));
    lblConfigSMTP_ = Label(fraOptions_, QStringLiteral("lblConfigSMTP"), "Confi&g. SMTP");
    place(C::lblConfigSMTP, lblConfigSMTP_);
    place(C::cboConfigSMTP, cboConfigSMTP_ = Liste(fraOptions_, QStringLiteral("cboConfigSMTP")));

    place(C::btnRaz, btnRaz_ = Bouton(client, QStringLiteral("btnRaz"), "RA&Z"));
    auto* image = Label(client, QStringLiteral("imgPar"), QString());
    image->setPixmap(BandeauProgramme(207, 31));
    image->setAlignment(Qt::AlignCenter);
    place(C::imgPar, image);
    place(C::btnEnvoyer, btnEnvoyer_ = Bouton(client, QStringLiteral("btnEnvoyer"), "&Envoyer"));
    place(C::btnQuitter, btnQuitter_ = Bouton(client, QStringLiteral("btnQuitter"), "&Quitter"));
    btnEnvoyer_->setDefault(false);
    btnEnvoyer_->setAutoDefault(false);

    lblTextSize_ = Label(client, QStringLiteral("lblTextSize"), QString());
    lblTextSize_->setWordWrap(true);
    lblTextSize_->hide();
}

void frmCorvelle::CreeMenus() {
    QMenuBar* barre = menuBar();
    QMenu* fichier = Nomme(barre->addMenu("&Fichier"), QStringLiteral("mnuFichier"));
    QAction* quitter = Entree(fichier, QStringLiteral("mnuFichierQuitter"), "&Quitter");
    quitter->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(quitter, &QAction::triggered, this, &QWidget::close);

    QMenu* options = Nomme(barre->addMenu("&Options"), QStringLiteral("mnuOptions"));
    mnuOptionsMemoriserPosition_ = Coche(options, QStringLiteral("mnuOptionsMémoriserPosition"),
                                         "Mémoriser la &position de la fenêtre");
    mnuOptionsMemoriserTaille_ = Coche(options, QStringLiteral("mnuOptionsMémoriserTaille"),
                                       "Mémoriser la &taille de la fenêtre");
    Nomme(options->addSeparator(), QStringLiteral("mnuOptionsSep1"));
    mnuOptionsMinimiserSystray_ =
        Coche(options, QStringLiteral("mnuOptionsMinimiserSystray"), "Minimiser dans la &systray");
    mnuOptionsToujoursAuDessus_ =
        Coche(options, QStringLiteral("mnuOptionsToujoursAuDessus"), "Fenêtre toujours au &dessus");
    Nomme(options->addSeparator(), QStringLiteral("mnuOptionsSep2"));
    QAction* configuration =
        Entree(options, QStringLiteral("mnuOptionsConfiguration"), "Con&figuration...");
    configuration->setShortcut(QKeySequence(Qt::Key_F9));
    connect(configuration, &QAction::triggered, this, &frmCorvelle::mnuOptionsConfiguration_Click);
    Nomme(options->addSeparator(), QStringLiteral("mnuOptionsSep3"));
    // Information only: what waits to go, and why it has not gone.
    mnuOptionsFileAttente_ =
        Entree(options, QStringLiteral("mnuOptionsFileAttente"), "File d'attente");
    mnuOptionsFileAttente_->setEnabled(false);
    connect(options, &QMenu::aboutToShow, this, &frmCorvelle::mnuOptions_AboutToShow);
    for (QAction* coche : {mnuOptionsMemoriserPosition_, mnuOptionsMemoriserTaille_,
                           mnuOptionsMinimiserSystray_, mnuOptionsToujoursAuDessus_}) {
        connect(coche, &QAction::triggered, this, [this, coche] { BasculeOption(*coche); });
    }

    QMenu* aide = Nomme(barre->addMenu("&?"), QStringLiteral("mnuAide"));
    QAction* aPropos = Entree(aide, QStringLiteral("mnuAideAProposDe"), "&A propos de...");
    aPropos->setShortcut(QKeySequence(Qt::Key_F1));
    connect(aPropos, &QAction::triggered, this, &frmCorvelle::mnuAideAProposDe_Click);

    // The tray icon's menu: never in the menu bar.
    mnuSystray_ = Nomme(new QMenu(QStringLiteral("Systray"), this), QStringLiteral("mnuSystray"));
    Entree(mnuSystray_, QStringLiteral("mnuSystrayAnnuler"), "A&nnuler");
    Nomme(mnuSystray_->addSeparator(), QStringLiteral("mnuSystraySep1"));
    QAction* restaurer = Entree(mnuSystray_, QStringLiteral("mnuSystrayRestaurer"), "&Restaurer");
    mnuSystray_->setDefaultAction(restaurer);
    connect(restaurer, &QAction::triggered, this, &frmCorvelle::mnuSystrayRestaurer_Click);
}

void frmCorvelle::OrdreTabulation() {
    std::vector<QWidget*> ordre{txtExpediteur_, txtReponse_};
    for (int i = 0; i < 3; ++i) {
        ordre.push_back(txtDestinataires_[i]);
        ordre.push_back(btnDestinataires_[i]);
    }
    for (QWidget* w : std::initializer_list<QWidget*>{
             txtObjetMessage_, txtCorpsMessage_, lstFichiersJoints_, btnAjouter_, btnSupprimer_,
             cboFormat_, cboEncodage_, cboImportance_, cboSensibilite_, cboNotification_,
             cboConfigSMTP_, btnRaz_, btnEnvoyer_, btnQuitter_}) {
        ordre.push_back(w);
    }
    for (std::size_t i = 1; i < ordre.size(); ++i) {
        setTabOrder(ordre[i - 1], ordre[i]);
    }
}

}  // namespace corvelle::ui
