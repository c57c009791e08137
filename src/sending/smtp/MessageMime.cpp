#include "sending/smtp/MessageMime.h"

#include <atomic>
#include <chrono>
#include <random>
#include <stdexcept>
#include <unordered_set>
#include <utility>

#include "core/Listes.h"
#include "sending/smtp/Adresses.h"
#include "sending/smtp/EchecEnvoi.h"
#include "sending/smtp/PartiesMime.h"

namespace corvelle::smtp {

namespace {

void AjouteEntete(GMimeMessage* message, const char* nom, const std::string& valeur,
                  const JeuCaracteres& jeu) {
    g_mime_object_append_header(GMIME_OBJECT(message), nom, valeur.c_str(),
                                jeu.NomPour(valeur).c_str());
}

void VerifieOptions(const ContenuMessage& contenu) {
    if (contenu.importance < 0 || contenu.importance > 2) {
        throw EchecEnvoi(GenreEchec::Permanent, "Invalid importance " +
                                                    std::to_string(contenu.importance) +
                                                    " (0 normal, 1 low, 2 high)");
    }
    if (contenu.sensibilite < 0 || contenu.sensibilite > 3) {
        throw EchecEnvoi(GenreEchec::Permanent,
                         "Invalid sensitivity " + std::to_string(contenu.sensibilite) +
                             " (0 normal, 1 personal, 2 private, 3 confidential)");
    }
    if (contenu.notification < 0 || contenu.notification > 3) {
        throw EchecEnvoi(GenreEchec::Permanent, "Invalid notification " +
                                                    std::to_string(contenu.notification) +
                                                    " (0 none, 1 delivery, 2 read, 3 both)");
    }
}

void AjouteOptions(GMimeMessage* message, const ContenuMessage& contenu,
                   const std::string& expediteur, const JeuCaracteres& jeu) {
    static constexpr const char* kImportances[][2] = {{"normal", "3"}, {"low", "5"}, {"high", "1"}};
    static constexpr const char* kSensibilites[] = {nullptr, "Personal", "Private",
                                                    "Company-Confidential"};
    const auto importance = static_cast<std::size_t>(contenu.importance);
    AjouteEntete(message, "Importance", kImportances[importance][0], jeu);
    AjouteEntete(message, "X-Priority", kImportances[importance][1], jeu);
    if (const char* sensibilite = kSensibilites[static_cast<std::size_t>(contenu.sensibilite)]) {
        AjouteEntete(message, "Sensitivity", sensibilite, jeu);
    }
    const std::string boite = "<" + expediteur + ">";
    if (contenu.notification & 1) {
        AjouteEntete(message, "Return-Receipt-To", boite, jeu);
    }
    if (contenu.notification & 2) {
        AjouteEntete(message, "Disposition-Notification-To", boite, jeu);
    }
}

// The envelope's recipients, each mailbox once as the dispatch counts them
// (CleAdresse): someone in both To and Bcc gets the message once.
class Enveloppe {
  public:
    explicit Enveloppe(std::vector<std::string>& boites) : boites_(boites) {}

    void Ajoute(std::vector<std::string>& boites) {
        for (std::string& boite : boites) {
            if (vues_.insert(CleAdresse(boite)).second) {
                boites_.push_back(std::move(boite));
            }
        }
        boites.clear();
    }

