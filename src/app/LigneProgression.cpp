#include "app/LigneProgression.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <ostream>

#include "i18n/Langue.h"
#include "i18n/Traduction.h"
#include "sending/Demande.h"

namespace corvelle {

namespace {

using namespace std::chrono_literals;

// A send quicker than this shows nothing.
constexpr auto kAvantLigne = 1s;
// Redrawn at most this often: a fast send spends its time sending.
constexpr auto kEntreDessins = 100ms;

// Characters, not bytes: the padding that wipes a longer line counts columns.
std::size_t Caracteres(const std::string& texte) {
    std::size_t n = 0;
    for (const char c : texte) {
        n += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    }
    return n;
}

std::string Duree(std::int64_t secondes) {
    const std::int64_t minutes = secondes / 60;
    const std::int64_t reste = secondes % 60;
    return std::to_string(minutes) + (reste < 10 ? ":0" : ":") + std::to_string(reste);
}

}  // namespace

bool MontreProgression(const Demande& demande, bool erreurEstTerminal) {
    switch (demande.progression) {
        case AffichageProgression::Force:
            return true;
        case AffichageProgression::Aucun:
            return false;
        case AffichageProgression::Auto:
            break;
    }
    return erreurEstTerminal && demande.rapport == 0 && !demande.trace;
}

LigneProgression::LigneProgression(const Langue& langue, std::ostream& sortie, bool immediate)
    : langue_(langue), sortie_(sortie), debut_(Horloge::now()), immediate_(immediate) {}

void LigneProgression::Montre(const Avancement& avancement) {
    const Horloge::time_point maintenant = Horloge::now();
    const bool fini = avancement.lots > 0 && avancement.lotsEnvoyes == avancement.lots;
    if (largeur_ == 0 ? !immediate_ && maintenant - debut_ < kAvantLigne
                      : !fini && maintenant - dessinee_ < kEntreDessins) {
        return;
    }
    const std::string texte = TexteAvancement(langue_, avancement, maintenant - debut_);
    const std::size_t largeur = Caracteres(texte);
    // Carriage return and spaces rather than a terminal's escapes: a forced
    // line may go to a file.
    std::string ligne = "\r" + texte;
    if (largeur < largeur_) {
        ligne.append(largeur_ - largeur, ' ');
    }
    sortie_ << ligne << std::flush;
    largeur_ = std::max(largeur, std::size_t{1});
    dessinee_ = maintenant;
}

void LigneProgression::Termine() {
    if (largeur_ != 0) {
        sortie_ << '\n' << std::flush;
        largeur_ = 0;
    }
}

std::string TexteAvancement(const Langue& langue, const Avancement& avancement,
                            std::chrono::steady_clock::duration ecoule) {
    if (avancement.lots == 0) {
        return FormateMessage(langue.Texte("TXT_PROGRESSION_ANNUAIRE"), avancement.recherches,
                              avancement.membres);
    }
    const double secondes = std::chrono::duration<double>(ecoule).count();
    const double parSeconde =
        secondes > 0 ? static_cast<double>(avancement.lotsEnvoyes) / secondes : 0.0;
    std::string reste = "?";
    if (parSeconde > 0) {
        reste = Duree(std::llround(static_cast<double>(avancement.lots - avancement.lotsEnvoyes) /
                                   parSeconde));
    }
    return FormateMessage(langue.Texte("TXT_PROGRESSION"), avancement.lotsEnvoyes, avancement.lots,
                          avancement.destinatairesEnvoyes, avancement.destinataires,
                          std::llround(parSeconde), reste);
}

}  // namespace corvelle
