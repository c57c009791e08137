#include "app/GestionSMTP.h"

#include <algorithm>
#include <iostream>
#include <map>

#include "app/CodesSortie.h"
#include "app/Demarrage.h"
#include "app/Gestion.h"
#include "app/Programme.h"
#include "config/MotDePasse.h"
#include "config/Profil.h"
#include "config/VerificationsSMTP.h"
#include "core/Erreur.h"
#include "core/Texte.h"
#include "i18n/Langue.h"
#include "i18n/Traduction.h"
#include "sending/EssaiSMTP.h"
#include "sending/Serveur.h"

namespace corvelle {

namespace {

using Operation = OperationSMTP;

const std::map<std::string, ActionSMTP, std::less<>> kActions = {
    {"list", ActionSMTP::Liste},        {"add", ActionSMTP::Ajoute},
    {"set", ActionSMTP::Modifie},       {"remove", ActionSMTP::Supprime},
    {"default", ActionSMTP::ParDefaut}, {"test", ActionSMTP::Essai}};

const std::map<std::string, std::int32_t, std::less<>> kAuthentifications = {
    {"none", AuthAucune},
    {"pop", AuthPop3},
    {"login", AuthLogin},
    {"plain", AuthPlain},
    {"oauth2", AuthOAuth2}};

std::string Usage(const Langue& langue) {
    return langue.Texte("MSG_GESTION_USAGE_SMTP");
}

// Every value given, whatever the option: a line break or another control
// character would break the stored list or the settings file, end a command
// sent to the server, or cut a password short at a NUL.
std::optional<Echec> SansControle(const std::string& option, const std::string& valeur,
                                  const Langue& langue) {
    if (std::any_of(valeur.begin(), valeur.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; })) {
        return Refus(FormateMessage(langue.Texte("MSG_GESTION_CONTROLE"), option));
    }
    return std::nullopt;
}

// Reads the options of one action into the operation.
class Analyse {
  public:
    Analyse(const Langue& langue, Operation& op) : langue_(langue), op_(op) {}

    std::optional<Echec> Option(const std::vector<std::string>& a, std::size_t& i) {
        const std::string& nom = a[i];
        const bool edition = op_.action == ActionSMTP::Ajoute || op_.action == ActionSMTP::Modifie;
        const bool essai = op_.action == ActionSMTP::Essai;
        if (edition && (nom == "--ssl" || nom == "--no-ssl")) {
            return Drapeau(nom, op_.ssl.has_value(), [&] { op_.ssl = nom == "--ssl"; });
        }
        if (edition && nom == "--password-stdin") {
            return Drapeau(nom, op_.motDePasseStdin, [&] { op_.motDePasseStdin = true; });
        }
        std::optional<std::string>* cible = nullptr;
        if (edition) {
            cible = nom == "--server"             ? &op_.serveur
                    : nom == "--port"             ? &op_.port
                    : nom == "--user"             ? &op_.utilisateur
                    : nom == "--pop-server"       ? &op_.serveurPop
                    : nom == "--password-command" ? &op_.commandeMotDePasse
                    : nom == "--oauth-token-url" || nom == "--oauth-tenant" ? &op_.urlJeton
                    : nom == "--oauth-client-id"                            ? &op_.clientOAuth
                    : nom == "--oauth-scope"                                ? &op_.porteeOAuth
                    : nom == "--oauth-token-command"                        ? &op_.commandeJeton
                                                                            : nullptr;
        } else if (essai) {
            cible = nom == "--from" ? &op_.expediteur : nom == "--to" ? &op_.destinataire : nullptr;
        }
        const bool auth = edition && nom == "--auth";
        if (!cible && !auth) {
            return Refus(
                FormateMessage(langue_.Texte("MSG_GESTION_OPTION_INCONNUE"), nom, Usage(langue_)));
        }
        if (i + 1 >= a.size()) {
            return Refus(FormateMessage(langue_.Texte("MSG_GESTION_OPTION_VALEUR"), nom));
        }
        const std::string& valeur = a[++i];
        if (std::optional<Echec> refus = SansControle(nom, valeur, langue_)) {
            return refus;
        }
        if (auth) {
            return Authentification(nom, valeur);
        }
        if (nom == "--oauth-token-url" || nom == "--oauth-tenant") {
            return AdresseJeton(nom, valeur);
        }
        return Drapeau(nom, cible->has_value(), [&] { *cible = valeur; });
    }

