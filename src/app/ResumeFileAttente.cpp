#include "app/ResumeFileAttente.h"

#include <vector>

#include "app/Expedition.h"
#include "core/Erreur.h"
#include "sending/outbox/FileAttente.h"

namespace corvelle {

ResumeFileAttente ResumeFile(const Programme& programme) {
    ResumeFileAttente resume;
    std::string dossier;
    try {
        dossier = DossierFileAttente(programme);
    } catch (const Erreur& erreur) {
        resume.dernierEchec = erreur.Description();
        return resume;
    }
    const outbox::FileAttente file(dossier);
    std::vector<std::string> ids;
    try {
        ids = file.Identifiants();
    } catch (const Erreur& erreur) {
        // The machine's outbox cannot be listed by a user: say so, not "empty".
        resume.dernierEchec = erreur.Description();
        return resume;
    }
    // Retried the latest: the one due the latest among those tried.
    std::int64_t plusTard = 0;
    for (const std::string& id : ids) {
        ++resume.messages;
        const std::optional<outbox::Entree> entree = file.Consulte(id);
        if (entree && entree->historique.tentatives > 0 &&
            !entree->historique.derniereReponse.empty() &&
            entree->historique.prochaine >= plusTard) {
            plusTard = entree->historique.prochaine;
            resume.dernierEchec = entree->historique.derniereReponse;
        }
    }
    return resume;
}

}  // namespace corvelle
