#include "sending/LigneCommandeEnvoi.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <iterator>
#include <limits>
#include <map>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "config/Conversion.h"
#include "core/Chemins.h"
#include "core/Encodage.h"
#include "core/Erreur.h"
#include "core/EtatProgramme.h"
#include "core/Plateforme.h"
#include "core/Texte.h"
#include "core/Version.h"
#include "i18n/Traduction.h"
#include "sending/Envoi.h"
#include "sending/Rapport.h"
#include "sending/Requete.h"

namespace corvelle {

namespace {

// A command-line error: its message, already filled.
struct ErreurCommande {
    std::string message;
};

class Analyse {
  public:
    Analyse(EtatProgramme& etat) : etat_(etat) {}

    // Reads every parameter of one text; the first error stops it.
    void Lit(std::string reste) {
        while (!reste.empty()) {
            const std::string nom = NomParametre(reste);
            const Parametre& parametre = Cherche(nom);
            if (parametre.avecValeur) {
                const std::string valeur = ExtraitValeur(reste, nom.size() + 1);
                parametre.applique(*this, nom, valeur);
            } else {
                reste = ElagueGauche(std::string_view(reste).substr(nom.size()));
                parametre.applique(*this, nom, {});
            }
        }
    }

    // Reads the program's arguments, each one whole parameter: nothing in a
    // value can end it or start another parameter.
    void Lit(const std::vector<std::string>& arguments) {
        for (const std::string& argument : arguments) {
            const std::string_view texte = std::string_view(argument).substr(
                std::min(argument.find_first_not_of(' '), argument.size()));
            if (texte.empty()) {
                continue;  // an empty shell variable, not a parameter
            }
            const std::size_t deuxPoints = texte.find(':');
            const std::string nom = deuxPoints == std::string_view::npos
                                        ? ElagueDroite(texte)
                                        : std::string(texte.substr(0, deuxPoints + 1));
            const Parametre& parametre = Cherche(nom);
            parametre.applique(
                *this, nom,
                parametre.avecValeur ? ValeurArgument(texte.substr(nom.size())) : std::string());
        }
    }

    // The request once every parameter is read, checked for its three parts;
    // taken out of the analysis, so a large body is not copied.
    RequeteEnvoi Requete() {
        LitFichiersCorps();
        if (requete_.destinataires.empty() && requete_.copie.empty() &&
            requete_.copieCachee.empty()) {
            Echoue(Texte("MSG_ERREUR_CMD_DESTINATAIRE_MANQUANT"));
        }
        if (requete_.objet.empty()) {
            Echoue(Texte("MSG_ERREUR_CMD_OBJET_MANQUANT"));
        }
        if (requete_.corpsTexte.empty() && requete_.corpsHTML.empty()) {
            Echoue(Texte("MSG_ERREUR_CMD_CORPS_MANQUANT"));
        }
        if (requete_.corpsTexte.empty()) {
            requete_.corpsTexte = HtmlVersTexte(requete_.corpsHTML);
        }
        const Parametres& r = etat_.Reglages;
        requete_.expediteur = r.ExpediteurParDefaut;
        requete_.reponse = r.ReponseParDefaut;
        requete_.encodage = r.EncodageParDefaut;
        requete_.notification = r.ARParDefaut;
        requete_.importance = r.ImportanceParDefaut;
        requete_.sensibilite = r.SensibiliteParDefaut;
        return std::move(requete_);
    }

  private:
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

    const Parametre& Cherche(const std::string& nom) const {
        const auto parametre = TableParametres().find(nom);
        if (parametre == TableParametres().end()) {
            Echoue(FormateMessage(Texte("MSG_ERREUR_CMD_PARAM_INCONNU"), nom));
        }
        return parametre->second;
    }

