#include "sending/outbox/FileAttente.h"

#include <array>
#include <cerrno>
#include <charconv>
#include <random>
#include <utility>

#include "core/Erreur.h"

namespace corvelle::outbox {

namespace {

constexpr std::string_view kExtension = ".msg";
constexpr std::string_view kVersion = "Corvelle-Outbox: 1";
constexpr const char* kEchouees = "failed/";
constexpr const char* kAbimees = "damaged/";

std::string Chemin(const std::string& dossier, const std::string& id) {
    return dossier + id + std::string(kExtension);
}

// An id names a file: nothing in it may climb out of the folder.
bool IdValide(const std::string& id) {
    return !id.empty() && id.size() <= 64 &&
           id.find_first_not_of("0123456789abcdef-") == std::string::npos;
}

// Seconds first, so that name order is arrival order.
std::string NouvelId(std::int64_t maintenant) {
    static std::mt19937_64 hasard{std::random_device{}()};
    std::array<char, 40> tampon{};
    char* fin = std::to_chars(tampon.data(), tampon.data() + 12, maintenant).ptr;
    std::string id(tampon.data(), fin);
    id.insert(0, 12 - id.size(), '0');
    fin = std::to_chars(tampon.data(), tampon.data() + tampon.size(), hasard(), 16).ptr;
    return id + "-" + std::string(tampon.data(), fin);
}

// A reply may run over several lines; each field holds one.
std::string Echappe(std::string_view texte) {
    std::string sortie;
    for (const char c : texte) {
        if (c == '\\') {
            sortie += "\\\\";
        } else if (c == '\n') {
            sortie += "\\n";
        } else if (c == '\r') {
            sortie += "\\r";
        } else {
            sortie += c;
        }
    }
    return sortie;
}

std::string Desechappe(std::string_view texte) {
    std::string sortie;
    for (std::size_t i = 0; i < texte.size(); ++i) {
        if (texte[i] == '\\' && i + 1 < texte.size()) {
            const char suivant = texte[++i];
            sortie += suivant == 'n' ? '\n' : suivant == 'r' ? '\r' : suivant;
        } else {
            sortie += texte[i];
        }
    }
    return sortie;
}

template <typename Entier>
bool LitEntier(std::string_view texte, Entier& valeur) {
    const auto [fin, erreur] = std::from_chars(texte.data(), texte.data() + texte.size(), valeur);
    return erreur == std::errc{} && fin == texte.data() + texte.size();
}

void Leve(int numeroSysteme, const std::string& action, const std::string& chemin) {
    throw Erreur(ErrAccesChemin,
                 action + " " + chemin + ": " + plateforme::DescriptionSysteme(numeroSysteme));
}

void Verifie(int numeroSysteme, const std::string& action, const std::string& chemin) {
    if (numeroSysteme != 0) {
        Leve(numeroSysteme, action, chemin);
    }
}

// failed/ and damaged/ hold what others wrote: they must be the runner's
// own folders, never a link or a folder a writer made to read them.
void PrepareSousDossier(const std::string& dossier) {
    Verifie(plateforme::PrepareDossierPrive(dossier), "preparing folder", dossier);
}

// Moved aside under its own name, unless another has it already; a name a
// writer made too long to take a suffix gets one of ours.
int MetDeCote(const std::string& chemin, const std::string& dossier, const std::string& nom) {
    PrepareSousDossier(dossier);
    int erreur = plateforme::DeplaceFichierDurable(chemin, dossier + nom);
    for (int n = 1; erreur == EEXIST; ++n) {
        erreur = plateforme::DeplaceFichierDurable(chemin, dossier + nom + "." + std::to_string(n));
        if (erreur == ENAMETOOLONG) {
            erreur = plateforme::DeplaceFichierDurable(
                chemin, dossier + NouvelId(0) + std::string(kExtension));
        }
    }
    return erreur;
}

}  // namespace

std::optional<std::int64_t> ProchaineTentative(const Historique& historique,
                                               std::int64_t maintenant, std::int64_t duree) {
    constexpr std::array<std::int64_t, 4> kMinutes{1, 5, 15, 30};
    // This failure is the one after those already counted.
    const auto rang =
        static_cast<std::size_t>(historique.tentatives < 0 ? 0 : historique.tentatives);
    const std::int64_t prochaine = maintenant + 60 * (rang < kMinutes.size() ? kMinutes[rang] : 60);
    if (prochaine - historique.creation > duree) {
        return std::nullopt;
    }
    return prochaine;
}

namespace {

// The fields, up to the blank line before the message of `taille` bytes.
std::string Entete(const Entree& entree, std::string_view taille) {
    const Enveloppe& e = entree.enveloppe;
    const Historique& h = entree.historique;
    std::string texte = std::string(kVersion) + "\n";
    const auto champ = [&texte](std::string_view nom, std::string_view valeur) {
        texte.append(nom).append(": ").append(Echappe(valeur)).append("\n");
    };
    champ("Configuration", e.configuration);
    champ("Sender", e.expediteur);
    for (const std::string& destinataire : e.destinataires) {
        champ("Recipient", destinataire);
    }
    champ("8bit", e.huitBits ? "1" : "0");
    champ("Notify", e.notify);
    champ("Ret", e.ret);
    champ("Envid", e.envid);
    champ("Created", std::to_string(h.creation));
    champ("Attempts", std::to_string(h.tentatives));
    champ("Next", std::to_string(h.prochaine));
    champ("Reply", h.derniereReponse);
    if (entree.redacteur >= 0) {
        champ("Writer", std::to_string(entree.redacteur));
    }
    // Only in failed/: an entry still waiting reads as older versions wrote it.
    if (!h.avisNonEnvoye.empty()) {
        champ("Notice-Failed", h.avisNonEnvoye);
    }
    // The size tells a whole file from one cut short; last, so that one
    // written as its message comes can fill it in.
    champ("Size", taille);
    texte += "\n";
    return texte;
}

// An entry's fields, read from the start of its file.
struct Champs {
    Entree entree;  // its message left empty
    std::size_t debutMessage = 0;
    std::size_t tailleMessage = 0;
};

std::optional<Champs> LitEntete(std::string_view octets) {
    const std::size_t finEntete = octets.find("\n\n");
    if (!octets.starts_with(std::string(kVersion) + "\n") || finEntete == std::string_view::npos) {
        return std::nullopt;
    }
    Champs champs;
    Enveloppe& e = champs.entree.enveloppe;
    Historique& h = champs.entree.historique;
    std::optional<std::size_t> taille;
    std::string_view entete = octets.substr(kVersion.size() + 1, finEntete - kVersion.size());
    while (!entete.empty()) {
        const std::size_t finLigne = entete.find('\n');
        const std::string_view ligne = entete.substr(0, finLigne);
        entete.remove_prefix(finLigne + 1);
        const std::size_t deuxPoints = ligne.find(": ");
        if (deuxPoints == std::string_view::npos) {
            return std::nullopt;
        }
        const std::string_view nom = ligne.substr(0, deuxPoints);
        const std::string valeur = Desechappe(ligne.substr(deuxPoints + 2));
        bool lu = true;
        if (nom == "Configuration") {
            e.configuration = valeur;
        } else if (nom == "Sender") {
            e.expediteur = valeur;
        } else if (nom == "Recipient") {
            e.destinataires.push_back(valeur);
        } else if (nom == "8bit") {
            e.huitBits = valeur == "1";
        } else if (nom == "Notify") {
            e.notify = valeur;
        } else if (nom == "Ret") {
            e.ret = valeur;
        } else if (nom == "Envid") {
            e.envid = valeur;
        } else if (nom == "Created") {
            lu = LitEntier(valeur, h.creation);
        } else if (nom == "Attempts") {
            lu = LitEntier(valeur, h.tentatives);
        } else if (nom == "Next") {
            lu = LitEntier(valeur, h.prochaine);
        } else if (nom == "Reply") {
            h.derniereReponse = valeur;
        } else if (nom == "Writer") {
            lu = LitEntier(valeur, champs.entree.redacteur) && champs.entree.redacteur >= 0;
        } else if (nom == "Notice-Failed") {
            h.avisNonEnvoye = valeur;
        } else if (nom == "Size") {
            taille.emplace();
            lu = LitEntier(valeur, *taille);
        } else {
            lu = false;
        }
        if (!lu) {
            return std::nullopt;
        }
    }
    if (!taille || e.destinataires.empty()) {
        return std::nullopt;
    }
    champs.debutMessage = finEntete + 2;
    champs.tailleMessage = *taille;
    return champs;
}

// Digits enough for any size under the cap, zeros first, so that the size
// of a message written as it comes takes the room kept for it.
constexpr std::size_t kChiffresTaille = 12;
static_assert(kTailleMaxEntree < 1'000'000'000'000);

}  // namespace

std::string Serialise(const Entree& entree) {
    return Entete(entree, std::to_string(entree.message.size())) + entree.message;
}

std::optional<Entree> Deserialise(std::string_view octets) {
    std::optional<Champs> champs = LitEntete(octets);
    if (!champs || octets.size() - champs->debutMessage != champs->tailleMessage) {
        return std::nullopt;
    }
    champs->entree.message = std::string(octets.substr(champs->debutMessage));
    return std::move(champs->entree);
}

bool Depot::Ecrit(std::string_view octets) {
    if (erreur_ == 0 && entete_ + taille_ + octets.size() + kPlaceHistorique > kTailleMaxEntree) {
        erreur_ = EFBIG;
    }
    if (erreur_ == 0) {
        erreur_ = fichier_.Ecrit(octets);
        taille_ += octets.size();
    }
    return erreur_ == 0;
}

bool Depot::Deborde() const noexcept {
    return erreur_ == EFBIG;
}

std::string Depot::Valide() {
    std::string chemin = Chemin(dossier_, id_);
    Verifie(erreur_, "writing", chemin);
    std::string chiffres = std::to_string(taille_);
    chiffres.insert(0, kChiffresTaille - chiffres.size(), '0');
    Verifie(fichier_.Remplace(entete_ - 2 - kChiffresTaille, chiffres), "writing", chemin);
    for (;;) {
        const int erreur = fichier_.Termine(chemin, false);
        if (erreur != EEXIST) {
            Verifie(erreur, "writing", chemin);
            return id_;
        }
        id_ = NouvelId(creation_);
        chemin = Chemin(dossier_, id_);
    }
}

void Prise::Livree() {
    Verifie(plateforme::SupprimeFichierDurable(Chemin(dossier_, entree.id)), "removing",
            Chemin(dossier_, entree.id));
    fichier_.Libere();
}

void Prise::Reporte(const std::string& reponse, std::int64_t prochaine) {
    ++entree.historique.tentatives;
    entree.historique.derniereReponse = reponse;
    entree.historique.prochaine = prochaine;
    const std::string chemin = Chemin(dossier_, entree.id);
    Verifie(plateforme::EcritFichierDurable(chemin, Serialise(entree), true), "writing", chemin);
    fichier_.Libere();
}

void Prise::VerifieAbandon(const std::string& reponse) const {
    // A user who may only drop messages into the machine's spool cannot set
    // one aside: it stays as it is for the runner, refused in turn, to do so.
    if (plateforme::PrepareDossierPrive(dossier_) == EPERM) {
        throw Erreur(ErrPermissionRefusee, reponse + ": left in " + dossier_ + " for its runner");
    }
}

void Prise::Abandonne(const std::string& reponse, const std::string& avisNonEnvoye) {
    VerifieAbandon(reponse);
    ++entree.historique.tentatives;
    entree.historique.derniereReponse = reponse;
    entree.historique.avisNonEnvoye = avisNonEnvoye;
    // Written to failed/ first: a crash in between leaves a copy in both,
    // never in neither.
    const std::string chemin = Chemin(dossier_, entree.id);
    const std::string cible = Chemin(dossier_ + kEchouees, entree.id);
    PrepareSousDossier(dossier_ + kEchouees);
    Verifie(plateforme::EcritFichierDurable(cible, Serialise(entree), true), "writing", cible);
    Verifie(plateforme::SupprimeFichierDurable(chemin), "removing", chemin);
    fichier_.Libere();
}

FileAttente::FileAttente(std::string dossier) : dossier_(std::move(dossier)) {
    if (!dossier_.empty() && dossier_.back() != plateforme::kSeparateur) {
        dossier_ += plateforme::kSeparateur;
    }
}

std::string FileAttente::Depose(const Enveloppe& enveloppe, std::string_view message,
                                std::int64_t maintenant) {
    Depot depot = Commence(enveloppe, {maintenant, 0, maintenant, {}});
    depot.Ecrit(message);
    return depot.Valide();
}

Depot FileAttente::Commence(const Enveloppe& enveloppe, const Historique& historique) {
    // The messages are the user's mail: their folders are theirs only. The
    // machine's spool is made by the package, writable by every user.
    const std::string parent =
        dossier_.substr(0, dossier_.rfind(plateforme::kSeparateur, dossier_.size() - 2));
    if (!parent.empty()) {
        plateforme::CreeDossier(parent);
    }
    if (const int erreur = plateforme::CreeDossierSimple(dossier_); erreur != EEXIST) {
        Verifie(erreur, "creating folder", dossier_);
    }
    Entree entree;
    entree.enveloppe = enveloppe;
    entree.historique = historique;
    entree.redacteur = plateforme::UtilisateurEffectif();
    const std::string entete = Entete(entree, std::string(kChiffresTaille, '0'));
    Depot depot;
    depot.dossier_ = dossier_;
    depot.creation_ = historique.creation;
    depot.id_ = NouvelId(historique.creation);
    depot.entete_ = entete.size();
    const std::string chemin = Chemin(dossier_, depot.id_);
    Verifie(depot.fichier_.Cree(chemin), "writing", chemin);
    if (entete.size() + kPlaceHistorique > kTailleMaxEntree) {
        depot.erreur_ = EFBIG;
    } else {
        depot.erreur_ = depot.fichier_.Ecrit(entete);
    }
    return depot;
}

std::vector<std::string> FileAttente::Identifiants(bool echouees) const {
    const std::string dossier = dossier_ + (echouees ? kEchouees : "");
    std::vector<std::string> ids;
    if (const int erreur = plateforme::NomsDuDossier(dossier, std::string(kExtension), ids);
        erreur != ENOENT) {
        Verifie(erreur, "listing", dossier);
    }
    for (std::string& id : ids) {
        id.resize(id.size() - kExtension.size());
    }
    return ids;
}

std::optional<Entree> FileAttente::Consulte(const std::string& id, bool echouee) const {
    std::string debut;
    std::uint64_t taille = 0;
    if (!IdValide(id) ||
        plateforme::LitDebutSansLien(Chemin(dossier_ + (echouee ? kEchouees : ""), id),
                                     kTailleMaxEntree, "\n\n", debut, taille) != 0) {
        return std::nullopt;
    }
    // A file cut short, in its message too, tells by its size.
    std::optional<Champs> champs = LitEntete(debut);
    if (!champs || taille != champs->debutMessage + std::uint64_t{champs->tailleMessage}) {
        return std::nullopt;
    }
    champs->entree.id = id;
    return std::move(champs->entree);
}

void FileAttente::Nettoie() const {
    constexpr std::int64_t kAge = 10 * 60;
    for (const std::string& dossier : {dossier_, dossier_ + kEchouees}) {
        plateforme::SupprimeEcrituresAbandonnees(dossier, kAge);
    }
}

ResultatPrise FileAttente::Prend(const std::string& id) {
    ResultatPrise resultat;
    const std::string chemin = Chemin(dossier_, id);
    std::string octets;
    const int erreur = resultat.prise.fichier_.Reserve(chemin, kTailleMaxEntree, octets);
    if (erreur == EWOULDBLOCK) {
        resultat.etat = EtatPrise::Occupee;
        return resultat;
    }
    if (erreur == ENOENT) {
        return resultat;
    }
    std::optional<Entree> entree;
    if (erreur == 0 && IdValide(id)) {
        entree = Deserialise(octets);
    }
    // The runner sends what is in the file: a file of a user who did not
    // write it (given away, or another's slipped in) is not sent for them.
    const std::uint32_t proprietaire = resultat.prise.fichier_.Proprietaire();
    if (entree && proprietaire != plateforme::UtilisateurEffectif() &&
        std::cmp_not_equal(proprietaire, entree->redacteur)) {
        entree.reset();
        resultat.proprietaireEtranger = proprietaire;
    }
    if (!entree) {
        // Never sent half, never lost: set aside for a person to look at.
        resultat.etat = EtatPrise::Abimee;
        resultat.raison = erreur != 0 ? plateforme::DescriptionSysteme(erreur) : std::string();
        Verifie(MetDeCote(chemin, dossier_ + kAbimees, id + std::string(kExtension)), "moving",
                chemin);
        resultat.prise.fichier_.Libere();
        return resultat;
    }
    entree->id = id;
    resultat.etat = EtatPrise::Prise;
    resultat.prise.entree = std::move(*entree);
    resultat.prise.dossier_ = dossier_;
    return resultat;
}

bool FileAttente::Retire(const std::string& id) {
    if (!IdValide(id)) {
        return false;
    }
    for (const std::string& dossier : {dossier_, dossier_ + kEchouees}) {
        plateforme::FichierReserve fichier;
        std::string octets;
        if (fichier.Reserve(Chemin(dossier, id), kTailleMaxEntree, octets) == 0) {
            Verifie(plateforme::SupprimeFichierDurable(Chemin(dossier, id)), "removing",
                    Chemin(dossier, id));
            return true;
        }
    }
    return false;
}

bool FileAttente::Reprend(const std::string& id, std::int64_t maintenant) {
    const std::string chemin = Chemin(dossier_ + kEchouees, id);
    plateforme::FichierReserve fichier;
    std::string octets;
    if (!IdValide(id) || fichier.Reserve(chemin, kTailleMaxEntree, octets) != 0) {
        return false;
    }
    std::optional<Entree> entree = Deserialise(octets);
    if (!entree) {
        return false;
    }
    // A new lifetime from now.
    entree->historique.creation = maintenant;
    entree->historique.prochaine = maintenant;
    Verifie(plateforme::EcritFichierDurable(Chemin(dossier_, id), Serialise(*entree), false),
            "writing", Chemin(dossier_, id));
    Verifie(plateforme::SupprimeFichierDurable(chemin), "removing", chemin);
    return true;
}

}  // namespace corvelle::outbox
