#include "sending/LigneCommandeEnvoi.h"

#include <cmath>
#include <functional>
#include <limits>
#include <map>
#include <new>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <utility>

#include "config/Conversion.h"
#include "core/Chemins.h"
#include "core/Encodage.h"
#include "core/Erreur.h"
#include "core/Plateforme.h"
#include "core/Texte.h"
#include "core/Version.h"
#include "i18n/Langue.h"
#include "i18n/Traduction.h"
#include "sending/HtmlVersTexte.h"
#include "sending/smtp/ComposantSMTP.h"

namespace corvelle {

namespace {

class Analyse {
  public:
    Analyse(Demande depart, const ListeConfigs& configs, const Langue& langue)
        : configs_(configs), langue_(langue) {
        resultat_.demande = std::move(depart);
    }

    // Reads every parameter of one text; the first error stops it.
    void Lit(std::string reste) {
        while (!reste.empty() && Poursuit()) {
            const std::string nom = NomParametre(reste);
            const Parametre* parametre = Cherche(nom);
            if (!parametre) {
                return;
            }
            if (parametre->avecValeur) {
                const std::string valeur = ExtraitValeur(reste, nom.size() + 1);
                parametre->applique(*this, nom, valeur);
            } else {
                reste = ElagueGauche(std::string_view(reste).substr(nom.size()));
                parametre->applique(*this, nom, {});
            }
        }
    }

    // Reads the program's arguments, each one whole parameter: nothing in a
    // value can end it or start another parameter.
    void Lit(const std::vector<std::string>& arguments) {
        for (std::size_t i = 0; i < arguments.size(); ++i) {
            const std::string& argument = arguments[i];
            const std::string_view texte = std::string_view(argument).substr(
                std::min(argument.find_first_not_of(' '), argument.size()));
            if (texte.empty()) {
                continue;  // an empty shell variable, not a parameter
            }
            if (const auto alias = kAlias.find(texte); alias != kAlias.end()) {
                LitAlias(alias->first, alias->second, arguments, i);
                if (!Poursuit()) {
                    return;
                }
                continue;
            }
            const std::size_t deuxPoints = texte.find(':');
            const std::string nom = deuxPoints == std::string_view::npos
                                        ? ElagueDroite(texte)
                                        : std::string(texte.substr(0, deuxPoints + 1));
            const Parametre* parametre = Cherche(nom);
            if (!parametre) {
                return;
            }
            parametre->applique(
                *this, nom,
                parametre->avecValeur ? ValeurArgument(texte.substr(nom.size())) : std::string());
            if (!Poursuit()) {
                return;
            }
        }
    }

    // The request once every parameter is read: body files read, then its
    // three parts checked.
    AnalyseCommande Termine() && {
        // Whatever configuration /conf: chose, before or after it.
        if (enveloppe_) {
            D().configuration.ExpediteurEnveloppe = *enveloppe_;
        }
        if (Poursuit()) {
            LitFichiersCorps();
        }
        if (Poursuit()) {
            VerifieParties();
        }
        return std::move(resultat_);
    }

  private:
    // Long names whose value is the next argument, as scripts write them.
    static inline const std::map<std::string_view, std::string_view> kAlias = {
        {"--header", "/ent:"},
        {"--envelope-from", "/ee:"},
    };

    void LitAlias(std::string_view alias, std::string_view nom,
                  const std::vector<std::string>& arguments, std::size_t& i) {
        if (i + 1 >= arguments.size()) {
            return Echoue(FormateMessage(Texte("MSG_ERREUR_CMD_DST_MANQUANT"), alias));
        }
        Cherche(std::string(nom))->applique(*this, std::string(alias), arguments[++i]);
    }

    using Action = std::function<void(Analyse&, const std::string& nom, const std::string& valeur)>;
    struct Parametre {
        bool avecValeur;
        Action applique;
    };

