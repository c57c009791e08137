// How a send's outcome ends a command-line run: the codes scripts already
// rely on, whatever the kind of the failure, or with --sysexits 75 for one
// that may all pass later; and the kind that stands for the whole dispatch.

#include <gtest/gtest.h>

#include "app/CodesSortie.h"

namespace corvelle {
namespace {

using enum GenreEchec;

// One batch refused for each kind given.
Bilan Refuses(std::vector<GenreEchec> refus) {
    Bilan bilan;
    for (GenreEchec genre : refus) {
        bilan.lots.emplace_back().genre = genre;
    }
    return bilan;
}

// A batch accepted, then one refused for each kind given.
Bilan Lots(std::vector<GenreEchec> refus) {
    Bilan bilan = Refuses(std::move(refus));
    bilan.lots.insert(bilan.lots.begin(), Lot{})->accepte = true;
    return bilan;
}

Bilan Arrete(Etape etape, GenreEchec genre) {
    Bilan bilan;
    bilan.arret = Arret{etape, {genre, "x", {}}};
    return bilan;
}

TEST(CodesSortie, EachOutcomeEndsWithItsCodeAndItsKind) {
    Bilan coupe = Lots({});
    coupe.incident = Defaillance{Local, "x", {}};
    Bilan perdu = Refuses({Temporaire});
    perdu.incident = Defaillance{Temporaire, "x", {}};
    Bilan partiel = Refuses({Temporaire});
    partiel.lots[0].partiel = true;
    Bilan garde = Lots({Temporaire, Temporaire});
    garde.lots[1].attente = "id";
    Bilan gardeEtRefuse = garde;
    gardeEtRefuse.lots[2].genre = Permanent;
    garde.lots[2].attente = "id2";
    const struct {
        Bilan bilan;
        int code;
        int sysexits;  // the code with --sysexits
        std::optional<GenreEchec> genre;
    } cas[] = {
        {Lots({}), 0, 0, std::nullopt},
        {Arrete(Etape::Groupes, Temporaire), 2, 2, Temporaire},
        {Arrete(Etape::Destinataires, Local), 3, 3, Local},
        {Arrete(Etape::PiecesJointes, Local), 4, 4, Local},
        {Arrete(Etape::Serveur, Configuration), 5, 5, Configuration},
        {Arrete(Etape::Serveur, Temporaire), 5, 75, Temporaire},
        {coupe, 5, 5, Local},
        {perdu, 5, 75, Temporaire},
        // What must be mended first; else temporary when some of it may pass
        // later. Only a failure that may all pass later, with nothing of it
        // received yet, is EX_TEMPFAIL: run again, it reaches nobody twice.
        {Lots({Permanent}), 5, 5, Permanent},
        {Refuses({Temporaire, Temporaire}), 5, 75, Temporaire},
        {Lots({Temporaire, Temporaire}), 5, 5, Temporaire},
        {partiel, 5, 5, Temporaire},
        {Lots({Permanent, Temporaire}), 5, 5, Temporaire},
        {Lots({Configuration, Local, Temporaire}), 5, 5, Configuration},
        // Kept in the outbox is done; what else failed still counts.
        {garde, 0, 0, std::nullopt},
        {gardeEtRefuse, 5, 5, Permanent},
    };
    for (const auto& c : cas) {
        EXPECT_EQ(CodeSortieEnvoi(c.bilan), c.code) << &c - cas;
        EXPECT_EQ(CodeSortieEnvoi(c.bilan, true), c.sysexits) << &c - cas;
        EXPECT_EQ(c.bilan.Genre(), c.genre) << &c - cas;
    }
}

}  // namespace
}  // namespace corvelle