  private:
    template <typename Pose>
    std::optional<Echec> Drapeau(const std::string& nom, bool dejaDonnee, Pose pose) {
        if (dejaDonnee) {
            return Refus(FormateMessage(langue_.Texte("MSG_GESTION_OPTION_DOUBLE"), nom));
        }
        pose();
        return std::nullopt;
    }

    std::optional<Echec> Authentification(const std::string& nom, const std::string& valeur) {
        const auto trouvee = kAuthentifications.find(Minuscules(valeur));
        if (trouvee == kAuthentifications.end()) {
            return Refus(FormateMessage(langue_.Texte("MSG_GESTION_AUTH"), valeur));
        }
        return Drapeau(nom, op_.authentification.has_value(),
                       [&] { op_.authentification = trouvee->second; });
    }

    // One endpoint, given either way: an https URL, or a tenant that the
    // program turns into Microsoft's URL.
    std::optional<Echec> AdresseJeton(const std::string& nom, const std::string& valeur) {
        const bool url = nom == "--oauth-token-url";
        if (UrlOuTenantValide(valeur) && url == EstUrlJeton(valeur)) {
            return Drapeau("--oauth-token-url | --oauth-tenant", op_.urlJeton.has_value(),
                           [&] { op_.urlJeton = valeur; });
        }
        return Refus(FormateMessage(
            url ? langue_.Texte("MSG_GESTION_URL_JETON") : langue_.Texte("MSG_GESTION_TENANT"), nom,
            valeur));
    }