    // The name runs to the first space or "/" (excluded) or ":" (included),
    // looking from the second character on.
    static std::string NomParametre(const std::string& reste) {
        const std::size_t fin = reste.find_first_of(" /:", 1);
        if (fin == std::string::npos) {
            return reste;
        }
        return reste.substr(0, reste[fin] == ':' ? fin + 1 : fin);
    }

    // A value wholly enclosed in double quotes loses them; any other is taken
    // as it came.
    static std::string ValeurArgument(std::string_view valeur) {
        if (valeur.size() >= 2 && valeur.front() == '"' && valeur.back() == '"') {
            valeur = valeur.substr(1, valeur.size() - 2);
        }
        return std::string(valeur);
    }

    // Null for an unknown name, which is the error.
    const Parametre* Cherche(const std::string& nom) {
        const auto parametre = TableParametres().find(nom);
        if (parametre == TableParametres().end()) {
            Echoue(FormateMessage(Texte("MSG_ERREUR_CMD_PARAM_INCONNU"), Lisible(nom)));
            return nullptr;
        }
        return &parametre->second;
    }

    static const std::map<std::string, Parametre>& TableParametres() {
        using A = Analyse;
        static const std::map<std::string, Parametre> table = {
            {"/conf:", {true, &A::Configuration}},
            {"/a:", {true, [](A& a, auto& n, auto& v) { a.Liste(a.D().destinataires, n, v); }}},
            {"/cc:", {true, [](A& a, auto& n, auto& v) { a.Liste(a.D().copie, n, v); }}},
            {"/cci:", {true, [](A& a, auto& n, auto& v) { a.Liste(a.D().copieCachee, n, v); }}},
            {"/o:", {true, [](A& a, auto&, auto& v) { a.D().objet = v; }}},
            {"/ct:", {true, &A::CorpsTexte}},
            {"/ctf:", {true, &A::CorpsTexteFichier}},
            {"/ch:", {true, &A::CorpsHTML}},
            {"/chf:", {true, &A::CorpsHTMLFichier}},
            {"/pj:", {true, &A::PiecesJointes}},
            {"/ar", {false, [](A& a, auto&, auto&) { a.D().notification = 1; }}},
            {"/al", {false, [](A& a, auto&, auto&) { a.D().notification = 2; }}},
            {"/arl", {false, [](A& a, auto&, auto&) { a.D().notification = 3; }}},
            {"/nde:", {true, &A::NombreDestinataires}},
            {"/de:", {true, [](A& a, auto&, auto& v) { a.D().expediteur = v; }}},
            {"/rep:", {true, [](A& a, auto&, auto& v) { a.D().reponse = v; }}},
            {"/ee:", {true, &A::ExpediteurEnveloppe}},
            {"/ent:", {true, &A::Entete}},
            {"/en:", {true, [](A& a, auto&, auto& v) { a.D().encodage = v; }}},
            {"/@:", {true, [](A& a, auto&, auto& v) { a.D().suffixe = v; }}},
            {"/r", {false, [](A& a, auto&, auto&) { a.D().rapport |= RapportParMail; }}},
            {"/l:", {true, &A::JournalNomme}},
            {"/l", {false, [](A& a, auto&, auto&) { a.D().rapport |= RapportFichierLog; }}},
            {"/iep", {false, [](A& a, auto&, auto&) { a.D().ignorerPJManquantes = true; }}},
            {"/trace", {false, [](A& a, auto&, auto&) { a.D().trace = true; }}},
            {"--verbose", {false, [](A& a, auto&, auto&) { a.D().trace = true; }}},
            {"--progress",
             {false, [](A& a, auto&, auto&) { a.D().progression = AffichageProgression::Force; }}},
            {"--no-progress",
             {false, [](A& a, auto&, auto&) { a.D().progression = AffichageProgression::Aucun; }}},
            {"/attente", {false, [](A& a, auto&, auto&) { a.D().attente = true; }}},
            {"--queue", {false, [](A& a, auto&, auto&) { a.D().attente = true; }}},
            {"--sysexits", {false, [](A& a, auto&, auto&) { a.D().sysexits = true; }}},
            {"/apercu", {false, [](A& a, auto&, auto&) { a.D().apercu = true; }}},
            {"--dry-run", {false, [](A& a, auto&, auto&) { a.D().apercu = true; }}},
            {"/apercu:", {true, &A::ApercuDansDossier}},
        };
        return table;
    }

