#include "sending/smtp/MessageMime.h"

#include <gio/gio.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <utility>

#include "sending/smtp/Adresses.h"
#include "sending/smtp/EchecEnvoi.h"
#include "sending/smtp/JeuCaracteres.h"

namespace corvelle::smtp {

namespace {

// A CR or LF in a header value would end the header there and let the rest of
// the value start headers of its own (header injection); a NUL would cut the
// value short in the C library. Each becomes a space.
std::string SansSautDeLigne(std::string texte) {
    std::replace_if(
        texte.begin(), texte.end(), [](char c) { return c == '\r' || c == '\n' || c == '\0'; },
        ' ');
    return texte;
}

ObjetG<GMimeObject> EnObjet(gpointer objet) {
    return ObjetG<GMimeObject>(GMIME_OBJECT(objet));
}

void DonneContenu(GMimePart* partie, GMimeStream* flux, GMimeContentEncoding encodage) {
    const ObjetG<GMimeDataWrapper> contenu(
        g_mime_data_wrapper_new_with_stream(flux, GMIME_CONTENT_ENCODING_DEFAULT));
    g_mime_part_set_content(partie, contenu.get());
    g_mime_part_set_content_encoding(partie, encodage);
}

// A text/plain or text/html part, quoted-printable, in the chosen charset when
// every character fits in it, else in UTF-8.
ObjetG<GMimeObject> PartieTexte(const char* sousType, const std::string& texte,
                                const JeuCaracteres& jeu) {
    const std::optional<std::string> converti = jeu.Convertit(texte);
    const std::string& octets = converti ? *converti : texte;
    const ObjetG<GMimeStream> flux(g_mime_stream_mem_new_with_buffer(octets.data(), octets.size()));
    ObjetG<GMimeObject> partie = EnObjet(g_mime_text_part_new_with_subtype(sousType));
    DonneContenu(GMIME_PART(partie.get()), flux.get(), GMIME_CONTENT_ENCODING_QUOTEDPRINTABLE);
    g_mime_object_set_content_type_parameter(partie.get(), "charset",
                                             converti ? jeu.Nom().c_str() : "utf-8");
    return partie;
}

// Media type from the file name; application/octet-stream when nothing fits.
std::pair<std::string, std::string> TypeDevine(const std::string& nom) {
    gboolean incertain = FALSE;
    const TexteG type(g_content_type_guess(nom.c_str(), nullptr, 0, &incertain));
    // GIO's content types are media types on Linux, not on every system.
    const TexteG media(type ? g_content_type_get_mime_type(type.get()) : nullptr);
    const std::string texte = media ? media.get() : "";
    const std::size_t barre = texte.find('/');
    if (barre == std::string::npos || barre == 0 || barre + 1 == texte.size()) {
        return {"application", "octet-stream"};
    }
    return {texte.substr(0, barre), texte.substr(barre + 1)};
}

ObjetG<GMimeObject> PieceJointe(const std::string& chemin) {
    // A device or a named pipe could be endless or block the writer for good:
    // only regular files (or links to them) are attached.
    std::error_code ec;
    const std::filesystem::file_status etat = std::filesystem::status(chemin, ec);
    if (std::filesystem::is_directory(etat)) {
        throw EchecEnvoi("Cannot attach \"" + chemin + "\": it is a folder");
    }
    if (std::filesystem::exists(etat) && !std::filesystem::is_regular_file(etat)) {
        throw EchecEnvoi("Cannot attach \"" + chemin + "\": not a regular file");
    }
    GError* brute = nullptr;
    const ObjetG<GMimeStream> fichier(g_mime_stream_file_open(chemin.c_str(), "rb", &brute));
    const ErreurG erreur(brute);
    if (!fichier) {
        throw EchecEnvoi("Cannot open the attachment \"" + chemin +
                         "\": " + (erreur ? erreur->message : "unknown error"));
    }
    const std::string nom = SansSautDeLigne(std::filesystem::path(chemin).filename().string());
    const auto [type, sousType] = TypeDevine(nom);
    ObjetG<GMimeObject> partie = EnObjet(g_mime_part_new_with_type(type.c_str(), sousType.c_str()));
    DonneContenu(GMIME_PART(partie.get()), fichier.get(), GMIME_CONTENT_ENCODING_BASE64);
    // Written as RFC 2231 parameters when the name is not plain ASCII.
    g_mime_part_set_filename(GMIME_PART(partie.get()), nom.c_str());
    return partie;
}

ObjetG<GMimeObject> Multipartie(const char* sousType) {
    return EnObjet(g_mime_multipart_new_with_subtype(sousType));
}

void AjoutePartie(GMimeObject* multipartie, GMimeObject* partie) {
    g_mime_multipart_add(GMIME_MULTIPART(multipartie), partie);
}

// The body: text, HTML, both as alternatives, or nothing.
ObjetG<GMimeObject> Corps(const ContenuMessage& contenu, const JeuCaracteres& jeu) {
    ObjetG<GMimeObject> texte;
    ObjetG<GMimeObject> html;
    if (!contenu.texte.empty()) {
        texte = PartieTexte("plain", contenu.texte, jeu);
    }
    if (!contenu.html.empty()) {
        html = PartieTexte("html", contenu.html, jeu);
    }
    if (texte && html) {
        ObjetG<GMimeObject> alternative = Multipartie("alternative");
        AjoutePartie(alternative.get(), texte.get());
        AjoutePartie(alternative.get(), html.get());
        return alternative;
    }
    return texte ? std::move(texte) : std::move(html);
}

ObjetG<GMimeObject> Racine(const ContenuMessage& contenu, const JeuCaracteres& jeu) {
    ObjetG<GMimeObject> corps = Corps(contenu, jeu);
    if (contenu.piecesJointes.empty()) {
        return corps ? std::move(corps) : PartieTexte("plain", "", jeu);
    }
    ObjetG<GMimeObject> melange = Multipartie("mixed");
    if (corps) {
        AjoutePartie(melange.get(), corps.get());
    }
    for (const std::string& chemin : contenu.piecesJointes) {
        AjoutePartie(melange.get(), PieceJointe(chemin).get());
    }
    return melange;
}

void AjouteEntete(GMimeMessage* message, const char* nom, const std::string& valeur,
                  const JeuCaracteres& jeu) {
    g_mime_object_append_header(GMIME_OBJECT(message), nom, valeur.c_str(),
                                jeu.NomPour(valeur).c_str());
}

void VerifieOptions(const ContenuMessage& contenu) {
    if (contenu.importance < 0 || contenu.importance > 2) {
        throw EchecEnvoi("Invalid importance " + std::to_string(contenu.importance) +
                         " (0 normal, 1 low, 2 high)");
    }
    if (contenu.sensibilite < 0 || contenu.sensibilite > 3) {
        throw EchecEnvoi("Invalid sensitivity " + std::to_string(contenu.sensibilite) +
                         " (0 normal, 1 personal, 2 private, 3 confidential)");
    }
    if (contenu.notification < 0 || contenu.notification > 3) {
        throw EchecEnvoi("Invalid notification " + std::to_string(contenu.notification) +
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

void AjouteDestinataires(std::vector<std::string>& enveloppe, std::vector<std::string> boites) {
    for (std::string& boite : boites) {
        // Someone in both To and Bcc gets the message once.
        if (std::find(enveloppe.begin(), enveloppe.end(), boite) == enveloppe.end()) {
            enveloppe.push_back(std::move(boite));
        }
    }
}

// Fills an address header; an empty list writes no header at all.
void AjouteListe(InternetAddressList* entete, const Adresses& adresses) {
    if (internet_address_list_length(adresses.liste.get()) > 0) {
        internet_address_list_append(entete, adresses.liste.get());
    }
}

}  // namespace

bool MemeMessageHorsDestinataires(const ContenuMessage& a, const ContenuMessage& b) {
    return a.expediteur == b.expediteur && a.reponse == b.reponse && a.objet == b.objet &&
           a.texte == b.texte && a.html == b.html && a.encodage == b.encodage &&
           a.mailer == b.mailer && a.importance == b.importance && a.sensibilite == b.sensibilite &&
           a.notification == b.notification;
}

namespace {

struct Destinataires {
    Adresses a;
    Adresses cc;
    std::vector<std::string> enveloppe;  // RCPT TO: To, Cc and Bcc
};

Destinataires LitDestinataires(const ContenuMessage& contenu, const JeuCaracteres& jeu) {
    Destinataires d{LitAdresses(SansSautDeLigne(contenu.destinataires), jeu, "To"),
                    LitAdresses(SansSautDeLigne(contenu.copie), jeu, "Cc"),
                    {}};
    Adresses cci = LitAdresses(SansSautDeLigne(contenu.copieCachee), jeu, "Bcc");
    AjouteDestinataires(d.enveloppe, d.a.boites);
    AjouteDestinataires(d.enveloppe, d.cc.boites);
    AjouteDestinataires(d.enveloppe, cci.boites);
    if (d.enveloppe.empty()) {
        throw EchecEnvoi("No recipient: the To, Cc and Bcc lists hold no address");
    }
    return d;
}

void PlaceDestinataires(MessagePret& pret, Destinataires destinataires) {
    GMimeMessage* message = pret.message.get();
    InternetAddressList* a = g_mime_message_get_addresses(message, GMIME_ADDRESS_TYPE_TO);
    InternetAddressList* cc = g_mime_message_get_addresses(message, GMIME_ADDRESS_TYPE_CC);
    internet_address_list_clear(a);
    internet_address_list_clear(cc);
    AjouteListe(a, destinataires.a);
    AjouteListe(cc, destinataires.cc);
    pret.destinataires = std::move(destinataires.enveloppe);
    // Each message of a dispatch is a message of its own.
    const std::string domaine = pret.expediteur.substr(pret.expediteur.rfind('@') + 1);
    const TexteG identifiant(g_mime_utils_generate_message_id(domaine.c_str()));
    g_mime_message_set_message_id(message, identifiant.get());
}

}  // namespace

void ChangeDestinataires(MessagePret& pret, const ContenuMessage& contenu) {
    PlaceDestinataires(pret, LitDestinataires(contenu, JeuCaracteres(contenu.encodage)));
}

MessagePret ComposeMessage(const ContenuMessage& contenu) {
    InitialiseGMime();
    VerifieOptions(contenu);
    const JeuCaracteres jeu(contenu.encodage);

    Adresses expediteur = LitAdresses(SansSautDeLigne(contenu.expediteur), jeu, "sender");
    if (expediteur.boites.size() != 1) {
        throw EchecEnvoi(expediteur.boites.empty()
                             ? std::string("No sender address")
                             : "The sender must be one address: \"" + contenu.expediteur + "\"");
    }
    Adresses reponse = LitAdresses(SansSautDeLigne(contenu.reponse), jeu, "Reply-To");
    Destinataires destinataires = LitDestinataires(contenu, jeu);

    MessagePret pret{
        ObjetG<GMimeMessage>(g_mime_message_new(FALSE)), expediteur.boites.front(), {}};
    GMimeMessage* message = pret.message.get();
    AjouteListe(g_mime_message_get_from(message), expediteur);
    AjouteListe(g_mime_message_get_reply_to(message), reponse);
    PlaceDestinataires(pret, std::move(destinataires));
    const std::string objet = SansSautDeLigne(contenu.objet);
    g_mime_message_set_subject(message, objet.c_str(), jeu.NomPour(objet).c_str());
    const DateG maintenant(g_date_time_new_now_local());
    g_mime_message_set_date(message, maintenant.get());

    const ObjetG<GMimeObject> racine = Racine(contenu, jeu);
    g_mime_message_set_mime_part(message, racine.get());
    if (!contenu.mailer.empty()) {
        AjouteEntete(message, "X-Mailer", SansSautDeLigne(contenu.mailer), jeu);
    }
    AjouteOptions(message, contenu, pret.expediteur, jeu);
    return pret;
}

}  // namespace corvelle::smtp
