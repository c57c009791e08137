#include "ui/main/Disposition.h"

#include <algorithm>
#include <cmath>

namespace corvelle::ui {

namespace {

using C = Controle;

constexpr int kMarge = 120;
constexpr int kEcartLignes = 75;
constexpr int kDecalageLabel = 45;  // a label sits a little lower than its field
constexpr int kHauteurOptions = 1470;
constexpr int kHautConfigSMTP = 1005;
constexpr int kLigneOptions = 390;  // from one row of the options to the next

template <std::size_t N>
int PlusGrand(const std::array<int, N>& valeurs) {
    return *std::max_element(valeurs.begin(), valeurs.end());
}

}  // namespace

Controle LabelDestinataires(int index) {
    return static_cast<C>(static_cast<int>(C::lblDestinataires0) + index);
}
Controle ChampDestinataires(int index) {
    return static_cast<C>(static_cast<int>(C::txtDestinataires0) + index);
}
Controle BoutonDestinataires(int index) {
    return static_cast<C>(static_cast<int>(C::btnDestinataires0) + index);
}

Disposition::Disposition() {
    R(C::lblExpediteur) = {120, 165, 1335, 255};
    R(C::txtExpediteur) = {1560, 120, 5415, 285};
    R(C::lblReponse) = {120, 525, 1335, 255};
    R(C::txtReponse) = {1560, 480, 2415, 285};
    R(C::lblReponseInfo) = {4095, 525, 2895, 255};
    for (int i = 0; i < 3; ++i) {
        const int haut = 840 + 360 * i;
        R(LabelDestinataires(i)) = {120, haut + kDecalageLabel, 1335, 255};
        R(ChampDestinataires(i)) = {1560, haut, 5055, 285};
        R(BoutonDestinataires(i)) = {6720, haut, 255, 285};
    }
    R(C::lblObjetMessage) = {120, 1965, 1335, 255};
    R(C::txtObjetMessage) = {1560, 1920, 5415, 285};
    R(C::lblCorpsMessage) = {120, 2325, 1335, 255};
    R(C::txtCorpsMessage) = {1560, 2280, 5415, 1725};
    R(C::lblFichiersJoints) = {120, 4110, 1335, 255};
    R(C::lstFichiersJoints) = {1560, 4080, 4335, 645};
    R(C::btnAjouter) = {6000, 4080, 975, 295};
    R(C::btnSupprimer) = {6000, 4395, 975, 295};
    R(C::fraOptions) = {120, 4800, 7335, kHauteurOptions};
    R(C::lblFormat) = {120, 300, 975, 255};
    R(C::cboFormat) = {1230, 240, 2055, 315};
    R(C::lblImportance) = {120, 675, 975, 255};
    R(C::cboImportance) = {1230, 615, 2055, 315};
    R(C::lblNotification) = {120, 1065, 975, 255};
    R(C::cboNotification) = {1230, 1005, 2655, 315};
    R(C::lblEncodage) = {4110, 300, 855, 255};
    R(C::cboEncodage) = {5070, 240, 2055, 315};
    R(C::lblSensibilite) = {3840, 675, 1095, 255};
    R(C::cboSensibilite) = {5070, 615, 2055, 315};
    R(C::lblConfigSMTP) = {3840, kHautConfigSMTP + 60, 1095, 255};
    R(C::cboConfigSMTP) = {5070, kHautConfigSMTP, 2055, 315};
    R(C::btnRaz) = {120, 6480, 1095, 375};
    R(C::imgPar) = {1410, 6450, 3105, 465};
    R(C::btnEnvoyer) = {5160, 6480, 1095, 375};
    R(C::btnQuitter) = {6360, 6480, 1095, 375};
}

void Disposition::AjusteColonnes(const LargeursLegendes& largeurs) {
    const int colonneA = PlusGrand(largeurs.groupeA);
    for (C label : {C::lblExpediteur, C::lblReponse, C::lblDestinataires0, C::lblDestinataires1,
                    C::lblDestinataires2, C::lblObjetMessage, C::lblCorpsMessage, C::lblFormat,
                    C::lblFichiersJoints, C::lblNotification}) {
        R(label).largeur = colonneA;
    }
    const int gaucheChamps = R(C::lblExpediteur).Droite() + kMarge;
    for (C champ : {C::txtExpediteur, C::txtReponse, C::txtDestinataires0, C::txtDestinataires1,
                    C::txtDestinataires2, C::txtObjetMessage, C::txtCorpsMessage,
                    C::lstFichiersJoints, C::cboFormat, C::cboNotification}) {
        R(champ).gauche = gaucheChamps;
    }
    R(C::lblReponseInfo).largeur = largeurs.reponseInfo;

    const int colonneB = PlusGrand(largeurs.groupeB);
    for (C label : {C::lblFormat, C::lblImportance, C::lblNotification}) {
        R(label).largeur = colonneB;
    }
    const int gaucheListes = R(C::lblFormat).Droite() + kMarge;
    for (C liste : {C::cboFormat, C::cboImportance, C::cboNotification}) {
        R(liste).gauche = gaucheListes;
    }
    R(C::cboNotification).largeur = std::max(R(C::cboNotification).largeur, largeurs.notification);

    const int colonneC = PlusGrand(largeurs.groupeC);
    for (C label : {C::lblEncodage, C::lblSensibilite, C::lblConfigSMTP}) {
        R(label).largeur = colonneC;
    }

    const int boutons = std::max(largeurs.ajouter, largeurs.supprimer) + 180;
    R(C::btnAjouter).largeur = boutons;
    R(C::btnSupprimer).largeur = boutons;
}

void Disposition::Redimensionne(int largeurClient, int hauteurClient) {
    // Bottom row.
    Rectangle& raz = R(C::btnRaz);
    Rectangle& quitter = R(C::btnQuitter);
    Rectangle& envoyer = R(C::btnEnvoyer);
    raz.haut = hauteurClient - kMarge - raz.hauteur;
    quitter.haut = raz.haut;
    quitter.gauche = largeurClient - kMarge - quitter.largeur;
    envoyer.haut = raz.haut;
    envoyer.gauche = quitter.gauche - kMarge - envoyer.largeur;
    Rectangle& image = R(C::imgPar);
    image.gauche = raz.Droite() + (envoyer.gauche - raz.Droite() - image.largeur) / 2;
    image.haut = raz.haut - 30;

    Rectangle& options = R(C::fraOptions);
    options.largeur = largeurClient - 2 * kMarge;
    // Right-hand column of the options, aligned on the frame's right edge.
    const int gaucheDroite = options.largeur - kMarge - R(C::cboEncodage).largeur;
    for (auto [label, liste] : {std::pair{C::lblEncodage, C::cboEncodage},
                                std::pair{C::lblSensibilite, C::cboSensibilite},
                                std::pair{C::lblConfigSMTP, C::cboConfigSMTP}}) {
        R(liste).gauche = gaucheDroite;
        R(label).gauche = gaucheDroite - R(label).largeur - kMarge;
    }
    const bool ligneAPart =
        configSMTP_ && R(C::cboNotification).Droite() + kMarge / 2 > R(C::lblConfigSMTP).gauche;
    const int hautConfig = kHautConfigSMTP + (ligneAPart ? kLigneOptions : 0);
    R(C::cboConfigSMTP).haut = hautConfig;
    R(C::lblConfigSMTP).haut = hautConfig + 60;
    options.hauteur = kHauteurOptions + (ligneAPart ? kLigneOptions : 0);
    options.haut = raz.haut - kMarge - options.hauteur;

    // Attachments take 30 % of what lies between the body's top and the options.
    Rectangle& corps = R(C::txtCorpsMessage);
    Rectangle& fichiers = R(C::lstFichiersJoints);
    fichiers.hauteur = static_cast<int>(std::lround((options.haut - 60 - corps.haut) * 0.3));
    fichiers.haut = options.haut - 60 - fichiers.hauteur;
    R(C::lblFichiersJoints).haut = fichiers.haut + 40;
    Rectangle& ajouter = R(C::btnAjouter);
    Rectangle& supprimer = R(C::btnSupprimer);
    ajouter.gauche = largeurClient - kMarge - ajouter.largeur;
    ajouter.haut = fichiers.haut;
    supprimer.gauche = ajouter.gauche;
    supprimer.haut = ajouter.Bas() + 30;
    fichiers.largeur = ajouter.gauche - kMarge - fichiers.gauche;

    corps.hauteur = fichiers.haut - kEcartLignes - corps.haut;
    corps.largeur = largeurClient - kMarge - corps.gauche;
    Rectangle& expediteur = R(C::txtExpediteur);
    expediteur.largeur = largeurClient - expediteur.gauche - kMarge;
    Rectangle& info = R(C::lblReponseInfo);
    info.gauche = largeurClient - info.largeur - kMarge;
    Rectangle& reponse = R(C::txtReponse);
    reponse.largeur = info.gauche - kMarge - reponse.gauche;
    R(C::txtObjetMessage).largeur = corps.largeur;

    const int gaucheBoutons = largeurClient - kMarge - R(C::btnDestinataires0).largeur;
    const int largeurChamps = gaucheBoutons - 90 - R(C::txtDestinataires0).gauche;
    for (int i = 0; i < 3; ++i) {
        R(BoutonDestinataires(i)).gauche = gaucheBoutons;
        R(ChampDestinataires(i)).largeur = largeurChamps;
    }
}

int Disposition::LargeurMesureDestinataires() const {
    return (*this)[C::txtDestinataires0].largeur - 330;
}

void Disposition::AjusteHauteurDestinataires(int index, int hauteurTexte) {
    R(ChampDestinataires(index)).hauteur = std::min(hauteurTexte + 30, kHauteurMaxDestinataires);
    for (int j = index + 1; j < 3; ++j) {
        const Rectangle& precedent = R(ChampDestinataires(j - 1));
        Rectangle& champ = R(ChampDestinataires(j));
        champ.haut = precedent.Bas() + kEcartLignes;
        R(LabelDestinataires(j)).haut = champ.haut + kDecalageLabel;
        R(BoutonDestinataires(j)).haut = champ.haut;
    }
    Rectangle& objet = R(C::txtObjetMessage);
    Rectangle& corps = R(C::txtCorpsMessage);
    objet.haut = R(C::txtDestinataires2).Bas() + kEcartLignes;
    corps.haut = objet.Bas() + kEcartLignes;
    corps.hauteur = R(C::lstFichiersJoints).haut - kEcartLignes - corps.haut;
    R(C::lblObjetMessage).haut = objet.haut + kDecalageLabel;
    R(C::lblCorpsMessage).haut = corps.haut + kDecalageLabel;
}

}  // namespace corvelle::ui