    Demande& D() { return resultat_.demande; }
    const Demande& D() const { return resultat_.demande; }
    [[nodiscard]] bool Poursuit() const { return resultat_.erreur.empty(); }

    // The first error is kept; reading stops there.
    void Echoue(std::string message) {
        if (Poursuit()) {
            resultat_.erreur = std::move(message);
        }
    }

    std::string Texte(std::string_view cle) const { return langue_.Texte(cle); }

    void Liste(std::string& champ, const std::string& nom, const std::string& valeur) {
        if (valeur.empty()) {
            return Echoue(FormateMessage(Texte("MSG_ERREUR_CMD_DST_MANQUANT"), nom));
        }
        champ = valeur;
    }

    void Configuration(const std::string& nom, const std::string& valeur) {
        if (valeur.empty()) {
            return Echoue(FormateMessage(Texte("MSG_ERREUR_CMD_DST_MANQUANT"), nom));
        }
        for (const clsConfigSMTP& config : configs_) {
            if (EgauxSansCasse(config.Nom, valeur)) {
                D().configuration = config;
                return;
            }
        }
        Echoue(Texte("MSG_ERREUR_CMD_CONF"));
    }

    void ExpediteurEnveloppe(const std::string& nom, const std::string& valeur) {
        if (valeur.empty()) {
            return Echoue(FormateMessage(Texte("MSG_ERREUR_CMD_DST_MANQUANT"), nom));
        }
        enveloppe_ = valeur;
    }

    void Entete(const std::string&, const std::string& valeur) {
        smtp::EnteteLibre entete;
        const smtp::RefusEntete refus = smtp::LitEnteteLibre(valeur, entete);
        const std::string nom = Lisible(valeur.substr(0, valeur.find(':')));
        switch (refus) {
            case smtp::RefusEntete::Aucun:
                D().entetes.push_back(std::move(entete));
                return;
            case smtp::RefusEntete::Forme:
                return Echoue(
                    FormateMessage(Texte("MSG_ERREUR_CMD_ENTETE_FORME"), Lisible(valeur)));
            case smtp::RefusEntete::Nom:
                return Echoue(FormateMessage(Texte("MSG_ERREUR_CMD_ENTETE_NOM"), nom));
            case smtp::RefusEntete::Saut:
                return Echoue(FormateMessage(Texte("MSG_ERREUR_CMD_ENTETE_SAUT"), nom));
            case smtp::RefusEntete::Reserve:
                return Echoue(FormateMessage(Texte("MSG_ERREUR_CMD_ENTETE_RESERVE"), nom));
        }
    }

    void CorpsTexte(const std::string&, const std::string& valeur) {
        if (RefuseSecondCorps(D().corpsTexte, fichierTexte_, "/ct:", "/ctf:")) {
            D().corpsTexte = Remplace(valeur, "§", "\r\n");
        }
    }

    void CorpsHTML(const std::string&, const std::string& valeur) {
        if (RefuseSecondCorps(D().corpsHTML, fichierHTML_, "/ch:", "/chf:")) {
            D().corpsHTML = Remplace(valeur, "§", "<BR />");
        }
    }