    static const std::map<std::string, Parametre>& TableParametres() {
        static const std::map<std::string, Parametre> table = {
            {"/conf:", {true, &Analyse::Configuration}},
            {"/a:",
             {true, [](Analyse& a, auto& n, auto& v) { a.Liste(a.requete_.destinataires, n, v); }}},
            {"/cc:", {true, [](Analyse& a, auto& n, auto& v) { a.Liste(a.requete_.copie, n, v); }}},
            {"/cci:",
             {true, [](Analyse& a, auto& n, auto& v) { a.Liste(a.requete_.copieCachee, n, v); }}},
            {"/o:", {true, [](Analyse& a, auto&, auto& v) { a.requete_.objet = v; }}},
            {"/ct:", {true, &Analyse::CorpsTexte}},
            {"/ctf:", {true, &Analyse::CorpsTexteFichier}},
            {"/ch:", {true, &Analyse::CorpsHTML}},
            {"/chf:", {true, &Analyse::CorpsHTMLFichier}},
            {"/pj:", {true, &Analyse::PiecesJointes}},
            {"/ar", {false, [](Analyse& a, auto&, auto&) { a.etat_.Reglages.ARParDefaut = 1; }}},
            {"/al", {false, [](Analyse& a, auto&, auto&) { a.etat_.Reglages.ARParDefaut = 2; }}},
            {"/arl", {false, [](Analyse& a, auto&, auto&) { a.etat_.Reglages.ARParDefaut = 3; }}},
            {"/nde:", {true, &Analyse::NombreDestinataires}},
            {"/de:",
             {true, [](Analyse& a, auto&, auto& v) { a.etat_.Reglages.ExpediteurParDefaut = v; }}},
            {"/rep:",
             {true, [](Analyse& a, auto&, auto& v) { a.etat_.Reglages.ReponseParDefaut = v; }}},
            {"/en:",
             {true, [](Analyse& a, auto&, auto& v) { a.etat_.Reglages.EncodageParDefaut = v; }}},
            {"/@:", {true, [](Analyse& a, auto&, auto& v) { a.etat_.Reglages.Suffixe = v; }}},
            {"/r",
             {false, [](Analyse& a, auto&, auto&) { a.etat_.OptionsRapport |= RapportParMail; }}},
            {"/l:", {true, &Analyse::JournalNomme}},
            {"/l",
             {false,
              [](Analyse& a, auto&, auto&) { a.etat_.OptionsRapport |= RapportFichierLog; }}},
            {"/iep", {false, [](Analyse& a, auto&, auto&) { a.etat_.IgnorerPJManquantes = true; }}},
        };
        return table;
    }

    [[noreturn]] static void Echoue(std::string message) {
        throw ErreurCommande{std::move(message)};
    }

    std::string Texte(std::string_view cle) const { return etat_.Langage.Texte(cle); }

    void Liste(std::string& champ, const std::string& nom, const std::string& valeur) {
        if (valeur.empty()) {
            Echoue(FormateMessage(Texte("MSG_ERREUR_CMD_DST_MANQUANT"), nom));
        }
        champ = valeur;
    }

    void Configuration(const std::string& nom, const std::string& valeur) {
        if (valeur.empty()) {
            Echoue(FormateMessage(Texte("MSG_ERREUR_CMD_DST_MANQUANT"), nom));
        }
        for (std::size_t i = 0; i < etat_.ListeConfigsSMTP.size(); ++i) {
            if (EgauxSansCasse(etat_.ListeConfigsSMTP[i].Nom, valeur)) {
                etat_.NumConfigSMTP = static_cast<int>(i + 1);
                return;
            }
        }
        Echoue(Texte("MSG_ERREUR_CMD_CONF"));
    }

    void CorpsTexte(const std::string&, const std::string& valeur) {
        RefuseSecondCorps(requete_.corpsTexte, fichierTexte_, "/ct:", "/ctf:");
        requete_.corpsTexte = Remplace(valeur, "§", "\r\n");
    }

    void CorpsHTML(const std::string&, const std::string& valeur) {
        RefuseSecondCorps(requete_.corpsHTML, fichierHTML_, "/ch:", "/chf:");
        requete_.corpsHTML = Remplace(valeur, "§", "<BR />");
    }

    // Body files are read once every parameter is, so a /l or /r given after
    // one records its read error too.
    void CorpsTexteFichier(const std::string&, const std::string& valeur) {
        RefuseSecondCorps(requete_.corpsTexte, fichierTexte_, "/ct:", "/ctf:");
        fichierTexte_ = CheminAbsolu(valeur, etat_.DossierCourant);
        if (!ExisteFichier(fichierTexte_)) {
            Echoue(FormateMessage(Texte("MSG_ERREUR_CMD_CORPS_FIC_INTROUVABLE"), fichierTexte_));
        }
    }