  private:
    std::vector<std::string>& boites_;
    std::unordered_set<std::string> vues_;
};

// Fills an address header; an empty list writes no header at all.
void AjouteListe(InternetAddressList* entete, const Adresses& adresses) {
    if (internet_address_list_length(adresses.liste.get()) > 0) {
        internet_address_list_append(entete, adresses.liste.get());
    }
}

std::string Domaine(const std::string& boite) {
    return boite.substr(boite.rfind('@') + 1);
}

// The headers before the recipients (From, Reply-To), once the options and
// the sender are checked; the sender's mailbox goes to `expediteur`.
ObjetG<GMimeMessage> DebutMessage(const ContenuMessage& contenu, const JeuCaracteres& jeu,
                                  std::string& expediteur) {
    InitialiseGMime();
    VerifieOptions(contenu);
    Adresses de = LitAdresses(SansSautDeLigne(contenu.expediteur), jeu, "sender");
    if (de.boites.size() != 1) {
        throw EchecEnvoi(GenreEchec::Permanent,
                         de.boites.empty()
                             ? std::string("No sender address")
                             : "The sender must be one address: \"" + contenu.expediteur + "\"");
    }
    const Adresses reponse = LitAdresses(SansSautDeLigne(contenu.reponse), jeu, "Reply-To");
    ObjetG<GMimeMessage> message(g_mime_message_new(FALSE));
    AjouteListe(g_mime_message_get_from(message.get()), de);
    AjouteListe(g_mime_message_get_reply_to(message.get()), reponse);
    expediteur = std::move(de.boites.front());
    return message;
}

// The headers after the recipients, then the body.
void FinMessage(GMimeMessage* message, const ContenuMessage& contenu, const JeuCaracteres& jeu,
                const std::string& expediteur) {
    const std::string objet = SansSautDeLigne(contenu.objet);
    g_mime_message_set_subject(message, objet.c_str(), jeu.NomPour(objet).c_str());
    const DateG maintenant(g_date_time_new_now_local());
    g_mime_message_set_date(message, maintenant.get());

    const ObjetG<GMimeObject> racine =
        Racine(contenu.texte, contenu.html, contenu.piecesJointes, jeu);
    g_mime_message_set_mime_part(message, racine.get());
    if (!contenu.mailer.empty()) {
        AjouteEntete(message, "X-Mailer", SansSautDeLigne(contenu.mailer), jeu);
    }
    AjouteOptions(message, contenu, expediteur, jeu);
}

void PlaceDestinataires(MessagePret& pret, const ContenuMessage& contenu,
                        const JeuCaracteres& jeu) {
    GMimeMessage* message = pret.message.get();
    const Adresses a = LitAdresses(SansSautDeLigne(contenu.destinataires), jeu, "To");
    const Adresses cc = LitAdresses(SansSautDeLigne(contenu.copie), jeu, "Cc");
    Enveloppe enveloppe(pret.destinataires);
    std::vector<std::string> boites = a.boites;
    enveloppe.Ajoute(boites);
    boites = cc.boites;
    enveloppe.Ajoute(boites);
    AjouteBoites(SansSautDeLigne(contenu.copieCachee), jeu, "Bcc", boites);
    enveloppe.Ajoute(boites);
    if (pret.destinataires.empty()) {
        throw EchecEnvoi(GenreEchec::Permanent,
                         "No recipient: the To, Cc and Bcc lists hold no address");
    }
    AjouteListe(g_mime_message_get_addresses(message, GMIME_ADDRESS_TYPE_TO), a);
    AjouteListe(g_mime_message_get_addresses(message, GMIME_ADDRESS_TYPE_CC), cc);
    g_mime_message_set_message_id(message, NouvelIdentifiant(Domaine(pret.expediteur)).c_str());
}

std::string EnMemoire(GMimeObject* objet) {
    const ObjetG<GMimeStream> memoire(g_mime_stream_mem_new());
    const OptionsFormat options = OptionsSMTP();
    if (g_mime_object_write_to_stream(objet, options.get(), memoire.get()) < 0) {
        throw EchecEnvoi(GenreEchec::Local, "Writing the message failed");
    }
    const GByteArray* octets = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(memoire.get()));
    return {reinterpret_cast<const char*>(octets->data), octets->len};
}

// Base 36, as message identifiers usually are.
void AjouteBase36(std::string& texte, std::uint64_t nombre) {
    char chiffres[16];
    std::size_t n = 0;
    do {
        chiffres[n++] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"[nombre % 36];
        nombre /= 36;
    } while (nombre > 0);
    while (n > 0) {
        texte += chiffres[--n];
    }
}

}  // namespace