    // Body files are read once every parameter is, so a /l or /r given after
    // one records its read error too.
    void CorpsTexteFichier(const std::string&, const std::string& valeur) {
        if (!RefuseSecondCorps(D().corpsTexte, fichierTexte_, "/ct:", "/ctf:")) {
            return;
        }
        fichierTexte_ = NomCorps(valeur);
        if (fichierTexte_ != plateforme::kEntreeStandard && !ExisteFichier(fichierTexte_)) {
            Echoue(FormateMessage(Texte("MSG_ERREUR_CMD_CORPS_FIC_INTROUVABLE"),
                                  Lisible(fichierTexte_)));
        }
    }

    void CorpsHTMLFichier(const std::string&, const std::string& valeur) {
        if (!RefuseSecondCorps(D().corpsHTML, fichierHTML_, "/ch:", "/chf:")) {
            return;
        }
        fichierHTML_ = NomCorps(valeur);
        if (fichierHTML_ != plateforme::kEntreeStandard &&
            plateforme::FichiersCorrespondants(fichierHTML_).empty()) {
            Echoue(FormateMessage(Texte("MSG_ERREUR_CMD_CORPS_FIC_INTROUVABLE"),
                                  Lisible(fichierHTML_)));
        }
    }

    // "-" is standard input, as a script pipes a body in; anything else a file.
    std::string NomCorps(const std::string& valeur) const {
        return valeur == plateforme::kEntreeStandard ? valeur
                                                     : CheminAbsolu(valeur, D().dossierCourant);
    }

    // False, after the error, when this body was given already.
    bool RefuseSecondCorps(const std::string& corps, const std::string& fichier,
                           const char* parametre, const char* parametreFichier) {
        if (!corps.empty() || !fichier.empty()) {
            Echoue(FormateMessage(Texte("MSG_ERREUR_CMD_CORPS"), parametre, parametreFichier));
            return false;
        }
        return true;
    }

    void VerifieParties() {
        Demande& d = D();
        if (d.destinataires.empty() && d.copie.empty() && d.copieCachee.empty()) {
            return Echoue(Texte("MSG_ERREUR_CMD_DESTINATAIRE_MANQUANT"));
        }
        if (d.objet.empty()) {
            return Echoue(Texte("MSG_ERREUR_CMD_OBJET_MANQUANT"));
        }
        if (d.corpsTexte.empty() && d.corpsHTML.empty()) {
            return Echoue(Texte("MSG_ERREUR_CMD_CORPS_MANQUANT"));
        }
        if (d.corpsTexte.empty()) {
            d.corpsTexte = HtmlVersTexte(d.corpsHTML);
        }
    }

    void LitFichiersCorps() {
        if (!fichierTexte_.empty()) {
            D().corpsTexte = LitCorps(fichierTexte_);
        }
        if (!fichierHTML_.empty() && Poursuit()) {
            D().corpsHTML = LitCorps(fichierHTML_);
        }
    }

    // A body file that is there but cannot be read, or is empty, is an error of
    // the command line: sending an empty message instead would hide it. So is
    // one too large to hold, rather than an abort that no log would record.
    std::string LitCorps(const std::string& chemin) {
        try {
            return LitFichierTexte(chemin);
        } catch (const Erreur& e) {
            Echoue(e.Numero() == ErrDepassement ? CorpsTropVolumineux(chemin)
                   : e.Numero() == ErrFinDeFichier
                       ? FormateMessage(Texte("MSG_ERREUR_CMD_CORPS_FIC_VIDE"), Lisible(chemin))
                       : FormateMessage(Texte("MSG_ERREUR"), e.Numero(), Lisible(e.Description())));
        } catch (const std::bad_alloc&) {
            Echoue(CorpsTropVolumineux(chemin));
        } catch (const std::length_error&) {
            Echoue(CorpsTropVolumineux(chemin));
        }
        return {};
    }

    std::string CorpsTropVolumineux(const std::string& chemin) const {
        return FormateMessage(Texte("MSG_ERREUR_CMD_CORPS_FIC_VOLUMINEUX"), Lisible(chemin),
                              plateforme::kTailleMaxLecture >> 20);
    }

