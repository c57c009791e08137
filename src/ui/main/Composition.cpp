#include "ui/main/Composition.h"

#include "core/Chemins.h"
#include "core/Listes.h"
#include "core/Texte.h"

namespace corvelle::ui {

std::optional<Refus> VerifieFormulaire(const Formulaire& formulaire) {
    if (!AdresseVraisemblable(Elague(formulaire.expediteur))) {
        return Refus{ChampRefuse::Expediteur, "MSG_ERREUR_EXPEDITEUR"};
    }
    const auto& d = formulaire.destinataires;
    if (d[0].empty() && d[1].empty() && d[2].empty()) {
        return Refus{ChampRefuse::Destinataires, "MSG_ERREUR_DESTINATAIRE"};
    }
    if (formulaire.objet.empty()) {
        return Refus{ChampRefuse::Objet, "MSG_ERREUR_OBJET"};
    }
    if (formulaire.corps.empty()) {
        return Refus{ChampRefuse::Corps, "MSG_ERREUR_CORPS"};
    }
    return std::nullopt;
}

std::string NormaliseDestinataires(std::string_view champ) {
    // A lone LF (what a Qt text box holds) is a line break too.
    std::string texte = Remplace(std::string(champ), "\r\n", ",");
    texte = Remplace(std::move(texte), "\n", ",");
    texte = Remplace(std::move(texte), "\r", ",");
    return JointCollection(VersCollection(DecoupeListe(texte)), ", ");
}

Demande DemandeDepuisFormulaire(const Formulaire& formulaire, Demande demande) {
    demande.expediteur = formulaire.expediteur;
    demande.reponse = formulaire.reponse;
    demande.destinataires = formulaire.destinataires[0];
    demande.copie = formulaire.destinataires[1];
    demande.copieCachee = formulaire.destinataires[2];
    demande.objet = formulaire.objet;
    demande.corpsTexte = formulaire.format <= 1 ? formulaire.corps : std::string();
    demande.corpsHTML = formulaire.format >= 1 ? formulaire.corps : std::string();
    demande.encodage = formulaire.encodage;
    demande.notification = formulaire.notification;
    demande.importance = formulaire.importance;
    demande.sensibilite = formulaire.sensibilite;
    for (const std::string& ligne : formulaire.piecesJointes) {
        demande.piecesJointes.push_back(CheminAbsolu(ligne, demande.dossierCourant));
    }
    return demande;
}

}  // namespace corvelle::ui
