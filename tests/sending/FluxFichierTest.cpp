// An attachment read while its message is written. Read errors and files
// changed between batches are checked end to end (tests/acceptance); a file
// that changes while it is being read cannot be timed from outside.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "sending/smtp/EchecEnvoi.h"
#include "sending/smtp/FluxFichier.h"
#include "support/DossierTemporaire.h"

namespace corvelle::smtp {
namespace {

using test::DossierTemporaire;
using test::EcritFichier;

TEST(FluxFichierTest, FileShorterOrLongerWhileReadFailsNamingIt) {
    InitialiseGMime();
    DossierTemporaire dossier;
    const std::string chemin = dossier / "pj.bin";
    for (const std::uintmax_t nouvelleTaille : {5000u, 20000u}) {
        SCOPED_TRACE(nouvelleTaille);
        EcritFichier(chemin, std::string(10000, 'a'));
        const ObjetG<GMimeStream> flux = FluxSurFichier({chemin, ReleveFichier(chemin)});
        char tampon[4096];
        ASSERT_EQ(g_mime_stream_read(flux.get(), tampon, sizeof tampon), 4096);
        std::filesystem::resize_file(chemin, nouvelleTaille);
        ssize_t lus = 0;
        while ((lus = g_mime_stream_read(flux.get(), tampon, sizeof tampon)) > 0) {
        }
        EXPECT_EQ(lus, -1) << "the message would go with other bytes than those checked";
        EXPECT_EQ(IncidentFichier(),
                  "The attachment \"" + chemin + "\" changed while it was being sent");
    }
}

TEST(FluxFichierTest, OnlyARegularFileCanBeAttached) {
    DossierTemporaire dossier;
    for (const auto& [chemin, raison] : std::vector<std::pair<std::string, std::string>>{
             {dossier.Chemin(), "it is a folder"}, {dossier / "absent.pdf", "No such file"}}) {
        try {
            (void)ReleveFichier(chemin);
            ADD_FAILURE() << chemin;
        } catch (const EchecEnvoi& e) {
            EXPECT_NE(std::string(e.what()).find("\"" + chemin + "\""), std::string::npos);
            EXPECT_NE(std::string(e.what()).find(raison), std::string::npos) << e.what();
            EXPECT_EQ(e.Genre(), GenreEchec::Local);
        }
    }
}

}  // namespace
}  // namespace corvelle::smtp
