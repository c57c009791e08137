#include "ui/main/MenuDestinataires.h"

#include "config/Parametres.h"
#include "core/Listes.h"

namespace corvelle::ui {

namespace {

Liste EntreesChamp(std::string_view champ) {
    return DecoupeListe(Elague(champ));
}

void AjouteDefaut(std::vector<ElementMenu>& elements, int identifiant, const std::string& liste,
                  std::string_view prefixe, const Liste& champ) {
    if (liste.empty()) {
        return;
    }
    Liste entrees = DecoupeListe(liste);
    if (!prefixe.empty()) {
        for (std::string& entree : entrees) {
            entree.insert(0, prefixe);
        }
    }
    if (entrees.empty()) {
        return;  // only commas and spaces: nothing to insert
    }
    ElementMenu element;
    element.identifiant = identifiant;
    element.texte = Joint(entrees, ", ");
    element.coche = EstInclus(entrees, champ, Comparaison::Texte);
    element.entrees = std::move(entrees);
    elements.push_back(std::move(element));
}

}  // namespace

std::vector<ElementMenu> ElementsMenu(const Parametres& reglages, std::string_view champ,
                                      const std::string& ajouterFichier,
                                      const std::string& effacer) {
    const Liste entreesChamp = EntreesChamp(champ);
    std::vector<ElementMenu> elements;
    AjouteDefaut(elements, kMenuDestinatairesDefaut, reglages.DestinatairesParDefaut, "",
                 entreesChamp);
    if (reglages.UtiliserAD) {
        AjouteDefaut(elements, kMenuGroupesDefaut, reglages.GroupesParDefaut, "grp:", entreesChamp);
    }
    AjouteDefaut(elements, kMenuFichiersDefaut, reglages.FichierDestinatairesParDefaut,
                 "fic:", entreesChamp);
    if (!elements.empty()) {
        elements.push_back({kMenuAucunChoix, "-", {}, false, false});
    }
    elements.push_back({kMenuAjouterFichier, ajouterFichier, {}, false, false});
    elements.push_back({kMenuEffacer, effacer, {}, false, Elague(champ).empty()});
    return elements;
}

std::string AppliqueElement(const ElementMenu& element, std::string_view champ) {
    const Liste entrees = EntreesChamp(champ);
    if (element.coche) {
        return Joint(RetireListe(entrees, element.entrees), ", ");
    }
    return Joint(ConcateneListes(entrees, element.entrees), ", ");
}

std::string AjouteEntree(std::string_view champ, const std::string& entree) {
    Liste entrees = EntreesChamp(champ);
    entrees.push_back(entree);
    return Joint(entrees, ", ");
}

}  // namespace corvelle::ui
