// How a send's outcome ends a command-line run: the codes scripts already
// rely on, whatever the kind of the failure; and the kind that stands for
// the whole dispatch.

#include <gtest/gtest.h>

#include "app/CodesSortie.h"

namespace corvelle {
namespace {

using enum GenreEchec;

// A batch accepted, then one refused for each kind given.
Bilan Lots(std::vector<GenreEchec> refus) {
    Bilan bilan;
    bilan.lots.resize(1 + refus.size());
    bilan.lots[0].accepte = true;
    for (std::size_t i = 0; i < refus.size(); ++i) {
        bilan.lots[i + 1].genre = refus[i];
    }
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
    const struct {
        Bilan bilan;
        int code;
        std::optional<GenreEchec> genre;
    } cas[] = {
        {Lots({}), 0, std::nullopt},
        {Arrete(Etape::Groupes, Temporaire), 2, Temporaire},
        {Arrete(Etape::Destinataires, Local), 3, Local},
        {Arrete(Etape::PiecesJointes, Local), 4, Local},
        {Arrete(Etape::Serveur, Configuration), 5, Configuration},
        {coupe, 5, Local},
        // What must be mended first; else temporary when some of it may pass
        // later.
        {Lots({Permanent}), 5, Permanent},
        {Lots({Permanent, Temporaire}), 5, Temporaire},
        {Lots({Configuration, Local, Temporaire}), 5, Configuration},
    };
    for (const auto& c : cas) {
        EXPECT_EQ(CodeSortieEnvoi(c.bilan), c.code) << &c - cas;
        EXPECT_EQ(c.bilan.Genre(), c.genre) << &c - cas;
    }
}

}  // namespace
}  // namespace corvelle
