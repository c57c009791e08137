#include "sending/smtp/PartiesMime.h"

#include <gio/gio.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string_view>
#include <utility>

#include "core/Encodage.h"
#include "sending/smtp/FluxFichier.h"
#include "sending/smtp/FluxOctets.h"

namespace corvelle::smtp {

std::string SansSautDeLigne(std::string texte) {
    std::replace_if(
        texte.begin(), texte.end(), [](char c) { return c == '\r' || c == '\n' || c == '\0'; },
        ' ');
    return texte;
}

namespace {

ObjetG<GMimeObject> EnObjet(gpointer objet) {
    return ObjetG<GMimeObject>(GMIME_OBJECT(objet));
}

void DonneContenu(GMimePart* partie, GMimeStream* flux, GMimeContentEncoding encodage) {
    const ObjetG<GMimeDataWrapper> contenu(
        g_mime_data_wrapper_new_with_stream(flux, GMIME_CONTENT_ENCODING_DEFAULT));
    g_mime_part_set_content(partie, contenu.get());
    g_mime_part_set_content_encoding(partie, encodage);
}

// The text in the chosen charset, converted only while it is written: a large
// body is never held twice. Nothing when the charset lacks a character.
ObjetG<GMimeStream> TexteDansLeJeu(std::string_view texte, const JeuCaracteres& jeu) {
    ObjetG<GMimeStream> flux = FluxSurOctets(texte);
    if (jeu.EstUtf8()) {
        return flux;
    }
    if (!jeu.Accepte(texte)) {
        return nullptr;
    }
    const ObjetG<GMimeFilter> conversion(g_mime_filter_charset_new("utf-8", jeu.Nom().c_str()));
    if (!conversion) {
        return nullptr;
    }
    ObjetG<GMimeStream> converti(g_mime_stream_filter_new(flux.get()));
    g_mime_stream_filter_add(GMIME_STREAM_FILTER(converti.get()), conversion.get());
    return converti;
}

// A text/plain or text/html part, quoted-printable, in the chosen charset when
// every character fits in it, else in UTF-8. It reads `texte` in place.
ObjetG<GMimeObject> PartieTexte(const char* sousType, std::string_view texte,
                                const JeuCaracteres& jeu) {
    ObjetG<GMimeStream> flux = TexteDansLeJeu(texte, jeu);
    const bool converti = flux != nullptr;
    if (!converti) {
        flux = FluxSurOctets(texte);
    }
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

// The file is opened only when the part is written: one file at a time.
ObjetG<GMimeObject> PieceJointe(const FichierJoint& fichier) {
    const ObjetG<GMimeStream> flux = FluxSurFichier(fichier);
    // Linux file names are bytes: one that is not UTF-8 most likely came from
    // a Windows machine, so it is read as Windows-1252 rather than mangled.
    std::string nom = std::filesystem::path(fichier.chemin).filename().string();
    if (!EstUtf8Valide(nom)) {
        nom = Windows1252VersUtf8(nom);
    }
    nom = SansSautDeLigne(std::move(nom));
    const auto [type, sousType] = TypeDevine(nom);
    ObjetG<GMimeObject> partie = EnObjet(g_mime_part_new_with_type(type.c_str(), sousType.c_str()));
    DonneContenu(GMIME_PART(partie.get()), flux.get(), GMIME_CONTENT_ENCODING_BASE64);
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
ObjetG<GMimeObject> Corps(const std::string& texteBrut, const std::string& htmlBrut,
                          const JeuCaracteres& jeu) {
    ObjetG<GMimeObject> texte;
    ObjetG<GMimeObject> html;
    if (!texteBrut.empty()) {
        texte = PartieTexte("plain", texteBrut, jeu);
    }
    if (!htmlBrut.empty()) {
        html = PartieTexte("html", htmlBrut, jeu);
    }
    if (texte && html) {
        ObjetG<GMimeObject> alternative = Multipartie("alternative");
        AjoutePartie(alternative.get(), texte.get());
        AjoutePartie(alternative.get(), html.get());
        return alternative;
    }
    return texte ? std::move(texte) : std::move(html);
}

}  // namespace

ObjetG<GMimeObject> Racine(const std::string& texte, const std::string& html,
                           const std::vector<FichierJoint>& piecesJointes,
                           const JeuCaracteres& jeu) {
    ObjetG<GMimeObject> corps = Corps(texte, html, jeu);
    if (piecesJointes.empty()) {
        return corps ? std::move(corps) : PartieTexte("plain", "", jeu);
    }
    ObjetG<GMimeObject> melange = Multipartie("mixed");
    if (corps) {
        AjoutePartie(melange.get(), corps.get());
    }
    for (const FichierJoint& fichier : piecesJointes) {
        AjoutePartie(melange.get(), PieceJointe(fichier).get());
    }
    return melange;
}

}  // namespace corvelle::smtp
