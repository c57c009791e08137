#pragma once

// What a dispatch did, for its caller to report and to end with: each batch
// with its recipients and the server's reply, or why nothing could be sent.
// Every failure carries its kind; which exit code it makes is the caller's.

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "sending/smtp/ComposantSMTP.h"

namespace corvelle {

// What stopped a dispatch before any batch went.
enum class Etape {
    Groupes,        // a directory group could not be expanded
    Destinataires,  // a recipient file could not be read, or nobody to send to
    PiecesJointes,  // an attachment was not found
    Serveur,        // the server's settings: none set, a password command that failed
};

struct Arret {
    Etape etape;
    Defaillance echec;  // its text worded for the person
};

struct Lot {
    // To, Cc and Bcc of the batch, joined with ", "; kept for a refused one.
    std::string destinataires;
    std::string copie;
    std::string copieCachee;
    bool accepte = false;
    bool partiel = false;  // refused, but taken by some recipients
    std::string statut;    // the server's reply, or what failed
    // Refused (by some recipients at least): whether it may go later, and the
    // server's reply that decided it, if any.
    GenreEchec genre = GenreEchec::Temporaire;
    std::string reponse{};
    // Refused by all for now: its addresses, should it be kept to go later.
    std::optional<AdressesLot> adresses{};
    // Kept in the outbox instead (/attente): its id there.
    std::string attente{};
};

struct Bilan {
    std::optional<Arret> arret;
    std::vector<Lot> lots;
    std::size_t destinataires = 0;        // addresses after expansion
    std::optional<Defaillance> incident;  // what broke the dispatch between batches

    [[nodiscard]] bool Accepte() const noexcept {
        return !arret && !incident && !lots.empty() &&
               std::all_of(lots.begin(), lots.end(), [](const Lot& lot) { return lot.accepte; });
    }

    // Every batch accepted, or kept in the outbox to go later: nothing left
    // for the person to do.
    [[nodiscard]] bool Abouti() const noexcept {
        return !arret && !incident && !lots.empty() &&
               std::all_of(lots.begin(), lots.end(),
                           [](const Lot& lot) { return lot.accepte || !lot.attente.empty(); });
    }

    // The kind of the whole failure: what must be mended first, the settings
    // then a file; otherwise, as within a batch, temporary when some part of
    // it may pass later, permanent when none can. Nothing for an accepted
    // dispatch, nor for one whose refused batches all wait in the outbox.
    [[nodiscard]] std::optional<GenreEchec> Genre() const {
        if (Abouti()) {
            return std::nullopt;
        }
        if (arret) {
            return arret->echec.genre;
        }
        // Ranked as above, from the last to the first.
        const auto rang = [](GenreEchec genre) {
            constexpr GenreEchec kOrdre[] = {GenreEchec::Permanent, GenreEchec::Temporaire,
                                             GenreEchec::Local, GenreEchec::Configuration};
            return std::find(std::begin(kOrdre), std::end(kOrdre), genre) - std::begin(kOrdre);
        };
        GenreEchec genre = GenreEchec::Permanent;
        for (const Lot& lot : lots) {
            if (!lot.accepte && lot.attente.empty() && rang(lot.genre) > rang(genre)) {
                genre = lot.genre;
            }
        }
        if (incident && rang(incident->genre) > rang(genre)) {
            genre = incident->genre;
        }
        return genre;
    }
};

}  // namespace corvelle
