#include "sending/smtp/ComposantSMTP.h"

#include <algorithm>
#include <exception>
#include <map>
#include <optional>
#include <utility>

#include "config/VerificationsAvancees.h"
#include "core/Plateforme.h"
#include "core/Texte.h"
#include "sending/smtp/Adresses.h"
#include "sending/smtp/EchecEnvoi.h"
#include "sending/smtp/EcritureMessage.h"
#include "sending/smtp/MessageMime.h"
#include "sending/smtp/PartiesMime.h"
#include "sending/smtp/Transport.h"

namespace corvelle {

namespace {

constexpr std::int32_t kPortPop3 = 110;
constexpr std::int32_t kPortPop3s = 995;

// Above this size of bodies, a message is written for each batch while it is
// sent, as one with attachments is: kept whole, it would cost several times
// its bodies (their encoded bytes, then each batch's copy).
constexpr std::size_t kCorpsGabaritMax = std::size_t{4} << 20;

bool CorpsVolumineux(const smtp::ContenuMessage& message) {
    return message.texte.size() + message.html.size() > kCorpsGabaritMax;
}

// The caller takes a status ending with "session closed" or "connection
// closed" for an accepted message, so a failure must never end that way,
// whatever the server or libcurl said last.
std::string TexteEchec(std::string texte) {
    const std::string minuscules = Minuscules(texte);
    for (const std::string_view fin : {"session closed", "connection closed"}) {
        if (minuscules.size() >= fin.size() &&
            minuscules.compare(minuscules.size() - fin.size(), fin.size(), fin) == 0) {
            texte += " (message not sent)";
        }
    }
    return texte.empty() ? std::string("Sending failed") : texte;
}

// The size of a message written while it goes, declared with SIZE so that a
// server too small for it refuses before its content is sent: its bodies and
// files as base64 in lines of 76, with room for the headers of each part.
std::size_t TailleEstimee(const smtp::ContenuMessage& message) {
    const auto base64 = [](std::size_t octets) {
        const std::size_t code = (octets + 2) / 3 * 4;
        return code + (code / 76 + 1) * 2;
    };
    constexpr std::size_t kEntetes = 1024;
    std::size_t destinataires =
        message.lot ? 0 : message.destinataires.size() + message.copie.size();
    if (message.lot) {
        // Each address with its name, quotes and separator.
        for (const ListeAdresses* liste : {&message.lot->a, &message.lot->copie}) {
            for (const Adresse& adresse : *liste) {
                destinataires += adresse.nom.size() + adresse.boite.size() + 8;
            }
        }
    }
    std::size_t taille = kEntetes +
                         2 * (message.expediteur.size() + message.reponse.size() + destinataires +
                              message.objet.size()) +
                         base64(message.texte.size()) + base64(message.html.size());
    for (const smtp::FichierJoint& joint : message.piecesJointes) {
        taille +=
            kEntetes / 2 + 2 * joint.chemin.size() +
            base64(static_cast<std::size_t>(std::max<std::int64_t>(0, joint.identite.taille)));
    }
    return taille;
}

}  // namespace

struct ComposantSMTP::Impl {
    std::vector<std::string> piecesJointes;
    std::vector<std::string> extras;
    smtp::ContenuMessage contenu;
    smtp::ReglagesServeur reglages;
    std::string expediteurEnveloppe;
    std::string serveurPop;
    std::optional<oauth::SourceJetons> jetons;
    ComposantSMTP::Issue issue;
    std::optional<smtp::TraceSMTP> trace;
    // Made at the first send and kept, with its open connection, for the next.
    std::unique_ptr<smtp::SessionSMTP> session;
    // The last message without attachments, kept for the next batch, which
    // only changes its recipients; its bytes and envelope, their memory kept.
    std::optional<smtp::GabaritMessage> gabarit;
    std::string octets;
    smtp::Enveloppe enveloppe;
    // Each file as it was the first time it was attached: the batches of a
    // dispatch all carry the same bytes, or fail.
    std::map<std::string, plateforme::IdentiteFichier> fichiersVus;
    std::ostream* apercu = nullptr;
    std::function<void(const ComposantSMTP::Enveloppe&)> avantApercu;
    std::optional<ComposantSMTP::Relais> relais;
    smtp::IdLot prochainLot = 0;  // for single sends, which name no batch

