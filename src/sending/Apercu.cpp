#include "sending/Apercu.h"

#include <cerrno>
#include <cstdio>
#include <iostream>
#include <sstream>
#include <streambuf>

#include "core/Chemins.h"
#include "core/Plateforme.h"
#include "core/Texte.h"
#include "sending/smtp/ComposantSMTP.h"

namespace corvelle {

namespace {

// The envelope as the transaction would give it, one command a line.
std::string TexteEnveloppe(const ComposantSMTP::Enveloppe& enveloppe) {
    std::string texte = "MAIL FROM:<" + enveloppe.expediteur + ">\n";
    for (const std::string& destinataire : enveloppe.destinataires) {
        texte += "RCPT TO:<" + destinataire + ">\n";
    }
    return texte;
}

// The message goes to its file as it is built, so that large attachments are
// never held whole in memory; the first failure stops the writing.
class TamponFichier : public std::streambuf {
  public:
    explicit TamponFichier(plateforme::FichierNouveau& fichier) : fichier_(fichier) {}
    [[nodiscard]] int Erreur() const noexcept { return erreur_; }

  protected:
    std::streamsize xsputn(const char* octets, std::streamsize taille) override {
        if (erreur_ == 0) {
            erreur_ = fichier_.Ecrit({octets, static_cast<std::size_t>(taille)});
        }
        return erreur_ == 0 ? taille : 0;
    }
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) {
            return traits_type::not_eof(c);
        }
        const char octet = traits_type::to_char_type(c);
        return xsputn(&octet, 1) == 1 ? c : traits_type::eof();
    }

  private:
    plateforme::FichierNouveau& fichier_;
    int erreur_ = 0;
};

ComposantSMTP::Issue EchecFichier(const std::string& chemin, const char* quoi, int erreur) {
    return {false,
            Lisible("The preview file " + chemin + " could not be " + quoi + ": " +
                    plateforme::DescriptionSysteme(erreur)),
            false, 0, GenreEchec::Local};
}

// On standard output the envelope comes first, and is known only once the
// message is built: the message waits in memory.
ComposantSMTP::Issue Affiche(ComposantSMTP& smtp) {
    std::ostringstream message;
    smtp.SetApercu(&message);
    smtp.Envoie();
    smtp.SetApercu(nullptr);
    ComposantSMTP::Issue issue = smtp.Resultat();
    if (!issue.accepte) {
        return issue;
    }
    std::cout << TexteEnveloppe(smtp.EnveloppeConstruite()) << '\n' << message.view();
    if (!message.view().ends_with('\n')) {
        std::cout << "\r\n";
    }
    std::cout << '\n';
    std::cout.flush();
    return issue;
}

}  // namespace

std::string Apercu::Fichier() const {
    char nom[32];
    std::snprintf(nom, sizeof nom, "corvelle-%03zu.eml", numero_);
    return AjouteBarre(dossier_) + nom;
}

ComposantSMTP::Issue Apercu::Ecrit(ComposantSMTP& smtp) {
    ++numero_;
    if (dossier_.empty()) {
        return Affiche(smtp);
    }
    // Never over a file already there: a preview must not destroy anything.
    const std::string chemin = Fichier();
    plateforme::FichierNouveau fichier;
    if (const int erreur = fichier.Cree(chemin); erreur != 0) {
        return EchecFichier(chemin, "created", erreur);
    }
    TamponFichier tampon(fichier);
    std::ostream sortie(&tampon);
    smtp.SetApercu(&sortie);
    smtp.Envoie();
    smtp.SetApercu(nullptr);  // `sortie` ends with this batch
    ComposantSMTP::Issue issue = smtp.Resultat();
    if (tampon.Erreur() != 0) {
        return EchecFichier(chemin, "written", tampon.Erreur());
    }
    if (!issue.accepte) {
        return issue;
    }
    if (const int erreur = fichier.Termine(); erreur != 0) {
        return EchecFichier(chemin, erreur == EEXIST ? "created" : "written", erreur);
    }
    std::cout << chemin << '\n' << TexteEnveloppe(smtp.EnveloppeConstruite()) << '\n';
    std::cout.flush();
    return issue;
}

}  // namespace corvelle