    void PiecesJointes(const std::string&, const std::string& valeur) {
        for (const std::string& piece : Decoupe(valeur, ",")) {
            D().piecesJointes.push_back(CheminAbsolu(Elague(piece), D().dossierCourant));
        }
    }

    void NombreDestinataires(const std::string&, const std::string& valeur) {
        const double nombre = NombreEnTete(valeur);
        if (!(nombre >= 1) || std::nearbyint(nombre) > std::numeric_limits<std::int32_t>::max()) {
            return Echoue(Texte("MSG_ERREUR_CMD_NBDEST"));
        }
        D().nbDest = VersEntier32(nombre);
    }

    // The folder must be there: files written nowhere would look like success.
    void ApercuDansDossier(const std::string& nom, const std::string& valeur) {
        if (valeur.empty()) {
            return Echoue(FormateMessage(Texte("MSG_ERREUR_CMD_DST_MANQUANT"), nom));
        }
        const std::string dossier = CheminAbsolu(valeur, D().dossierCourant);
        if (!ExisteFichier(dossier, plateforme::AttrDossier)) {
            return Echoue(FormateMessage(Texte("MSG_ERREUR_CMD_APERCU_DOSSIER"), Lisible(dossier)));
        }
        D().apercu = true;
        D().dossierApercu = dossier;
    }

    // A folder, even one still to be created (a name ending with the
    // separator), holds the log under its usual name.
    void JournalNomme(const std::string&, const std::string& valeur) {
        D().rapport |= RapportFichierLog;
        const bool dossier = valeur.ends_with(plateforme::kSeparateur) ||
                             ExisteFichier(valeur, plateforme::AttrDossier);
        D().fichierLog = dossier ? AjouteBarre(valeur) + kTitreApplication + ".log" : valeur;
    }

    const ListeConfigs& configs_;
    const Langue& langue_;
    AnalyseCommande resultat_;
    std::string fichierTexte_;              // given by /ctf:, read at the end
    std::string fichierHTML_;               // given by /chf:
    std::optional<std::string> enveloppe_;  // given by /ee:
};

}  // namespace

std::string ExtraitValeur(std::string& reste, std::size_t debut) {
    std::string valeur;
    if (debut <= reste.size() && reste[debut - 1] == '"') {
        const std::size_t fermant = reste.find('"', debut);
        if (fermant == std::string::npos) {
            reste.clear();  // an unclosed quote takes the rest of the line with it
            return {};
        }
        valeur = ElagueDroite(std::string_view(reste).substr(debut, fermant - debut));
        reste = ElagueGauche(std::string_view(reste).substr(fermant + 1));
        return valeur;
    }
    const std::size_t barre = debut <= reste.size() ? reste.find('/', debut) : std::string::npos;
    if (barre == std::string::npos) {
        valeur = debut <= reste.size() ? ElagueDroite(std::string_view(reste).substr(debut - 1))
                                       : std::string();
        reste.clear();
        return valeur;
    }
    valeur = ElagueDroite(std::string_view(reste).substr(debut - 1, barre - (debut - 1)));
    reste = ElagueGauche(std::string_view(reste).substr(barre));
    return valeur;
}

AnalyseCommande AnalyseArguments(Demande depart, const ListeConfigs& configs, const Langue& langue,
                                 const std::vector<std::string>& arguments) {
    Analyse analyse(std::move(depart), configs, langue);
    analyse.Lit(arguments);
    return std::move(analyse).Termine();
}

AnalyseCommande AnalyseLigneCommande(Demande depart, const ListeConfigs& configs,
                                     const Langue& langue, const std::string& ligneCommande) {
    Analyse analyse(std::move(depart), configs, langue);
    analyse.Lit(ligneCommande);
    return std::move(analyse).Termine();
}

}  // namespace corvelle
