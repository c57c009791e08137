// How a send's outcome ends a command-line run: the codes scripts already
// rely on, whatever the kind of the failure; and the kind that stands for
// the whole dispatch.

#include <gtest/gtest.h>

#include "app/CodesSortie.h"

namespace corvelle {
namespace {

Lot Refuse(GenreEchec genre) {
    Lot lot;
    lot.genre = genre;
    return lot;
}

TEST(CodesSortie, EachOutcomeEndsWithItsCodeAndItsKind) {
    Lot accepte;
    accepte.accepte = true;
    const auto arret = [](Etape etape, GenreEchec genre) {
        Bilan bilan;
        bilan.arret = Arret{etape, {genre, "x", {}}};
        return bilan;
    };
    const auto lots = [](std::vector<Lot> envoyes) {
        Bilan bilan;
        bilan.lots = std::move(envoyes);
        return bilan;
    };
    Bilan coupe = lots({accepte});
    coupe.incident = Defaillance{GenreEchec::Local, "x", {}};
    const struct {
        const char* nom;
        Bilan bilan;
        int code;
        std::optional<GenreEchec> genre;
    } cas[] = {
        {"all taken", lots({accepte, accepte}), 0, std::nullopt},
        {"a group", arret(Etape::Groupes, GenreEchec::Temporaire), 2, GenreEchec::Temporaire},
        {"a recipient file", arret(Etape::Destinataires, GenreEchec::Local), 3, GenreEchec::Local},
        {"an attachment", arret(Etape::PiecesJointes, GenreEchec::Local), 4, GenreEchec::Local},
        {"a password command", arret(Etape::Serveur, GenreEchec::Configuration), 5,
         GenreEchec::Configuration},
        {"broken between batches", coupe, 5, GenreEchec::Local},
        // What must be mended first; else temporary when some of it may pass
        // later.
        {"for good", lots({accepte, Refuse(GenreEchec::Permanent)}), 5, GenreEchec::Permanent},
        {"for now and for good",
         lots({Refuse(GenreEchec::Permanent), Refuse(GenreEchec::Temporaire)}), 5,
         GenreEchec::Temporaire},
        {"a file and the login",
         lots({Refuse(GenreEchec::Configuration), Refuse(GenreEchec::Local),
               Refuse(GenreEchec::Temporaire)}),
         5, GenreEchec::Configuration},
    };
    for (const auto& c : cas) {
        EXPECT_EQ(CodeSortieEnvoi(c.bilan), c.code) << c.nom;
        EXPECT_EQ(c.bilan.Genre(), c.genre) << c.nom;
    }
}

}  // namespace
}  // namespace corvelle