    const Langue& langue_;
    Operation& op_;
};

std::optional<std::size_t> Position(const ListeConfigs& liste, const std::string& nom) {
    // As /conf: finds it: letter case ignored, the first one.
    const auto trouvee = std::find_if(liste.begin(), liste.end(), [&](const clsConfigSMTP& c) {
        return EgauxSansCasse(c.Nom, nom);
    });
    if (trouvee == liste.end()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(trouvee - liste.begin());
}

Echec NomInconnu(const ListeConfigs& liste, const std::string& nom, const Langue& langue) {
    std::vector<std::string> noms;
    for (const clsConfigSMTP& c : liste) {
        noms.push_back(c.Nom);
    }
    return Refus(FormateMessage(langue.Texte("MSG_GESTION_NOM_INCONNU"), nom, Joint(noms, ", ")));
}

// A token command replaces the client-credentials flow, and the reverse: the
// one not given is cleared so that the stored record says which one applies,
// and no client secret is kept where none is used.
void ModifieOAuth(clsConfigSMTP& c, const Operation& op) {
    if (op.commandeJeton) {
        c.CommandeJetonOAuth = *op.commandeJeton;
        c.UrlJetonOAuth.clear();
        c.ClientOAuth.clear();
        c.PorteeOAuth.clear();
        c.Password.clear();
        c.CommandeMotDePasse.clear();
    }
    if (op.urlJeton) {
        c.UrlJetonOAuth = *op.urlJeton;
        c.CommandeJetonOAuth.clear();
    }
    if (op.clientOAuth) {
        c.ClientOAuth = *op.clientOAuth;
        c.CommandeJetonOAuth.clear();
    }
    if (op.porteeOAuth) {
        c.PorteeOAuth = *op.porteeOAuth;
    }
}

// The changes given, over the configuration as it was.
void Modifie(clsConfigSMTP& c, std::string& port, const Operation& op, const std::string& clair) {
    if (op.serveur) {
        c.Serveur = *op.serveur;
    }
    if (op.ssl) {
        c.SSL = *op.ssl;
        // As the dialog's SSL box does: the usual port follows the mode.
        port = op.port ? *op.port : PortApresSSL(port, c.SSL);
    } else if (op.port) {
        port = *op.port;
    }
    if (op.authentification) {
        c.Authentification = *op.authentification;
    }
    if (op.utilisateur) {
        c.Username = *op.utilisateur;
    }
    if (op.serveurPop) {
        c.ServeurPop = *op.serveurPop;
    }
    if (op.motDePasseStdin) {
        c.Password = ChiffreMotDePasse(clair);
        c.CommandeMotDePasse.clear();
    }
    if (op.commandeMotDePasse) {
        c.CommandeMotDePasse = *op.commandeMotDePasse;
        c.Password.clear();
    }
    ModifieOAuth(c, op);
}

// The dialog's checks; the option to give names the field refused.
std::optional<Echec> Verifie(const clsConfigSMTP& c, const std::string& port,
                             const Langue& langue) {
    const std::string motDePasse =
        c.CommandeMotDePasse.empty() ? DechiffreMotDePasse(c.Password) : c.CommandeMotDePasse;
    const SaisieSMTP saisie{c.Serveur,
                            port,
                            c.Username,
                            motDePasse,
                            c.ServeurPop,
                            IdentifiantsRequis(c.Authentification),
                            ServeurPopRequis(c.Authentification),
                            c.Authentification == AuthOAuth2,
                            c.UrlJetonOAuth,
                            c.ClientOAuth,
                            c.CommandeJetonOAuth};
    const std::optional<RefusSMTP> refus = VerifieSaisieSMTP(saisie);
    if (!refus) {
        return std::nullopt;
    }
    const char* option = "--server";
    switch (refus->champ) {
        case ChampSMTP::Port:
            option = "--port";
            break;
        case ChampSMTP::Username:
            option = "--user";
            break;
        case ChampSMTP::Password:
            option = "--password-stdin | --password-command";
            break;
        case ChampSMTP::ServeurPop:
            option = "--pop-server";
            break;
        case ChampSMTP::UrlJeton:
            option = "--oauth-token-url | --oauth-tenant | --oauth-token-command";
            break;
        case ChampSMTP::ClientOAuth:
            option = "--oauth-client-id";
            break;
        case ChampSMTP::Serveur:
            break;
    }
    return Refus(langue.Libelle(option, langue.Texte(refus->message)));
}

Resultat<ListeConfigs> Edite(ListeConfigs liste, const Operation& op, const std::string& clair,
                             const Langue& langue) {
    const std::optional<std::size_t> position = Position(liste, op.nom);
    const bool ajout = op.action == ActionSMTP::Ajoute;
    if (ajout && position) {
        return Refus(
            FormateMessage(langue.Texte("MSG_GESTION_NOM_DOUBLE"), liste[*position].Nom, op.nom));
    }
    if (!ajout && !position) {
        return NomInconnu(liste, op.nom, langue);
    }
    clsConfigSMTP config;
    config.Nom = op.nom;
    std::string port = "25";
    if (!ajout) {
        config = liste[*position];
        port = std::to_string(config.Port);
    }
    Modifie(config, port, op, clair);
    if (std::optional<Echec> refus = Verifie(config, port, langue)) {
        return *refus;
    }
    config.Port = PortValide(port).value_or(0);
    if (!ajout) {
        liste[*position] = std::move(config);
    } else if (EstListeExemple(liste)) {
        liste.front() = std::move(config);
    } else {
        liste.push_back(std::move(config));
    }
    return liste;
}

// What the settings window refuses too: an empty list, one too long to store.
std::optional<Echec> VerifieListe(const ListeConfigs& liste, const Langue& langue) {
    if (liste.empty()) {
        return Refus(langue.Texte("MSG_ERREUR_CONF_SMTP"));
    }
    if (const std::string texte = TexteConfigsSMTP(liste); ConfigsSMTPTropLongues(texte)) {
        return Refus(FormateMessage(langue.Texte("MSG_ERREUR_CONF_SMTP_LONGUEUR"), texte.size(),
                                    FichierProfil::kLongueurMaxValeur));
    }
    return std::nullopt;
}

std::string TexteAuthentification(const Langue& langue, std::int32_t code) {
    switch (code) {
        case AuthPop3:
            return langue.Texte("TXT_AUTHENTIFICATION_POP3");
        case AuthLogin:
            return langue.Texte("TXT_AUTHENTIFICATION_LOGIN");
        case AuthPlain:
            return langue.Texte("TXT_AUTHENTIFICATION_PLAIN");
        case AuthOAuth2:
            return langue.Texte("TXT_AUTHENTIFICATION_OAUTH2");
        default:
            return langue.Texte("TXT_AUTHENTIFICATION_AUCUNE");
    }
}

void EcritListe(const ListeConfigs& liste, const Langue& langue) {
    std::string texte;
    for (std::size_t i = 0; i < liste.size(); ++i) {
        const clsConfigSMTP& c = liste[i];
        texte += std::to_string(i + 1) + '\t' + c.Nom + '\t' + c.Serveur + '\t' +
                 std::to_string(c.Port) + '\t' + langue.Texte(c.SSL ? "TXT_OUI" : "TXT_NON") +
                 '\t' + TexteAuthentification(langue, c.Authentification) + '\t' + c.Username +
                 '\n';
    }
    std::cout << texte;
    std::cout.flush();
}

int Essaie(const Programme& programme, const Operation& op) {
    const Langue& langue = programme.Langage;
    const std::optional<std::size_t> position = Position(programme.ListeConfigsSMTP, op.nom);
    if (!position) {
        return EcritRefus(langue, NomInconnu(programme.ListeConfigsSMTP, op.nom, langue));
    }
    const Parametres& r = programme.Reglages;
    // Without --from or --to, what the dialog's test proposes.
    const std::string destinataire =
        op.destinataire.value_or(PremierDestinataire(r.DestinatairesParDefaut));
    if (destinataire.empty()) {
        return EcritRefus(
            langue, Refus(FormateMessage(langue.Texte("MSG_GESTION_OPTION_REQUISE"), "--to")));
    }
    const clsConfigSMTP& config = programme.ListeConfigsSMTP[*position];
    const EssaiSMTP essai{config,
                          DechiffreMotDePasse(config.Password),
                          r.EncodageParDefaut,
                          op.expediteur.value_or(r.ExpediteurParDefaut),
                          destinataire,
                          r.TimeoutSMTP,
                          FichierJetons(programme.FichierConfiguration)};
    Bilan bilan;
    bilan.lots.push_back(EnvoieEssai(essai, langue));
    const Lot& issue = bilan.lots.front();
    if (!issue.accepte) {
        return EcritRefus(
            langue, Echec{CodeSortieEnvoi(bilan),
                          FormateMessage(langue.Texte("MSG_TEST_SMTP_ERREUR"), issue.statut)});
    }
    EcritInformation(langue.Texte("MSG_TEST_SMTP_OK"));
    return CodeSortieEnvoi(bilan);
}

std::string Confirmation(const Operation& op, const Langue& langue) {
    switch (op.action) {
        case ActionSMTP::Ajoute:
            return FormateMessage(langue.Texte("MSG_GESTION_SMTP_AJOUTEE"), op.nom);
        case ActionSMTP::Supprime:
            return FormateMessage(langue.Texte("MSG_GESTION_SMTP_SUPPRIMEE"), op.nom);
        case ActionSMTP::ParDefaut:
            return FormateMessage(langue.Texte("MSG_GESTION_SMTP_PAR_DEFAUT"), op.nom);
        default:
            return FormateMessage(langue.Texte("MSG_GESTION_SMTP_MODIFIEE"), op.nom);
    }
}

// One line from standard input, without its line end.
Resultat<std::string> LitMotDePasse(const Langue& langue) {
    std::string ligne = LitMotDePasseEntree(langue);
    if (ligne.empty()) {
        return Refus(langue.Texte("MSG_GESTION_MOT_DE_PASSE_VIDE"));
    }
    if (std::optional<Echec> refus = SansControle("--password-stdin", ligne, langue)) {
        return *refus;
    }
    return ligne;
}

// The configurations as the file holds them, those that do not read included.
struct ConfigsLues {
    ListeConfigs liste;
    std::vector<RecordIllisible> illisibles;
};

// A set or remove that meets configurations that do not read (start-up lets
// only these through with some): the one it names must be removed or given
// every field that does not read; the others are left as they are.
std::optional<Echec> Irreparable(const Programme& programme, const ConfigsLues& lues,
                                 const Operation& op) {
    const std::optional<std::size_t> cible = Position(lues.liste, op.nom);
    const auto illisible =
        std::find_if(lues.illisibles.begin(), lues.illisibles.end(),
                     [&](const RecordIllisible& r) { return cible == r.position; });
    if (illisible == lues.illisibles.end() || op.action == ActionSMTP::Supprime) {
        return std::nullopt;
    }
    const auto donne = [&](ChampStocke champ) {
        switch (champ) {
            case ChampStocke::SSL:
                return op.ssl.has_value();
            case ChampStocke::Port:
                return op.port.has_value();
            case ChampStocke::Authentification:
                return op.authentification.has_value();
            case ChampStocke::Nom:
            case ChampStocke::Serveur:
                break;
        }
        return op.serveur.has_value();
    };
    if (std::all_of(illisible->champs.begin(), illisible->champs.end(), donne)) {
        return std::nullopt;
    }
    return Echec{
        kCodeSortieEchecDemarrage,
        TexteConfigIllisible(programme, lues.liste.at(illisible->position).Nom, *illisible)};
}

// The value to store: a configuration that does not read and that the
// command leaves alone goes back as it was stored, so nothing of it is lost.
std::string TexteStocke(const ConfigsLues& lues, const Operation& op, const ListeConfigs& apres) {
    if (lues.illisibles.empty()) {
        return TexteConfigsSMTP(apres);
    }
    const ListeConfigs& avant = lues.liste;
    const std::optional<std::size_t> cible = Position(avant, op.nom);
    std::string texte;
    std::size_t j = 0;  // in `apres`, which set keeps in order and remove shortens
    for (std::size_t i = 0; i < avant.size(); ++i) {
        if (op.action == ActionSMTP::Supprime && cible == i) {
            continue;
        }
        const auto illisible =
            std::find_if(lues.illisibles.begin(), lues.illisibles.end(),
                         [&](const RecordIllisible& r) { return r.position == i; });
        if (j > 0) {
            texte += kSeparateurConfigs;
        }
        texte += illisible != lues.illisibles.end() && cible != i ? illisible->texte
                                                                  : apres.at(j).Serialize();
        ++j;
    }
    return texte;
}

}  // namespace

Resultat<OperationSMTP> AnalyseSMTP(const std::vector<std::string>& arguments,
                                    const Langue& langue) {
    const auto action = arguments.empty() ? kActions.end() : kActions.find(arguments[0]);
    if (action == kActions.end()) {
        return Refus(Usage(langue));
    }
    Operation op;
    op.action = action->second;
    std::size_t i = 1;
    if (op.action != ActionSMTP::Liste) {
        if (arguments.size() < 2 || arguments[1].rfind("--", 0) == 0 || arguments[1].empty()) {
            return Refus(FormateMessage(langue.Texte("MSG_GESTION_NOM_REQUIS"), arguments[0],
                                        Usage(langue)));
        }
        if (std::optional<Echec> refus = SansControle("NOM", arguments[1], langue)) {
            return *refus;
        }
        op.nom = arguments[1];
        i = 2;
    }
    Analyse analyse(langue, op);
    for (; i < arguments.size(); ++i) {
        if (std::optional<Echec> refus = analyse.Option(arguments, i)) {
            return *refus;
        }
    }
    if (op.motDePasseStdin && op.commandeMotDePasse) {
        return Refus(FormateMessage(langue.Texte("MSG_GESTION_OPTIONS_EXCLUSIVES"),
                                    "--password-stdin", "--password-command"));
    }
    if (op.commandeJeton && (op.urlJeton || op.clientOAuth || op.porteeOAuth)) {
        return Refus(FormateMessage(langue.Texte("MSG_GESTION_OPTIONS_EXCLUSIVES"),
                                    "--oauth-token-command",
                                    "--oauth-token-url | --oauth-tenant | --oauth-client-id | "
                                    "--oauth-scope"));
    }
    return op;
}

Resultat<ListeConfigs> AppliqueSMTP(ListeConfigs liste, const OperationSMTP& op,
                                    const std::string& motDePasse, const Langue& langue) {
    if (op.action == ActionSMTP::Ajoute || op.action == ActionSMTP::Modifie) {
        Resultat<ListeConfigs> editee = Edite(std::move(liste), op, motDePasse, langue);
        if (!editee.Reussi()) {
            return editee;
        }
        liste = std::move(editee.Valeur());
    } else {
        const std::optional<std::size_t> position = Position(liste, op.nom);
        if (!position) {
            return NomInconnu(liste, op.nom, langue);
        }
        const auto element = liste.begin() + static_cast<std::ptrdiff_t>(*position);
        if (op.action == ActionSMTP::Supprime) {
            liste.erase(element);
        } else {
            std::rotate(liste.begin(), element, element + 1);
        }
    }
    if (std::optional<Echec> refus = VerifieListe(liste, langue)) {
        return *refus;
    }
    return liste;
}

int ExecuteGestionSMTP(const Programme& programme, const std::vector<std::string>& arguments) {
    const Langue& langue = programme.Langage;
    const Resultat<OperationSMTP> analyse = AnalyseSMTP(arguments, langue);
    if (!analyse.Reussi()) {
        return EcritRefus(langue, analyse.Erreur());
    }
    const OperationSMTP& op = analyse.Valeur();
    if (op.action == ActionSMTP::Liste) {
        EcritListe(programme.ListeConfigsSMTP, langue);
        return 0;
    }
    if (op.action == ActionSMTP::Essai) {
        return Essaie(programme, op);
    }
    // Said before a password is asked for; checked again under the lock.
    if (std::optional<Echec> refus =
            Irreparable(programme, {programme.ListeConfigsSMTP, programme.ConfigsIllisibles}, op)) {
        return EcritRefus(langue, *refus);
    }
    std::string motDePasse;
    if (op.motDePasseStdin) {
        Resultat<std::string> lu = LitMotDePasse(langue);
        if (!lu.Reussi()) {
            return EcritRefus(langue, lu.Erreur());
        }
        motDePasse = std::move(lu.Valeur());
    }
    // Applied to the list as the file holds it under the lock, not as it was
    // at start-up: a change another run saved meanwhile stays.
    std::optional<Echec> refus;
    try {
        ModifieProfil(programme.FichierConfiguration, [&](FichierProfil& profil) {
            ConfigsLues lues;
            lues.liste = ChargeConfigsSMTP(profil, &lues.illisibles);
            if ((refus = Irreparable(programme, lues, op))) {
                return false;
            }
            Resultat<ListeConfigs> liste = AppliqueSMTP(lues.liste, op, motDePasse, langue);
            if (!liste.Reussi()) {
                refus = liste.Erreur();
                return false;
            }
            EnregistreConfigsSMTP(profil, TexteStocke(lues, op, liste.Valeur()));
            return true;
        });
    } catch (const Erreur& e) {
        return EcritRefus(
            langue, Echec{kSortieGestionFichier,
                          FormateMessage(langue.Texte("MSG_ERREUR"), e.Numero(), e.Description())});
    }
    if (refus) {
        return EcritRefus(langue, *refus);
    }
    EcritInformation(Confirmation(op, langue));
    return 0;
}

}  // namespace corvelle
