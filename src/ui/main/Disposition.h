#pragma once

// Where every control of the compose window goes, in twips, apart from any
// widget: the label columns sized to their captions, the moves and stretches
// of a resize, and the growing recipient fields.

#include <array>
#include <cstddef>

namespace corvelle::ui {

struct Rectangle {
    int gauche = 0;
    int haut = 0;
    int largeur = 0;
    int hauteur = 0;

    [[nodiscard]] int Droite() const { return gauche + largeur; }
    [[nodiscard]] int Bas() const { return haut + hauteur; }
};

// Controls placed by the layout; those from lblFormat to cboConfigSMTP are
// relative to fraOptions.
enum class Controle : std::size_t {
    lblExpediteur,
    txtExpediteur,
    lblReponse,
    txtReponse,
    lblReponseInfo,
    lblDestinataires0,
    lblDestinataires1,
    lblDestinataires2,
    txtDestinataires0,
    txtDestinataires1,
    txtDestinataires2,
    btnDestinataires0,
    btnDestinataires1,
    btnDestinataires2,
    lblObjetMessage,
    txtObjetMessage,
    lblCorpsMessage,
    txtCorpsMessage,
    lblFichiersJoints,
    lstFichiersJoints,
    btnAjouter,
    btnSupprimer,
    fraOptions,
    lblFormat,
    cboFormat,
    lblImportance,
    cboImportance,
    lblNotification,
    cboNotification,
    lblEncodage,
    cboEncodage,
    lblSensibilite,
    cboSensibilite,
    lblConfigSMTP,
    cboConfigSMTP,
    btnRaz,
    imgPar,
    btnEnvoyer,
    btnQuitter,
    Nombre
};

[[nodiscard]] Controle LabelDestinataires(int index);
[[nodiscard]] Controle ChampDestinataires(int index);
[[nodiscard]] Controle BoutonDestinataires(int index);

// Widths of the translated captions, in twips, measured in the labels' font.
struct LargeursLegendes {
    std::array<int, 10> groupeA{};  // the ten labels of the left column, any order
    int reponseInfo = 0;
    std::array<int, 3> groupeB{};  // lblFormat, lblImportance, lblNotification
    std::array<int, 3> groupeC{};  // lblEncodage, lblSensibilite, lblConfigSMTP
    int ajouter = 0;
    int supprimer = 0;
    int notification = 0;  // what the longest entry of cboNotification needs
};

inline constexpr int kLargeurClientDessinee = 7575;
inline constexpr int kHauteurClientDessinee = 6975;
// Smallest outer size of the window.
inline constexpr int kLargeurMinimale = 7700;
inline constexpr int kHauteurMinimale = 7425;
inline constexpr int kHauteurMaxDestinataires = 680;

class Disposition {
  public:
    Disposition();  // the designed geometry

    [[nodiscard]] const Rectangle& operator[](Controle c) const {
        return rectangles_[static_cast<std::size_t>(c)];
    }

    // Once, after the captions are translated.
    void AjusteColonnes(const LargeursLegendes& largeurs);

    // The SMTP configuration row shows only with two configurations or more;
    // where the Notification list leaves it no room, it takes a row of its own.
    void MontreConfigSMTP(bool visible) { configSMTP_ = visible; }

    // Moves and stretches the controls for a client area of this size. The
    // recipient heights are then set by AjusteHauteurDestinataires.
    void Redimensionne(int largeurClient, int hauteurClient);

    // Width in which a recipient field's text wraps when measured.
    [[nodiscard]] int LargeurMesureDestinataires() const;

    // One recipient field takes the height of its wrapped text (capped) and
    // the rows below it move.
    void AjusteHauteurDestinataires(int index, int hauteurTexte);

  private:
    Rectangle& R(Controle c) { return rectangles_[static_cast<std::size_t>(c)]; }

    std::array<Rectangle, static_cast<std::size_t>(Controle::Nombre)> rectangles_;
    bool configSMTP_ = false;
};

}  // namespace corvelle::ui