    void CorpsHTMLFichier(const std::string&, const std::string& valeur) {
        RefuseSecondCorps(requete_.corpsHTML, fichierHTML_, "/ch:", "/chf:");
        fichierHTML_ = CheminAbsolu(valeur, etat_.DossierCourant);
        if (plateforme::FichiersCorrespondants(fichierHTML_).empty()) {
            Echoue(FormateMessage(Texte("MSG_ERREUR_CMD_CORPS_FIC_INTROUVABLE"), fichierHTML_));
        }
    }

    void RefuseSecondCorps(const std::string& corps, const std::string& fichier,
                           const char* parametre, const char* parametreFichier) const {
        if (!corps.empty() || !fichier.empty()) {
            Echoue(FormateMessage(Texte("MSG_ERREUR_CMD_CORPS"), parametre, parametreFichier));
        }
    }

    void LitFichiersCorps() {
        if (!fichierTexte_.empty()) {
            requete_.corpsTexte = LitCorps(fichierTexte_);
        }
        if (!fichierHTML_.empty()) {
            requete_.corpsHTML = LitCorps(fichierHTML_);
        }
    }

    // A body file that is there but cannot be read, or is empty, is an error of
    // the command line: sending an empty message instead would hide it. So is
    // one too large to hold, rather than an abort that no log would record.
    std::string LitCorps(const std::string& chemin) const {
        try {
            return LitFichierTexte(chemin);
        } catch (const Erreur& e) {
            if (e.Numero() == ErrDepassement) {
                Echoue(CorpsTropVolumineux(chemin));
            }
            Echoue(FormateMessage(Texte("MSG_ERREUR"), e.Numero(), e.Description()));
        } catch (const std::bad_alloc&) {
            Echoue(CorpsTropVolumineux(chemin));
        } catch (const std::length_error&) {
            Echoue(CorpsTropVolumineux(chemin));
        }
    }

    std::string CorpsTropVolumineux(const std::string& chemin) const {
        return FormateMessage(Texte("MSG_ERREUR_CMD_CORPS_FIC_VOLUMINEUX"), chemin,
                              plateforme::kTailleMaxLecture >> 20);
    }

    void PiecesJointes(const std::string&, const std::string& valeur) {
        for (const std::string& piece : Decoupe(valeur, ",")) {
            requete_.piecesJointes.push_back(CheminAbsolu(Elague(piece), etat_.DossierCourant));
        }
    }

    void NombreDestinataires(const std::string&, const std::string& valeur) {
        const double nombre = NombreEnTete(valeur);
        if (!(nombre >= 1) || std::nearbyint(nombre) > std::numeric_limits<std::int32_t>::max()) {
            Echoue(Texte("MSG_ERREUR_CMD_NBDEST"));
        }
        etat_.Reglages.NbDest = VersEntier32(nombre);
    }

    void JournalNomme(const std::string&, const std::string& valeur) {
        etat_.OptionsRapport |= RapportFichierLog;
        etat_.FichierLog = ExisteFichier(valeur, plateforme::AttrDossier)
                               ? AjouteBarre(valeur) + kTitreApplication + ".log"
                               : valeur;
    }

