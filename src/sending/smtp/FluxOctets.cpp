#include "sending/smtp/FluxOctets.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace corvelle::smtp {

namespace {

struct FluxOctets {
    GMimeStream parent;
    const char* octets;
    gint64 taille;
};

struct FluxOctetsClass {
    GMimeStreamClass parent_class;
};

G_DEFINE_TYPE(FluxOctets, flux_octets, GMIME_TYPE_STREAM)

FluxOctets* Vue(GMimeStream* flux) {
    return reinterpret_cast<FluxOctets*>(flux);
}

// Where reading stops: the bytes' end, or the bound of a substream.
gint64 Fin(GMimeStream* flux) {
    const gint64 taille = Vue(flux)->taille;
    return flux->bound_end == -1 ? taille : std::min(flux->bound_end, taille);
}

ssize_t Lit(GMimeStream* flux, char* tampon, size_t taille) {
    const gint64 reste = Fin(flux) - flux->position;
    if (reste < 0) {
        errno = EINVAL;
        return -1;
    }
    const std::size_t n = std::min(static_cast<std::size_t>(reste), taille);
    std::memcpy(tampon, Vue(flux)->octets + flux->position, n);
    flux->position += static_cast<gint64>(n);
    return static_cast<ssize_t>(n);
}

ssize_t Ecrit(GMimeStream*, const char*, size_t) {
    errno = EBADF;
    return -1;
}

int Rien(GMimeStream*) {
    return 0;
}

gboolean EstAuBout(GMimeStream* flux) {
    return flux->position >= Fin(flux);
}

int Rembobine(GMimeStream* flux) {
    flux->position = flux->bound_start;
    return 0;
}

gint64 Deplace(GMimeStream* flux, gint64 decalage, GMimeSeekWhence depuis) {
    gint64 cible = decalage;
    switch (depuis) {
        case GMIME_STREAM_SEEK_SET:
            cible += flux->bound_start;
            break;
        case GMIME_STREAM_SEEK_CUR:
            cible += flux->position;
            break;
        case GMIME_STREAM_SEEK_END:
            cible += Fin(flux);
            break;
    }
    if (cible < flux->bound_start || cible > Fin(flux)) {
        errno = EINVAL;
        return -1;
    }
    flux->position = cible;
    return cible;
}

gint64 Position(GMimeStream* flux) {
    return flux->position;
}

gint64 Longueur(GMimeStream* flux) {
    return Fin(flux) - flux->bound_start;
}

GMimeStream* Nouveau(const char* octets, gint64 taille, gint64 debut, gint64 fin) {
    auto* flux = static_cast<FluxOctets*>(g_object_new(flux_octets_get_type(), nullptr));
    flux->octets = octets;
    flux->taille = taille;
    g_mime_stream_construct(&flux->parent, debut, fin);
    return &flux->parent;
}

GMimeStream* SousFlux(GMimeStream* flux, gint64 debut, gint64 fin) {
    return Nouveau(Vue(flux)->octets, Vue(flux)->taille, debut, fin);
}

void flux_octets_class_init(FluxOctetsClass* classe) {
    GMimeStreamClass* flux = &classe->parent_class;
    flux->read = Lit;
    flux->write = Ecrit;
    flux->flush = Rien;
    flux->close = Rien;
    flux->eos = EstAuBout;
    flux->reset = Rembobine;
    flux->seek = Deplace;
    flux->tell = Position;
    flux->length = Longueur;
    flux->substream = SousFlux;
}

void flux_octets_init(FluxOctets* flux) {
    flux->octets = nullptr;
    flux->taille = 0;
}

}  // namespace

ObjetG<GMimeStream> FluxSurOctets(std::string_view octets) {
    return ObjetG<GMimeStream>(Nouveau(octets.data(), static_cast<gint64>(octets.size()), 0, -1));
}

}  // namespace corvelle::smtp
