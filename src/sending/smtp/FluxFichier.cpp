#include "sending/smtp/FluxFichier.h"

#include <cerrno>
#include <memory>
#include <utility>

#include "sending/smtp/EchecEnvoi.h"

namespace corvelle::smtp {

namespace {

// Written and read by the thread that writes the message, so never shared.
thread_local std::string incident;

constexpr const char* kChangeAvant =
    "was changed or replaced since the first message that carried it";
constexpr const char* kChangePendant = "changed while it was being sent";

std::string Nomme(const std::string& chemin) {
    return "The attachment \"" + chemin + "\" ";
}

// Where a stream is in its file; owned by the stream.
struct Lecture {
    FichierJoint fichier;
    plateforme::FichierLu ouvert;
    std::int64_t lus = 0;
    bool fini = false;
    bool echoue = false;
};

struct FluxFichier {
    GMimeStream parent;
    Lecture* lecture;
};

struct FluxFichierClass {
    GMimeStreamClass parent_class;
};

G_DEFINE_TYPE(FluxFichier, flux_fichier, GMIME_TYPE_STREAM)

Lecture& Etat(GMimeStream* flux) {
    return *reinterpret_cast<FluxFichier*>(flux)->lecture;
}

// Empty when the file opens and is still the one recorded; else why not.
std::string Ouvre(Lecture& l) {
    if (const int erreur = l.ouvert.Ouvre(l.fichier.chemin); erreur != 0) {
        return "can no longer be opened: " + plateforme::DescriptionSysteme(erreur);
    }
    plateforme::IdentiteFichier maintenant;
    if (l.ouvert.Identite(maintenant) != 0 || maintenant != l.fichier.identite) {
        return kChangeAvant;
    }
    return {};
}

// At the file's end: empty when the bytes read are those recorded.
std::string Acheve(Lecture& l) {
    plateforme::IdentiteFichier maintenant;
    const bool inchange = l.ouvert.Identite(maintenant) == 0 && maintenant == l.fichier.identite;
    l.ouvert.Ferme();
    // The kernel's own files (/proc) give no size: they are read to their end.
    const std::int64_t taille = l.fichier.identite.taille;
    if (!inchange || (taille > 0 && l.lus != taille)) {
        return kChangePendant;
    }
    l.fini = true;
    return {};
}

// The next `n` bytes, or why there are none.
std::string LitSuite(Lecture& l, char* tampon, std::size_t taille, std::int64_t& n) {
    if (!l.ouvert.EstOuvert()) {
        if (std::string echec = Ouvre(l); !echec.empty()) {
            return echec;
        }
    }
    n = l.ouvert.Lit(tampon, taille);
    if (n < 0) {
        return "could not be read: " + plateforme::DescriptionSysteme(static_cast<int>(-n));
    }
    l.lus += n;
    const std::int64_t attendue = l.fichier.identite.taille;
    if (attendue > 0 && l.lus > attendue) {
        return kChangePendant;
    }
    return n == 0 ? Acheve(l) : std::string();
}

ssize_t Lit(GMimeStream* flux, char* tampon, size_t taille) {
    Lecture& l = Etat(flux);
    if (l.fini) {
        return 0;
    }
    // After a failure, reading on would send what follows as if it were all.
    if (!l.echoue) {
        try {
            std::int64_t n = 0;
            const std::string echec = LitSuite(l, tampon, taille, n);
            if (echec.empty()) {
                flux->position += n;
                return static_cast<ssize_t>(n);
            }
            l.echoue = true;
            l.ouvert.Ferme();
            incident = Nomme(l.fichier.chemin) + echec;
        } catch (...) {
            // No memory for the text: the reading fails all the same.
            l.echoue = true;
        }
    }
    errno = EIO;
    return -1;
}

ssize_t Ecrit(GMimeStream*, const char*, size_t) {
    errno = EBADF;
    return -1;
}

int Rien(GMimeStream*) {
    return 0;
}

int Ferme(GMimeStream* flux) {
    Etat(flux).ouvert.Ferme();
    return 0;
}

gboolean EstAuBout(GMimeStream* flux) {
    return Etat(flux).fini;
}

// GMime rewinds before and after it writes a part: the file is closed until
// the next reading opens and checks it again.
int Rembobine(GMimeStream* flux) {
    Lecture& l = Etat(flux);
    l.ouvert.Ferme();
    l.lus = 0;
    l.fini = false;
    l.echoue = false;
    flux->position = flux->bound_start;
    return 0;
}

// Read from start to end only: a jump would skip the checks on the bytes.
gint64 Deplace(GMimeStream*, gint64, GMimeSeekWhence) {
    errno = ESPIPE;
    return -1;
}

gint64 Position(GMimeStream* flux) {
    return flux->position;
}

gint64 Longueur(GMimeStream* flux) {
    const std::int64_t taille = Etat(flux).fichier.identite.taille;
    return taille > 0 ? taille : -1;
}

GMimeStream* SousFlux(GMimeStream*, gint64, gint64) {
    return nullptr;
}

void Finalise(GObject* objet) {
    delete reinterpret_cast<FluxFichier*>(objet)->lecture;
    G_OBJECT_CLASS(flux_fichier_parent_class)->finalize(objet);
}

void flux_fichier_class_init(FluxFichierClass* classe) {
    G_OBJECT_CLASS(classe)->finalize = Finalise;
    GMimeStreamClass* flux = &classe->parent_class;
    flux->read = Lit;
    flux->write = Ecrit;
    flux->flush = Rien;
    flux->close = Ferme;
    flux->eos = EstAuBout;
    flux->reset = Rembobine;
    flux->seek = Deplace;
    flux->tell = Position;
    flux->length = Longueur;
    flux->substream = SousFlux;
}

void flux_fichier_init(FluxFichier* flux) {
    flux->lecture = nullptr;
}

}  // namespace

plateforme::IdentiteFichier ReleveFichier(const std::string& chemin) {
    plateforme::FichierLu fichier;
    int erreur = fichier.Ouvre(chemin);
    if (erreur == EISDIR) {
        throw EchecEnvoi(GenreEchec::Local, "Cannot attach \"" + chemin + "\": it is a folder");
    }
    if (erreur == EINVAL) {
        throw EchecEnvoi(GenreEchec::Local, "Cannot attach \"" + chemin + "\": not a regular file");
    }
    plateforme::IdentiteFichier identite;
    if (erreur == 0) {
        erreur = fichier.Identite(identite);
    }
    if (erreur != 0) {
        throw EchecEnvoi(GenreEchec::Local, "Cannot open the attachment \"" + chemin +
                                                "\": " + plateforme::DescriptionSysteme(erreur));
    }
    return identite;
}

void VerifieFichier(const FichierJoint& fichier) {
    if (ReleveFichier(fichier.chemin) != fichier.identite) {
        throw EchecEnvoi(GenreEchec::Local, Nomme(fichier.chemin) + kChangeAvant);
    }
}

ObjetG<GMimeStream> FluxSurFichier(const FichierJoint& fichier) {
    auto lecture = std::make_unique<Lecture>();
    lecture->fichier = fichier;
    auto* flux = static_cast<FluxFichier*>(g_object_new(flux_fichier_get_type(), nullptr));
    flux->lecture = lecture.release();
    g_mime_stream_construct(&flux->parent, 0, -1);
    return ObjetG<GMimeStream>(&flux->parent);
}

std::string IncidentFichier() {
    return std::exchange(incident, {});
}

}  // namespace corvelle::smtp
