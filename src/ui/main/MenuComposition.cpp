// The menu of the small button beside each recipient field.

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>

#include "app/Programme.h"
#include "core/Chemins.h"
#include "ui/commun/TraductionFenetre.h"
#include "ui/main/FenetreComposition.h"
#include "ui/main/MenuDestinataires.h"
#include "ui/main/PopupMenu.h"

namespace corvelle::ui {

namespace {

constexpr int kFermeParEchap = -1;
constexpr int kFermeAilleurs = -2;

}  // namespace

void frmCorvelle::btnDestinataires_MouseDown(int index) {
    QApplication::processEvents();
    const int bouton = index + 1;
    // The press that closed this button's own menu must not open it again.
    if (boutonMemorise_ == bouton) {
        boutonMemorise_ = 0;
        return;
    }
    QPlainTextEdit& champ = *txtDestinataires_[index];
    QPushButton& controle = *btnDestinataires_[index];
    const std::string texte = DepuisQt(champ.toPlainText());
    const std::vector<ElementMenu> elements = ElementsMenu(
        etat_.Reglages, texte, etat_.Langage.Texte("TXT_POPUP_AJOUTER_FIC_DESTINATAIRES"),
        etat_.Langage.Texte("TXT_POPUP_EFFACER"));

    clsPopupMenu menu;
    for (const ElementMenu& element : elements) {
        const std::int32_t attribut =
            (element.coche ? kMenuCoche : 0) | (element.grise ? kMenuGrise : 0);
        menu.AddItem(element.identifiant, VersQt(element.texte), attribut);
    }
    boutonMemorise_ = bouton;
    controle.setDown(false);  // the menu takes the mouse: the button must not stay pressed
    const int choix = AfficheMenu(menu, controle);

    if (choix == kMenuAucunChoix) {
        if (menu.FermeParEchap()) {
            boutonMemorise_ = kFermeParEchap;
        } else if (menu.FermeSurControle()) {
            boutonMemorise_ = 0;  // that press was used up closing the menu: the next one opens it
        } else {
            boutonMemorise_ = kFermeAilleurs;
        }
        return;
    }
    if (choix == kMenuEffacer) {
        champ.clear();
    } else if (choix == kMenuAjouterFichier) {
        const QString chemin = ChoisitFichier(TexteCatalogue(etat_.Langage, "TXT_CHARGER_FICHIER"));
        if (!chemin.isEmpty()) {
            const std::string entree =
                "fic:" + CheminRelatif(DepuisQt(chemin), etat_.DossierCourant);
            champ.setPlainText(VersQt(AjouteEntree(texte, entree)));
        }
    } else {
        for (const ElementMenu& element : elements) {
            if (element.identifiant == choix) {
                champ.setPlainText(VersQt(AppliqueElement(element, texte)));
            }
        }
    }
    champ.setFocus();
    boutonMemorise_ = 0;
}

}  // namespace corvelle::ui
