// OK of the settings window once its checks pass: the file first, then the
// settings in memory, so that a file that cannot be written changes nothing.

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTreeWidget>

#include "app/Programme.h"
#include "config/ConfigSMTP.h"
#include "config/Parametres.h"
#include "config/Profil.h"
#include "core/Dialogue.h"
#include "core/Erreur.h"
#include "core/Texte.h"
#include "core/Version.h"
#include "i18n/Traduction.h"
#include "ui/commun/TraductionFenetre.h"
#include "ui/config/FenetreConfiguration.h"
#include "ui/config/ListeSMTP.h"
#include "ui/config/ReglesConfiguration.h"

namespace corvelle::ui {

namespace {

// A list with nothing chosen keeps the stored value.
template <typename Entier>
Entier Position(const QComboBox& liste, Entier stocke) {
    return liste.currentIndex() >= 0 ? static_cast<Entier>(liste.currentIndex()) : stocke;
}

}  // namespace

void frmConfiguration::Enregistre() {
    ListeConfigs liste;
    for (const std::string& tag : liste_->Tags()) {
        clsConfigSMTP config;
        (void)config.Deserialize(tag);  // rows only ever hold what Serialize wrote
        liste.push_back(std::move(config));
    }
    const std::string configs = TexteConfigsSMTP(liste);
    if (ConfigsSMTPTropLongues(configs)) {
        SelectionneOnglet(1);
        dialogue_.Affiche({FormateMessage(etat_.Langage.Texte("MSG_ERREUR_CONF_SMTP_LONGUEUR"),
                                          configs.size(), FichierProfil::kLongueurMaxValeur),
                           kTitreApplication, Icone::Exclamation, Boutons::Ok, Reponse::Ok});
        liste_->Liste().setFocus();
        return;
    }

    Parametres r = etat_.Reglages;
    r.ExpediteurParDefaut = DepuisQt(txtExpediteurParDefaut_->text());
    r.ReponseParDefaut = DepuisQt(txtReponseParDefaut_->text());
    r.FormatParDefaut = Position(*cboFormatParDefaut_, r.FormatParDefaut);
    r.EncodageParDefaut = DepuisQt(cboEncodageParDefaut_->currentText());
    if (cboImportanceParDefaut_->currentIndex() >= 0) {
        r.ImportanceParDefaut = cboImportanceParDefaut_->currentData().toInt();
    }
    r.SensibiliteParDefaut = Position(*cboSensibiliteParDefaut_, r.SensibiliteParDefaut);
    r.ARParDefaut = Position(*cboNotificationParDefaut_, r.ARParDefaut);
    r.GroupesParDefaut = DepuisQt(txtGroupesParDefaut_->text());
    r.DestinatairesParDefaut = DepuisQt(txtDestinatairesParDefaut_->text());
    r.FichierDestinatairesParDefaut = DepuisQt(txtFichiersDestinatairesParDefaut_->text());
    r.Suffixe = DepuisQt(txtSuffixe_->text());
    r.NbDest = EntierBorne(DepuisQt(txtNombreDestinataires_->text()), 0, 100).value_or(r.NbDest);
    r.TimeoutSMTP = static_cast<std::int16_t>(
        EntierBorne(DepuisQt(txtTimeoutSMTP_->text()), 1, 60).value_or(r.TimeoutSMTP));
    r.DureeAttente = EntierBorne(DepuisQt(txtDureeAttente_->text()), 0, kDureeAttenteMax)
                         .value_or(r.DureeAttente);
    r.RepartitionDestinataires = optRepartitionDestinataires_[0]->isChecked();
    r.UtiliserAD = chkUtiliserAD_->isChecked();
    r.AccesAD = static_cast<std::int16_t>(accesADChoisi_);
    r.AccesADDomaine = DepuisQt(txtAccesADDomaine_->text());
    r.AccesADLogin = DepuisQt(txtAccesADLogin_->text());
    r.AccesADPassword = DepuisQt(txtAccesADPassword_->text());
    const std::string langue = DepuisQt(cboLangue_->currentText());

    try {
        ModifieProfil(etat_.FichierConfiguration, [&](FichierProfil& profil) {
            profil.Ecrit(kSectionConfiguration, "Langue", langue);
            EnregistreConfigsSMTP(profil, configs);
            EcritParametres(profil, r);
            return true;
        });
    } catch (const ValeurRefusee& refus) {
        dialogue_.Affiche({TexteValeurRefusee(refus, etat_.Langage), kTitreApplication,
                           Icone::Exclamation, Boutons::Ok, Reponse::Ok});
        return;
    } catch (const Erreur& erreur) {
        dialogue_.Affiche(
            {erreur.Description(), kTitreApplication, Icone::Critique, Boutons::Ok, Reponse::Ok});
        return;
    }

    if (langue != etat_.Langage.LangueCourante) {
        // The new language applies from the next start.
        etat_.Langage.LangueCourante = langue;
        dialogue_.Affiche({etat_.Langage.Texte("MSG_CHANGEMENT_LANGUE"), kTitreApplication,
                           Icone::Exclamation, Boutons::Ok, Reponse::Ok});
        etat_.RedemarrageRequis = true;
    }
    const SaisieAnnuaire annuaire{r.UtiliserAD, r.AccesAD, r.AccesADDomaine, r.AccesADLogin,
                                  r.AccesADPassword};
    if (AnnuaireDemandeRedemarrage(annuaire, etat_.Reglages, etat_.ConfigurerAccesAD)) {
        etat_.RedemarrageRequis = true;
    }
    etat_.ListeConfigsSMTP = std::move(liste);
    etat_.Reglages = std::move(r);
    etat_.DialogueAnnule = false;
    accept();
}

}  // namespace corvelle::ui