    EtatProgramme& etat_;
    RequeteEnvoi requete_;
    std::string fichierTexte_;  // given by /ctf:, read at the end
    std::string fichierHTML_;   // given by /chf:
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

namespace {

// Whether `texte` holds `motif` (lower-case ASCII) at `position`, its letters
// in any case.
bool CorrespondSansCasse(std::string_view texte, std::size_t position, std::string_view motif) {
    if (texte.size() - position < motif.size()) {
        return false;
    }
    for (std::size_t i = 0; i < motif.size(); ++i) {
        const char c = texte[position + i];
        if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c) != motif[i]) {
            return false;
        }
    }
    return true;
}

// Moves `taille` bytes of `texte` from `depuis` back to `vers` (never after it).
void Recule(std::string& texte, std::size_t depuis, std::size_t taille, std::size_t vers) {
    if (vers != depuis) {
        std::char_traits<char>::move(texte.data() + vers, texte.data() + depuis, taille);
    }
}

// Line-break tags and &nbsp; as plain text. Every replacement is shorter than
// what it replaces, so it is done in place: a large body is not held twice.
// No replacement can make a match for another, so one pass does them all.
void RemplaceSautsEtEspaces(std::string& html) {
    static constexpr std::pair<std::string_view, std::string_view> kRemplacements[] = {
        {"<br>", "\r\n"}, {"<br />", "\r\n"}, {"<br/>", "\r\n"}, {"&nbsp;", " "}};
    std::size_t ecrit = 0;  // end of the text done
    std::size_t copie = 0;  // first byte not yet moved there
    for (std::size_t p = html.find_first_of("<&"); p != std::string::npos;
         p = html.find_first_of("<&", p)) {
        const auto* r = std::find_if(
            std::begin(kRemplacements), std::end(kRemplacements),
            [&](const auto& paire) { return CorrespondSansCasse(html, p, paire.first); });
        if (r == std::end(kRemplacements)) {
            ++p;
            continue;
        }
        Recule(html, copie, p - copie, ecrit);
        ecrit += p - copie;
        r->second.copy(html.data() + ecrit, r->second.size());
        ecrit += r->second.size();
        copie = p + r->first.size();
        p = copie;
    }
    Recule(html, copie, html.size() - copie, ecrit);
    html.resize(ecrit + html.size() - copie);
}

// Removes the tags in place, in one pass: erasing each tag, or looking for its
// ">" again from every "<", was quadratic.
void RetireBalises(std::string& html) {
    std::size_t ecrit = 0;  // end of the text kept
    std::size_t copie = 0;  // first byte of `html` not yet kept
    std::size_t fermant = 0;
    std::size_t ouvrant = html.find('<');
    while (ouvrant != std::string::npos) {
        if (fermant <= ouvrant) {
            fermant = html.find('>', ouvrant + 1);
            if (fermant == std::string::npos) {
                break;  // no later "<" is closed either
            }
        }
        const std::size_t suivant = html.find('<', ouvrant + 1);
        if (suivant == std::string::npos || suivant > fermant) {
            Recule(html, copie, ouvrant - copie, ecrit);
            ecrit += ouvrant - copie;
            copie = fermant + 1;
            ouvrant = suivant;
        } else {
            // A "<" that no ">" closes (as in "x < y") is text: keep it and
            // go on after it, so the tags that follow are still removed.
            ouvrant = suivant;
        }
    }
    Recule(html, copie, html.size() - copie, ecrit);
    html.resize(ecrit + html.size() - copie);
}

}  // namespace

std::string HtmlVersTexte(std::string html) {
    RemplaceSautsEtEspaces(html);
    RetireBalises(html);
    return html;
}

namespace {

template <typename Source>
std::variant<RequeteEnvoi, std::string> AnalyseDepuis(EtatProgramme& etat, const Source& source) {
    etat.ModeLigneCommande = true;
    etat.NumConfigSMTP = 1;
    try {
        Analyse analyse(etat);
        analyse.Lit(source);
        return analyse.Requete();
    } catch (const ErreurCommande& e) {
        return e.message;
    }
}

}  // namespace

std::variant<RequeteEnvoi, std::string> AnalyseLigneCommande(EtatProgramme& etat,
                                                             const std::string& ligneCommande) {
    return AnalyseDepuis(etat, ligneCommande);
}

std::variant<RequeteEnvoi, std::string> AnalyseArguments(
    EtatProgramme& etat, const std::vector<std::string>& arguments) {
    return AnalyseDepuis(etat, arguments);
}

int TraiteLigneCommande(EtatProgramme& etat, Dialogue& dialogue,
                        const std::vector<std::string>& arguments) {
    auto analyse = AnalyseArguments(etat, arguments);
    if (const std::string* erreur = std::get_if<std::string>(&analyse)) {
        Signale(etat, dialogue, *erreur + " " + etat.Langage.Texte("TXT_FERMETURE_OUTIL"));
        return SortieErreurLigneCommande;
    }
    try {
        return EnvoiMessage(etat, dialogue, std::move(std::get<RequeteEnvoi>(analyse)));
    } catch (const Erreur& e) {
        Signale(etat, dialogue,
                FormateMessage(etat.Langage.Texte("MSG_ERREUR"), e.Numero(), e.Description()));
    } catch (const std::exception& e) {
        // Anything unforeseen is reported and ends the run as a failed send,
        // never as a crash a script could not read.
        Signale(etat, dialogue,
                FormateMessage(etat.Langage.Texte("MSG_ERREUR"), ErrInterne,
                               TexteErreur(ErrInterne) + " (" + e.what() + ")"));
    }
    return SortieEchecEnvoi;
}

}  // namespace corvelle