std::string NouvelIdentifiant(std::string_view domaine) {
    // A random start drawn once, then a count: unique between processes and
    // within one, without drawing (or a system call) for every message.
    static std::atomic<std::uint64_t> compte = [] {
        std::random_device hasard;
        return (std::uint64_t{hasard()} << 32) ^ hasard();
    }();
    const auto instant = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::system_clock::now().time_since_epoch());
    std::string identifiant;
    identifiant.reserve(32 + domaine.size());
    AjouteBase36(identifiant, static_cast<std::uint64_t>(instant.count()));
    identifiant += '.';
    AjouteBase36(identifiant, compte.fetch_add(1, std::memory_order_relaxed));
    identifiant += '@';
    identifiant += domaine;
    return identifiant;
}

MessagePret ComposeMessage(const ContenuMessage& contenu) {
    const JeuCaracteres jeu(contenu.encodage);
    MessagePret pret;
    pret.message = DebutMessage(contenu, jeu, pret.expediteur);
    PlaceDestinataires(pret, contenu, jeu);
    FinMessage(pret.message.get(), contenu, jeu, pret.expediteur);
    return pret;
}

GabaritMessage::GabaritMessage(const ContenuMessage& contenu)
    : contenu_(contenu), jeu_(contenu.encodage) {
    if (!contenu.piecesJointes.empty()) {
        throw std::logic_error("a message with attachments is streamed, never kept");
    }
    const ObjetG<GMimeMessage> message = DebutMessage(contenu, jeu_, expediteur_);
    domaine_ = Domaine(expediteur_);
    // The recipients take the place of a Message-Id known here, where GMime
    // writes them; nothing before it can hold a line of that text.
    const std::string marque = "corvelle.place-des-destinataires@" + domaine_;
    g_mime_message_set_message_id(message.get(), marque.c_str());
    FinMessage(message.get(), contenu, jeu_, expediteur_);
    std::string octets = EnMemoire(GMIME_OBJECT(message.get()));
    const std::string ligne = "Message-Id: <" + marque + ">\r\n";
    const std::size_t place = octets.find("\r\n" + ligne);
    if (place == std::string::npos || place > octets.find("\r\n\r\n")) {
        throw std::logic_error("the Message-Id is not where GMime writes it");
    }
    avant_ = octets.substr(0, place + 2);
    apres_ = octets.substr(place + 2 + ligne.size());
}

bool GabaritMessage::Convient(const ContenuMessage& c) const {
    const ContenuMessage& g = contenu_;
    return c.piecesJointes.empty() && c.expediteur == g.expediteur && c.reponse == g.reponse &&
           c.objet == g.objet && c.texte == g.texte && c.html == g.html &&
           c.encodage == g.encodage && c.mailer == g.mailer && c.importance == g.importance &&
           c.sensibilite == g.sensibilite && c.notification == g.notification;
}

void GabaritMessage::Redige(const ContenuMessage& contenu, std::string& octets,
                            std::vector<std::string>& enveloppe) const {
    enveloppe.clear();
    Enveloppe sansDoublon(enveloppe);
    std::vector<std::string> boites;
    octets.assign(avant_);
    AjouteEnteteAdresses(octets, "To", SansSautDeLigne(contenu.destinataires), jeu_, boites);
    sansDoublon.Ajoute(boites);
    AjouteEnteteAdresses(octets, "Cc", SansSautDeLigne(contenu.copie), jeu_, boites);
    sansDoublon.Ajoute(boites);
    AjouteBoites(SansSautDeLigne(contenu.copieCachee), jeu_, "Bcc", boites);
    sansDoublon.Ajoute(boites);
    if (enveloppe.empty()) {
        throw EchecEnvoi(GenreEchec::Permanent,
                         "No recipient: the To, Cc and Bcc lists hold no address");
    }
    octets.append("Message-Id: <").append(NouvelIdentifiant(domaine_)).append(">\r\n");
    octets.append(apres_);
}

}  // namespace corvelle::smtp
