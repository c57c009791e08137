#include "sending/Apercu.h"

#include <cerrno>
#include <cstdio>
#include <iostream>
#include <memory>
#include <sstream>

#include "core/Chemins.h"
#include "core/Plateforme.h"
#include "sending/smtp/ComposantSMTP.h"

namespace corvelle {

namespace {

struct FermeFichier {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

// The envelope as the transaction would give it, one command a line.
std::string TexteEnveloppe(const ComposantSMTP::Enveloppe& enveloppe) {
    std::string texte = "MAIL FROM:<" + enveloppe.expediteur + ">\n";
    for (const std::string& destinataire : enveloppe.destinataires) {
        texte += "RCPT TO:<" + destinataire + ">\n";
    }
    return texte;
}

// Never over a file already there: a preview must not destroy anything.
std::string Enregistre(const std::string& chemin, std::string_view octets) {
    const std::unique_ptr<std::FILE, FermeFichier> fichier(std::fopen(chemin.c_str(), "wbx"));
    if (!fichier) {
        return "The preview file " + chemin +
               " could not be created: " + plateforme::DescriptionSysteme(errno);
    }
    if (std::fwrite(octets.data(), 1, octets.size(), fichier.get()) != octets.size() ||
        std::fflush(fichier.get()) != 0) {
        return "The preview file " + chemin +
               " could not be written: " + plateforme::DescriptionSysteme(errno);
    }
    return {};
}

}  // namespace

std::string Apercu::Fichier() const {
    char nom[32];
    std::snprintf(nom, sizeof nom, "corvelle-%03zu.eml", numero_);
    return AjouteBarre(dossier_) + nom;
}

ComposantSMTP::Issue Apercu::Ecrit(ComposantSMTP& smtp) {
    ++numero_;
    std::ostringstream message;
    smtp.SetApercu(&message);
    smtp.Envoie();
    smtp.SetApercu(nullptr);  // `message` ends with this batch
    ComposantSMTP::Issue issue = smtp.Resultat();
    if (!issue.accepte) {
        return issue;
    }
    const std::string enveloppe = TexteEnveloppe(smtp.EnveloppeConstruite());
    if (dossier_.empty()) {
        std::cout << enveloppe << '\n' << message.view();
        if (!message.view().ends_with('\n')) {
            std::cout << "\r\n";
        }
        std::cout << '\n';
    } else {
        const std::string chemin = Fichier();
        if (std::string echec = Enregistre(chemin, message.view()); !echec.empty()) {
            return {false, std::move(echec)};
        }
        std::cout << chemin << '\n' << enveloppe << '\n';
    }
    std::cout.flush();
    return issue;
}

}  // namespace corvelle