    [[nodiscard]] std::vector<smtp::FichierJoint> Joints(std::vector<std::string> pieces);
    [[nodiscard]] std::string NomEhlo() const;
    [[nodiscard]] std::vector<smtp::Verdict> Transmet(const smtp::ContenuMessage& message,
                                                      smtp::IdLot lot, smtp::Suite suite);
    [[nodiscard]] std::vector<ComposantSMTP::Issue> Envoie(smtp::IdLot lot, smtp::Suite suite);
    [[nodiscard]] std::vector<ComposantSMTP::Issue> Conclut(bool quitte);
    void ConnectePop3() const;
    [[nodiscard]] std::string JetonOAuth();
    [[nodiscard]] std::vector<smtp::Verdict> EnvoieOAuth(smtp::ReglagesServeur serveur,
                                                         smtp::IdLot lot,
                                                         smtp::SourceMessage source,
                                                         smtp::Suite suite);
};

void ComposantSMTP::Impl::ConnectePop3() const {
    const auto [hote, port] =
        smtp::HoteEtPort(Elague(serveurPop), reglages.ssl ? kPortPop3s : kPortPop3);
    smtp::ReglagesServeur pop = reglages;
    pop.hote = hote;
    pop.port = port;
    pop.confiance.empreinte.clear();  // another server, another certificate
    if (const std::optional<Defaillance> echec = smtp::ConnexionPop3(pop)) {
        throw smtp::EchecEnvoi(echec->genre, echec->texte);
    }
}

// The token for this session, fetched only when the one in hand expires.
std::string ComposantSMTP::Impl::JetonOAuth() {
    if (!jetons) {
        throw smtp::EchecEnvoi(GenreEchec::Configuration,
                               "OAuth2 is chosen but no token source is set");
    }
    ResultatEnvoi<std::string> jeton = jetons->Jeton(reglages.timeoutMs);
    if (!jeton.Reussi()) {
        throw smtp::EchecEnvoi(jeton.Erreur().genre, jeton.Erreur().texte);
    }
    return std::move(jeton.Valeur());
}

// The name given, or the host's full one; a name that EHLO cannot carry
// (a stored record edited by hand) fails the send rather than going out cut.
std::string ComposantSMTP::Impl::NomEhlo() const {
    if (reglages.nomEhlo.empty()) {
        return plateforme::NomHoteQualifie();
    }
    if (!NomEhloValide(reglages.nomEhlo)) {
        throw smtp::EchecEnvoi(GenreEchec::Configuration,
                               "Invalid EHLO name: \"" + reglages.nomEhlo + "\"");
    }
    return reglages.nomEhlo;
}

namespace {

// The envelope's sender, when it is not the From address: one mailbox,
// read as the sender is, so a list or a typo never reaches MAIL FROM.
std::string EnveloppeDe(const std::string& adresse, const std::string& encodage) {
    const smtp::Adresses lue = smtp::LitAdresses(smtp::SansSautDeLigne(adresse),
                                                 smtp::JeuCaracteres(encodage), "envelope sender");
    if (lue.boites.size() != 1) {
        throw smtp::EchecEnvoi(GenreEchec::Configuration,
                               "The envelope sender must be one address: \"" + adresse + "\"");
    }
    return lue.boites.front();
}

}  // namespace

std::vector<smtp::FichierJoint> ComposantSMTP::Impl::Joints(std::vector<std::string> pieces) {
    std::vector<smtp::FichierJoint> joints;
    for (std::string& chemin : pieces) {
        const auto vu = fichiersVus.find(chemin);
        smtp::FichierJoint joint{std::move(chemin), {}};
        if (vu == fichiersVus.end()) {
            joint.identite = smtp::ReleveFichier(joint.chemin);
            fichiersVus.emplace(joint.chemin, joint.identite);
        } else {
            joint.identite = vu->second;
            // Before any connection; the writing checks again, as it reads.
            smtp::VerifieFichier(joint);
        }
        joints.push_back(std::move(joint));
    }
    return joints;
}

namespace {

// Every status leaves here, with whatever the server or a file name put in
// it: escaped, it can neither add a line to the log nor drive a terminal.
ComposantSMTP::Issue Pour(const smtp::Verdict& verdict) {
    const smtp::Issue& envoi = verdict.issue;
    std::string statut = Lisible(envoi.statut);
    std::vector<DestinataireRefuse> refuses = envoi.refuses;
    for (DestinataireRefuse& refus : refuses) {
        refus.reponse = Lisible(refus.reponse);
    }
    return {envoi.accepte,     envoi.accepte ? std::move(statut) : TexteEchec(std::move(statut)),
            envoi.partiel,     verdict.lot,
            envoi.genre,       Lisible(envoi.reponse),
            std::move(refuses)};
}

// The verdict of batch `lot` among others, if it is there.
smtp::Issue* VerdictDe(std::vector<smtp::Verdict>& verdicts, smtp::IdLot lot) {
    const auto trouve = std::find_if(verdicts.begin(), verdicts.end(),
                                     [lot](const smtp::Verdict& v) { return v.lot == lot; });
    return trouve == verdicts.end() ? nullptr : &trouve->issue;
}

}  // namespace

std::vector<ComposantSMTP::Issue> ComposantSMTP::Impl::Conclut(bool quitte) {
    std::vector<ComposantSMTP::Issue> verdicts;
    if (session) {
        for (const smtp::Verdict& verdict : session->Conclut(quitte)) {
            verdicts.push_back(Pour(verdict));
        }
    }
    return verdicts;
}

std::vector<ComposantSMTP::Issue> ComposantSMTP::Impl::Envoie(smtp::IdLot lot, smtp::Suite suite) {
    // Emptied by every send, whatever its outcome: the caller adds the files
    // again for the next message.
    std::vector<std::string> pieces = std::exchange(piecesJointes, {});
    std::string echec;
    GenreEchec genre = GenreEchec::Local;
    try {
        if (reglages.authentification < 0 || reglages.authentification > 4) {
            throw smtp::EchecEnvoi(GenreEchec::Configuration,
                                   "Invalid authentication mode " +
                                       std::to_string(reglages.authentification) +
                                       " (0 none, 1 POP3 before SMTP, 2 login, 3 plain, 4 OAuth2)");
        }
        // Completed in place rather than copied: the bodies may be large.
        contenu.piecesJointes = Joints(std::move(pieces));
        contenu.mailer = extras.empty() ? std::string() : extras.front();
        std::vector<ComposantSMTP::Issue> verdicts;
        for (const smtp::Verdict& verdict : Transmet(contenu, lot, suite)) {
            verdicts.push_back(Pour(verdict));
        }
        return verdicts;
    } catch (const smtp::EchecEnvoi& e) {
        echec = e.what();
        genre = e.Genre();
    } catch (const std::exception& e) {
        // Out of memory, or a library's failure: this machine's.
        echec = std::string("Sending failed: ") + e.what();
    }
    // Failed before reaching the session: an earlier message's verdict may
    // still be owed, and comes later.
    return {{false, TexteEchec(Lisible(echec)), false, lot, genre}};
}

// Builds the message, then sends it. A message with attachments or large
// bodies is built for this send and written while it goes; any other is
// written once for a dispatch's batches.
std::vector<smtp::Verdict> ComposantSMTP::Impl::Transmet(const smtp::ContenuMessage& message,
                                                         smtp::IdLot lot, smtp::Suite suite) {
    smtp::MessagePret pret;
    smtp::SourceMessage source;
    if (relais) {
        source = relais->octets;
        enveloppe = {relais->expediteur, relais->destinataires, false,       std::nullopt,
                     relais->huitBits,   relais->notify,        relais->ret, relais->envid};
    } else if (!message.piecesJointes.empty() || CorpsVolumineux(message)) {
        gabarit.reset();
        pret = smtp::ComposeMessage(message);
        source = GMIME_OBJECT(pret.message.get());
        enveloppe.expediteur = pret.expediteur;
        enveloppe.destinataires = std::move(pret.destinataires);
        enveloppe.taille = TailleEstimee(message);
    } else {
        if (!gabarit || !gabarit->Convient(message)) {
            gabarit.reset();  // a message that fails to build leaves nothing behind
            gabarit.emplace(message);
        }
        gabarit->Redige(message, octets, enveloppe.destinataires);
        enveloppe.expediteur = gabarit->Expediteur();
        source = std::string_view(octets);
        enveloppe.taille.reset();
    }
    // A relayed message names its own envelope sender (-f), the
    // configuration's only in its absence.
    if (!relais && !expediteurEnveloppe.empty()) {
        enveloppe.expediteur = EnveloppeDe(expediteurEnveloppe, message.encodage);
    }
    // Delivery receipts (1 or 3) also ask the servers for delivery notices.
    enveloppe.accuses = !relais && (message.notification == 1 || message.notification == 3);
    if (apercu) {
        if (avantApercu) {
            avantApercu({enveloppe.expediteur, enveloppe.destinataires, enveloppe.accuses});
        }
        return {{lot, smtp::EcritMessage(source, *apercu), nullptr}};
    }
    if (reglages.authentification == 1) {
        ConnectePop3();
    }
    if (!session) {
        session = std::make_unique<smtp::SessionSMTP>(trace ? &*trace : nullptr);
    }
    smtp::ReglagesServeur serveur = reglages;
    serveur.hote = Elague(serveur.hote);
    serveur.nomEhlo = NomEhlo();
    if (serveur.authentification == 4) {
        return EnvoieOAuth(std::move(serveur), lot, source, suite);
    }
    return session->Envoie(serveur, lot, enveloppe, source, suite);
}

// A token the server refuses is never used again. One that was not just
// issued (revoked before it expired, or issued before the client's rights
// changed) gives way at once to a new one: nothing was sent.
std::vector<smtp::Verdict> ComposantSMTP::Impl::EnvoieOAuth(smtp::ReglagesServeur serveur,
                                                            smtp::IdLot lot,
                                                            smtp::SourceMessage source,
                                                            smtp::Suite suite) {
    serveur.jeton = JetonOAuth();
    std::vector<smtp::Verdict> verdicts = session->Envoie(serveur, lot, enveloppe, source, suite);
    smtp::Issue* refus = VerdictDe(verdicts, lot);
    if (!refus || !refus->loginRefuse || !jetons->Oublie()) {
        return verdicts;
    }
    ResultatEnvoi<std::string> nouveau = jetons->Jeton(reglages.timeoutMs);
    if (!nouveau.Reussi()) {
        refus->statut += "; then, asking for a new token: " + nouveau.Erreur().texte;
        return verdicts;
    }
    std::erase_if(verdicts, [lot](const smtp::Verdict& v) { return v.lot == lot; });
    if (trace) {
        trace->Info("The server refused the token: logging in again with a new one");
    }
    serveur.jeton = std::move(nouveau.Valeur());
    for (smtp::Verdict& verdict : session->Envoie(serveur, lot, enveloppe, source, suite)) {
        verdicts.push_back(std::move(verdict));
    }
    if (const smtp::Issue* encore = VerdictDe(verdicts, lot); encore && encore->loginRefuse) {
        (void)jetons->Oublie();
    }
    return verdicts;
}

ComposantSMTP::ComposantSMTP() : d_(std::make_unique<Impl>()) {}

void ComposantSMTP::SetRelais(std::optional<Relais> relais) {
    d_->relais = std::move(relais);
}

ComposantSMTP::~ComposantSMTP() = default;

std::vector<std::string>& ComposantSMTP::PiecesJointes() {
    return d_->piecesJointes;
}

std::vector<std::string>& ComposantSMTP::Extras() {
    return d_->extras;
}

void ComposantSMTP::SetAuthentification(std::int32_t mode) {
    d_->reglages.authentification = mode;
}

std::int32_t ComposantSMTP::Authentification() const {
    return d_->reglages.authentification;
}

void ComposantSMTP::SetDestinataires(std::string liste) {
    d_->contenu.destinataires = std::move(liste);
    d_->contenu.lot.reset();
}

void ComposantSMTP::SetCopie(std::string liste) {
    d_->contenu.copie = std::move(liste);
    d_->contenu.lot.reset();
}

void ComposantSMTP::SetCopieCachee(std::string liste) {
    d_->contenu.copieCachee = std::move(liste);
    d_->contenu.lot.reset();
}

void ComposantSMTP::SetLot(AdressesLot lot) {
    d_->contenu.lot = std::move(lot);
}

void ComposantSMTP::SetEncodage(std::string charset) {
    d_->contenu.encodage = std::move(charset);
}

void ComposantSMTP::SetImportance(std::int32_t importance) {
    d_->contenu.importance = importance;
}

void ComposantSMTP::SetNotification(std::int32_t notification) {
    d_->contenu.notification = notification;
}

void ComposantSMTP::SetSensibilite(std::int32_t sensibilite) {
    d_->contenu.sensibilite = sensibilite;
}

void ComposantSMTP::SetExpediteur(std::string expediteur) {
    d_->contenu.expediteur = std::move(expediteur);
}

void ComposantSMTP::SetExpediteurEnveloppe(std::string adresse) {
    d_->expediteurEnveloppe = std::move(adresse);
}

void ComposantSMTP::SetEntetes(smtp::EntetesLibres entetes) {
    d_->contenu.entetes = std::move(entetes);
}

void ComposantSMTP::SetReponse(std::string reponse) {
    d_->contenu.reponse = std::move(reponse);
}

void ComposantSMTP::SetObjet(std::string objet) {
    d_->contenu.objet = std::move(objet);
}

void ComposantSMTP::SetCorpsTexte(std::string texte) {
    d_->contenu.texte = std::move(texte);
}

void ComposantSMTP::SetCorpsHTML(std::string html) {
    d_->contenu.html = std::move(html);
}

void ComposantSMTP::SetUtilisateur(std::string utilisateur) {
    d_->reglages.utilisateur = std::move(utilisateur);
}

void ComposantSMTP::SetMotDePasse(std::string motDePasse) {
    d_->reglages.motDePasse = std::move(motDePasse);
}

void ComposantSMTP::SetServeurPop(std::string serveur) {
    d_->serveurPop = std::move(serveur);
}

void ComposantSMTP::SetOAuth(oauth::ReglagesOAuth reglages) {
    d_->jetons.emplace(std::move(reglages));
}

void ComposantSMTP::SetServeur(std::string serveur) {
    d_->reglages.hote = std::move(serveur);
}

void ComposantSMTP::SetPort(std::int32_t port) {
    d_->reglages.port = port;
}

void ComposantSMTP::SetSSL(bool ssl) {
    d_->reglages.ssl = ssl;
}

void ComposantSMTP::SetConfianceTLS(smtp::ConfianceTLS confiance) {
    d_->reglages.confiance = std::move(confiance);
}

void ComposantSMTP::SetNomEhlo(std::string nom) {
    d_->reglages.nomEhlo = std::move(nom);
}

void ComposantSMTP::SetTimeout(std::int32_t millisecondes) {
    d_->reglages.timeoutMs = millisecondes;
}

void ComposantSMTP::SetTrace(std::function<void(std::string_view)> sortie) {
    d_->trace.emplace(std::move(sortie));
}

void ComposantSMTP::Envoie() {
    // Nothing is left owed: the message's own verdict is there.
    const smtp::IdLot lot = d_->prochainLot++;
    d_->issue = {false, "Sending failed"};
    for (ComposantSMTP::Issue& verdict : d_->Envoie(lot, smtp::Suite::Seul)) {
        if (verdict.lot == lot) {
            d_->issue = std::move(verdict);
        }
    }
}

std::vector<ComposantSMTP::Issue> ComposantSMTP::EnvoieEnSerie(std::uint64_t lot, bool dernier) {
    return d_->Envoie(lot, dernier ? smtp::Suite::FinDeSerie : smtp::Suite::Serie);
}

std::vector<ComposantSMTP::Issue> ComposantSMTP::Attend() {
    return d_->Conclut(false);
}

std::vector<ComposantSMTP::Issue> ComposantSMTP::Termine() {
    return d_->Conclut(true);
}

std::string ComposantSMTP::Statut() const {
    return d_->issue.statut;
}

const ComposantSMTP::Issue& ComposantSMTP::Resultat() const {
    return d_->issue;
}

void ComposantSMTP::SetApercu(std::ostream* sortie, std::function<void(const Enveloppe&)> avant) {
    d_->apercu = sortie;
    d_->avantApercu = std::move(avant);
}

ComposantSMTP::Enveloppe ComposantSMTP::EnveloppeConstruite() const {
    return {d_->enveloppe.expediteur, d_->enveloppe.destinataires, d_->enveloppe.accuses};
}

}  // namespace corvelle
