#include "sending/smtp/AvisNonRemise.h"

#include <algorithm>
#include <cctype>

#include "sending/smtp/EchecEnvoi.h"
#include "sending/smtp/MessageMime.h"
#include "sending/smtp/PartiesMime.h"
#include "sending/smtp/RessourcesGMime.h"

namespace corvelle::smtp {

namespace {

// A header block larger than this is quoted up to its last whole line within
// it: the notice names the message, it need not carry a runaway header.
constexpr std::size_t kEntetesMax = std::size_t{64} << 10;

bool Chiffres(std::string_view texte, std::size_t minimum, std::size_t maximum) {
    return texte.size() >= minimum && texte.size() <= maximum &&
           std::all_of(texte.begin(), texte.end(),
                       [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; });
}

// The enhanced status code (RFC 3463) the reply gives after its own code,
// else one of the reply's class; the given one when there is no reply.
std::string Statut(std::string_view reponse, const std::string& parDefaut) {
    if (reponse.size() < 3 || !Chiffres(reponse.substr(0, 3), 3, 3) ||
        (reponse[0] != '4' && reponse[0] != '5')) {
        return parDefaut;
    }
    std::string_view reste = reponse.substr(std::min<std::size_t>(4, reponse.size()));
    reste = reste.substr(0, reste.find(' '));
    const std::size_t point1 = reste.find('.');
    const std::size_t point2 = reste.find('.', point1 + 1);
    if (point1 == 1 && point2 != std::string_view::npos && reste[0] == reponse[0] &&
        Chiffres(reste.substr(2, point2 - 2), 1, 3) && Chiffres(reste.substr(point2 + 1), 1, 3)) {
        return std::string(reste);
    }
    return std::string(1, reponse[0]) + ".0.0";
}

bool Ascii(std::string_view texte) {
    return std::all_of(texte.begin(), texte.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::string Date(std::int64_t secondes) {
    const DateG date(g_date_time_new_from_unix_local(secondes));
    const TexteG texte(date ? g_mime_utils_header_format_date(date.get()) : nullptr);
    return texte ? texte.get() : std::string();
}

// The fields of RFC 3464 §2.2 and §2.3: the message's, then each
// recipient's, blocks separated by a blank line.
std::string Compte(const AvisNonRemise& avis) {
    std::string texte = "Reporting-MTA: dns; " + SansSautDeLigne(avis.mta) + "\r\n";
    if (!avis.envid.empty()) {
        texte += "Original-Envelope-Id: " + SansSautDeLigne(avis.envid) + "\r\n";
    }
    if (const std::string arrivee = Date(avis.arrivee); !arrivee.empty()) {
        texte += "Arrival-Date: " + arrivee + "\r\n";
    }
    for (const DestinataireNonRemis& d : avis.destinataires) {
        const std::string adresse = SansSautDeLigne(d.adresse);
        // RFC 6533: an address that is not ASCII is of the utf-8 type.
        texte += "\r\nFinal-Recipient: " + std::string(Ascii(adresse) ? "rfc822; " : "utf-8; ") +
                 adresse + "\r\nAction: failed\r\nStatus: " +
                 Statut(d.reponse, avis.expire ? "4.4.7" : "5.0.0") + "\r\n";
        if (!d.reponse.empty()) {
            texte += "Diagnostic-Code: smtp; " + SansSautDeLigne(d.reponse) + "\r\n";
        }
    }
    return texte;
}

std::string_view Entetes(std::string_view message) {
    const std::size_t fin = message.find("\r\n\r\n");
    std::string_view entetes = message.substr(0, fin == std::string_view::npos ? fin : fin + 2);
    if (entetes.size() > kEntetesMax) {
        entetes = entetes.substr(0, entetes.rfind("\r\n", kEntetesMax) + 2);
    }
    return entetes;
}

ObjetG<GMimeObject> Partie(const char* type, const char* sousType, std::string_view octets) {
    ObjetG<GMimeObject> partie(GMIME_OBJECT(g_mime_part_new_with_type(type, sousType)));
    const ObjetG<GMimeStream> flux(g_mime_stream_mem_new_with_buffer(octets.data(), octets.size()));
    const ObjetG<GMimeDataWrapper> contenu(
        g_mime_data_wrapper_new_with_stream(flux.get(), GMIME_CONTENT_ENCODING_DEFAULT));
    g_mime_part_set_content(GMIME_PART(partie.get()), contenu.get());
    return partie;
}

void Ajoute(InternetAddressList* liste, const std::string& texte) {
    const ObjetG<InternetAddressList> lue(internet_address_list_parse(nullptr, texte.c_str()));
    if (lue) {
        internet_address_list_append(liste, lue.get());
    }
}

}  // namespace

std::string RedigeAvisNonRemise(const AvisNonRemise& avis) {
    InitialiseGMime();
    ObjetG<GMimeMessage> message(g_mime_message_new(FALSE));
    Ajoute(g_mime_message_get_from(message.get()), SansSautDeLigne(avis.auteur));
    const ObjetG<InternetAddress> destinataire(
        internet_address_mailbox_new(nullptr, SansSautDeLigne(avis.destinataire).c_str()));
    internet_address_list_add(g_mime_message_get_addresses(message.get(), GMIME_ADDRESS_TYPE_TO),
                              destinataire.get());
    const std::string objet = SansSautDeLigne(avis.objet);
    g_mime_message_set_subject(message.get(), objet.c_str(), "utf-8");
    const DateG maintenant(g_date_time_new_now_local());
    g_mime_message_set_date(message.get(), maintenant.get());
    const std::string auteur = SansSautDeLigne(avis.auteur);
    const std::size_t arobase = auteur.rfind('@');
    std::string domaine = arobase == std::string::npos ? avis.mta : auteur.substr(arobase + 1);
    domaine = domaine.substr(0, domaine.find('>'));
    g_mime_message_set_message_id(message.get(), NouvelIdentifiant(domaine).c_str());
    // RFC 3834: an automatic answer, which no responder answers again.
    g_mime_object_append_header(GMIME_OBJECT(message.get()), "Auto-Submitted", "auto-replied",
                                nullptr);

    const ObjetG<GMimeObject> rapport(GMIME_OBJECT(g_mime_multipart_new_with_subtype("report")));
    g_mime_object_set_content_type_parameter(rapport.get(), "report-type", "delivery-status");
    const ObjetG<GMimeObject> lisible(GMIME_OBJECT(g_mime_text_part_new_with_subtype("plain")));
    g_mime_text_part_set_text(GMIME_TEXT_PART(lisible.get()), avis.explication.c_str());
    const ObjetG<GMimeObject> compte = Partie("message", "delivery-status", Compte(avis));
    const ObjetG<GMimeObject> entetes = Partie("text", "rfc822-headers", Entetes(avis.original));
    for (GMimeObject* partie : {lisible.get(), compte.get(), entetes.get()}) {
        g_mime_multipart_add(GMIME_MULTIPART(rapport.get()), partie);
    }
    g_mime_message_set_mime_part(message.get(), rapport.get());
    // Whatever the relay offers: a long or 8-bit line of a quoted header or
    // reply is encoded rather than refused.
    g_mime_object_encode(GMIME_OBJECT(message.get()), GMIME_ENCODING_CONSTRAINT_7BIT);

    const ObjetG<GMimeStream> memoire(g_mime_stream_mem_new());
    const OptionsFormat options = OptionsSMTP();
    if (g_mime_object_write_to_stream(GMIME_OBJECT(message.get()), options.get(), memoire.get()) <
        0) {
        throw EchecEnvoi(GenreEchec::Local, "Writing the failure notice failed");
    }
    const GByteArray* octets = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(memoire.get()));
    return {reinterpret_cast<const char*>(octets->data), octets->len};
}

}  // namespace corvelle::smtp
