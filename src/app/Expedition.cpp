#include "app/Expedition.h"

#include <algorithm>
#include <chrono>
#include <iostream>
#include <map>
#include <optional>

#include "app/Gestion.h"
#include "app/Programme.h"
#include "core/Erreur.h"
#include "core/Plateforme.h"
#include "core/Texte.h"
#include "i18n/Langue.h"
#include "sending/Serveur.h"
#include "sending/outbox/FileAttente.h"
#include "sending/smtp/ComposantSMTP.h"

namespace corvelle {

namespace {

using sendmail::Conclusion;

// The context to relay through the configuration named, its password
// resolved; else why the configuration cannot be used.
struct ConfigurationPrete {
    std::optional<sendmail::ContexteRelais> contexte;
    sendmail::IssueRelais echec;
};

ConfigurationPrete PrepareConfiguration(const Programme& programme, const std::string& nom,
                                        const std::function<void(std::string_view)>& trace) {
    const Langue& langue = programme.Langage;
    const clsConfigSMTP* configuration = ConfigurationNommee(programme, nom);
    if (!configuration) {
        return {std::nullopt,
                {Conclusion::Configuration,
                 FormateMessage(langue.Texte("MSG_SENDMAIL_CONFIG_INCONNUE"), Lisible(nom),
                                NomsConfigurations(programme))}};
    }
    ResultatEnvoi<clsConfigSMTP> resolue = ResoutMotDePasse(*configuration, langue);
    if (!resolue.Reussi()) {
        const Defaillance& echec = resolue.Erreur();
        return {std::nullopt,
                {echec.genre == GenreEchec::Temporaire ? Conclusion::Temporaire
                                                       : Conclusion::Configuration,
                 echec.texte}};
    }
    ConfigurationPrete prete{ContexteRelaisDe(programme, resolue.Valeur()), {}};
    prete.contexte->trace = trace;
    return prete;
}

sendmail::IssueRelais Tente(const Programme& programme, const outbox::Entree& entree,
                            const std::function<void(std::string_view)>& trace) {
    const ConfigurationPrete prete =
        PrepareConfiguration(programme, entree.enveloppe.configuration, trace);
    if (!prete.contexte) {
        return prete.echec;
    }
    return sendmail::Transmet(entree.enveloppe, entree.message, *prete.contexte);
}

// The notice (RFC 3464) that tells the sender of `entree` it was not
// delivered, in the interface language; `expire` when it was given up at the
// end of its lifetime rather than refused.
std::string RedigeAvis(const Programme& programme, const outbox::Entree& entree,
                       const sendmail::IssueRelais& issue, bool expire) {
    const Langue& langue = programme.Langage;
    smtp::AvisNonRemise avis;
    avis.mta = plateforme::NomHoteQualifie();
    if (avis.mta.empty()) {
        avis.mta = "localhost";
    }
    // The default sender's domain, which the relay takes mail from.
    const std::optional<smtp::Boite> defaut =
        smtp::LitBoite(programme.Reglages.ExpediteurParDefaut);
    const std::string domaine =
        defaut ? defaut->adresse.substr(defaut->adresse.rfind('@') + 1) : avis.mta;
    avis.auteur = "\"" + langue.Texte("TXT_AVIS_AUTEUR") + "\" <MAILER-DAEMON@" + domaine + ">";
    avis.destinataire = entree.enveloppe.expediteur;
    avis.objet = langue.Texte("TXT_AVIS_OBJET");
    const std::string destinataires = Joint(entree.enveloppe.destinataires, ", ");
    avis.explication =
        expire ? FormateMessage(langue.Texte("TXT_AVIS_EXPIRE"), destinataires,
                                programme.Reglages.DureeAttente, issue.detail)
               : FormateMessage(langue.Texte("TXT_AVIS_REFUS"), destinataires, issue.detail);
    avis.arrivee = entree.historique.creation;
    avis.envid = entree.enveloppe.envid;
    avis.expire = expire;
    for (const std::string& destinataire : entree.enveloppe.destinataires) {
        // Each with its own refusal when the relay refused it by name.
        const auto refus = std::find_if(
            issue.refuses.begin(), issue.refuses.end(),
            [&destinataire](const DestinataireRefuse& r) { return r.adresse == destinataire; });
        avis.destinataires.push_back(
            {destinataire, refus != issue.refuses.end() ? refus->reponse : issue.reponse});
    }
    avis.original = entree.message;
    return smtp::RedigeAvisNonRemise(avis);
}

// Sends the failure notice of an entry not delivered through its own
// configuration, from the null sender; why it did not go, or nothing. A
// message from the null sender is itself a notice: none goes about it.
std::string EnvoieAvis(const Programme& programme, const outbox::Entree& entree,
                       const sendmail::IssueRelais& issue, bool expire,
                       const std::function<void(std::string_view)>& trace) {
    if (entree.enveloppe.expediteur.empty()) {
        return {};
    }
    // The relay did not answer: the notice, through it too, would only wait
    // out another time-out.
    if (issue.conclusion == Conclusion::Temporaire && issue.reponse.empty()) {
        return issue.detail;
    }
    outbox::Entree avis;
    avis.enveloppe.configuration = entree.enveloppe.configuration;
    avis.enveloppe.destinataires = {entree.enveloppe.expediteur};
    try {
        avis.message = RedigeAvis(programme, entree, issue, expire);
    } catch (const smtp::EchecEnvoi& echec) {
        return echec.what();
    }
    const sendmail::IssueRelais envoi = Tente(programme, avis, trace);
    return envoi.conclusion == Conclusion::Envoye ? std::string() : envoi.detail;
}

// "h:mm" since the message came: the same in every language.
std::string Age(std::int64_t secondes) {
    const std::int64_t minutes = secondes < 0 ? 0 : secondes / 60;
    const std::string mm = std::to_string(minutes % 60);
    return std::to_string(minutes / 60) + ":" + (mm.size() < 2 ? "0" : "") + mm;
}

void ListeEntrees(const Langue& langue, const outbox::FileAttente& file, bool echouees,
                  std::int64_t maintenant) {
    for (const std::string& id : file.Identifiants(echouees)) {
        const std::optional<outbox::Entree> entree = file.Consulte(id, echouees);
        if (!entree) {
            std::cout << id << "  ?\n";
            continue;
        }
        std::string destinataires;
        for (const std::string& destinataire : entree->enveloppe.destinataires) {
            destinataires += (destinataires.empty() ? "" : ", ") + destinataire;
        }
        std::cout << id << "  " << Age(maintenant - entree->historique.creation) << "  "
                  << entree->historique.tentatives << "  " << Lisible(destinataires) << '\n';
        if (!entree->historique.derniereReponse.empty()) {
            std::cout << "    " << Lisible(entree->historique.derniereReponse) << '\n';
        }
        if (!entree->historique.avisNonEnvoye.empty()) {
            std::cout << "    "
                      << FormateMessage(langue.Texte("TXT_OUTBOX_AVIS_NON_ENVOYE"),
                                        Lisible(entree->historique.avisNonEnvoye))
                      << '\n';
        }
    }
}

std::string RaisonAbimee(const Langue& langue, const outbox::ResultatPrise& prise) {
    if (prise.proprietaireEtranger) {
        return FormateMessage(langue.Texte("TXT_OUTBOX_PROPRIETAIRE"),
                              std::to_string(*prise.proprietaireEtranger));
    }
    return Lisible(prise.raison);
}

int Signale(const Langue& langue, int code, const std::string& texte) {
    return EcritRefus(langue, Echec{code, texte});
}

}  // namespace

void SignaleAvis(const Langue& langue, const IssueEssai& issue) {
    if (!issue.avisNonEnvoye.empty()) {
        Signale(langue, 0,
                FormateMessage(langue.Texte("TXT_OUTBOX_AVIS_NON_ENVOYE"),
                               Lisible(issue.avisNonEnvoye)));
    }
}

namespace {

// Of a transaction deferred for some recipients, those refused for good are
// not retried for days: their sender is told now, and they leave the entry.
// Why the notice did not go, if it did not.
std::string SepareRefusDefinitifs(const Programme& programme, outbox::Entree& entree,
                                  const sendmail::IssueRelais& issue,
                                  const std::function<void(std::string_view)>& trace) {
    std::vector<std::string>& destinataires = entree.enveloppe.destinataires;
    std::vector<std::string> definitifs;
    sendmail::IssueRelais refus = issue;
    refus.conclusion = Conclusion::Refuse;
    for (const DestinataireRefuse& r : issue.refuses) {
        if (r.genre == GenreEchec::Permanent &&
            std::ranges::find(destinataires, r.adresse) != destinataires.end()) {
            if (definitifs.empty()) {
                refus.detail = r.reponse;  // the notice says a refusal, not the deferral
            }
            definitifs.push_back(r.adresse);
        }
    }
    if (definitifs.empty() || definitifs.size() >= destinataires.size()) {
        return {};
    }
    outbox::Entree refusee = entree;
    refusee.enveloppe.destinataires = definitifs;
    std::string avis = EnvoieAvis(programme, refusee, refus, false, trace);
    std::erase_if(destinataires, [&definitifs](const std::string& destinataire) {
        return std::ranges::find(definitifs, destinataire) != definitifs.end();
    });
    entree.historique.avisNonEnvoye = avis;
    return avis;
}

// Writes what became of a held entry: delivered (gone), a temporary failure
// (due again after its back-off, until DureeAttente ends), or not deliverable
// (its sender told, then moved to failed/).
IssueEssai Conclut(const Programme& programme, outbox::Prise& prise,
                   const sendmail::IssueRelais& issue, std::int64_t maintenant,
                   const std::function<void(std::string_view)>& trace) {
    if (issue.conclusion == Conclusion::Envoye) {
        prise.Livree();
        return {};
    }
    bool reduite = false;
    if (issue.partiel) {
        // Those who took it never get it twice: only the refused remain, to
        // try again or to name in the notice.
        std::vector<std::string> refuses = prise.entree.enveloppe.destinataires;
        std::erase_if(refuses, [&issue](const std::string& destinataire) {
            return std::none_of(
                issue.refuses.begin(), issue.refuses.end(),
                [&destinataire](const DestinataireRefuse& r) { return r.adresse == destinataire; });
        });
        if (!refuses.empty()) {
            reduite = refuses.size() < prise.entree.enveloppe.destinataires.size();
            prise.entree.enveloppe.destinataires = std::move(refuses);
        }
    }
    const bool temporaire = issue.conclusion == Conclusion::Temporaire;
    if (temporaire) {
        if (const std::optional<std::int64_t> prochaine = outbox::ProchaineTentative(
                prise.entree.historique, maintenant, DureeDeVie(programme))) {
            std::string avis = SepareRefusDefinitifs(programme, prise.entree, issue, trace);
            prise.Reporte(issue.detail, *prochaine);
            return {Devenir::EnAttente, issue.detail, std::move(avis)};
        }
    }
    try {
        prise.VerifieAbandon(issue.detail);
    } catch (const Erreur&) {
        // Left to the runner that may set it aside: those who took it are
        // struck off first, for good, or it would go to them again.
        if (reduite) {
            prise.Reporte(issue.detail, maintenant);
        }
        throw;
    }
    std::string avis = EnvoieAvis(programme, prise.entree, issue, temporaire, trace);
    prise.Abandonne(issue.detail, avis);
    return {Devenir::NonRemis, issue.detail, std::move(avis)};
}

// A run over the outbox: the entries of one configuration go one after
// another in one session, through the engine's window, each held from the
// moment it goes until its verdict is written.
class Coureur {
  public:
    Coureur(const Programme& programme, const outbox::FileAttente& file)
        : programme_(programme), file_(file) {}

    void Essaie(outbox::Prise prise) {
        const std::string& nom = prise.entree.enveloppe.configuration;
        const clsConfigSMTP* configuration = ConfigurationNommee(programme_, nom);
        if (!configuration) {
            Compte(prise, PrepareConfiguration(programme_, nom, {}).echec);
            return;
        }
        Serie& serie = series_[configuration];
        if (!serie.relais && serie.echec.conclusion == Conclusion::Envoye) {
            ConfigurationPrete prete = PrepareConfiguration(programme_, nom, {});
            if (prete.contexte) {
                serie.relais.emplace(*prete.contexte);
            }
            serie.echec = std::move(prete.echec);
        }
        if (serie.echec.conclusion != Conclusion::Envoye) {
            Compte(prise, serie.echec);
            return;
        }
        // The engine's verdicts in a window are certain only once it is
        // drained: without that, a runner killed late in a long run would
        // have every message it sent delivered again.
        const std::size_t taille = prise.entree.message.size();
        if (VideFenetreAvant(serie.enVol, octetsEnVol_, taille)) {
            for (auto& [autre, enCours] : series_) {
                if (enCours.enVol > 0) {
                    Recoit(enCours, enCours.relais->Attend(false));
                }
            }
        }
        const std::uint64_t numero = prochain_++;
        ++serie.enVol;
        octetsEnVol_ += taille;
        const outbox::Entree& entree =
            enVol_.emplace(numero, std::move(prise)).first->second.entree;
        Recoit(serie, serie.relais->Envoie(numero, entree.enveloppe, entree.message));
    }

    // The verdicts still owed; an entry without one stays as it was, due.
    void Termine() {
        for (auto& [configuration, serie] : series_) {
            if (serie.relais) {
                Recoit(serie, serie.relais->Attend(true));
            }
        }
        enVol_.clear();
        octetsEnVol_ = 0;
    }

    void SignaleErreur(const Erreur& erreur) {
        ++erreurs_;
        const Langue& langue = programme_.Langage;
        Signale(langue, 0, FormateMessage(langue.Texte("MSG_OUTBOX_ERREUR"), erreur.Description()));
    }

    [[nodiscard]] bool EnErreur() const { return erreurs_ > 0; }

    void Bilan(std::int32_t enAttente) const {
        if (remis_ + nonRemis_ > 0) {
            EcritInformation(
                FormateMessage(programme_.Langage.Texte("TXT_OUTBOX_BILAN"), std::to_string(remis_),
                               std::to_string(enAttente + enAttente_), std::to_string(nonRemis_)));
        }
    }

  private:
    struct Serie {
        std::optional<sendmail::SerieRelais> relais;
        // Not Envoye once the configuration cannot be used, or the relay
        // cannot be reached: what every entry still to go through it gets.
        sendmail::IssueRelais echec;
        std::size_t enVol = 0;
    };

    void Recoit(Serie& serie, const std::vector<sendmail::VerdictRelais>& verdicts) {
        for (const sendmail::VerdictRelais& verdict : verdicts) {
            const auto trouve = enVol_.find(verdict.numero);
            if (trouve == enVol_.end()) {
                continue;
            }
            outbox::Prise prise = std::move(trouve->second);
            octetsEnVol_ -= prise.entree.message.size();
            enVol_.erase(trouve);
            --serie.enVol;
            // No reply at all: the relay is down or went silent. The others
            // wait their turn rather than a time-out each.
            if (verdict.issue.conclusion == Conclusion::Temporaire &&
                verdict.issue.reponse.empty()) {
                serie.echec = verdict.issue;
            }
            Compte(prise, verdict.issue);
        }
    }

    // A verdict that cannot be written (a full disk) leaves that entry as it
    // was, due; the others still get theirs.
    void Compte(outbox::Prise& prise, const sendmail::IssueRelais& issue) {
        const Langue& langue = programme_.Langage;
        const std::string id = prise.entree.id;
        IssueEssai essai;
        try {
            essai = Conclut(programme_, prise, issue, Maintenant(), {});
        } catch (const Erreur& erreur) {
            SignaleErreur(erreur);
            return;
        }
        switch (essai.devenir) {
            case Devenir::Remis:
                ++remis_;
                break;
            case Devenir::EnAttente:
                ++enAttente_;
                SignaleAvis(langue, essai);
                break;
            case Devenir::NonRemis:
                ++nonRemis_;
                Signale(langue, 0,
                        FormateMessage(langue.Texte("MSG_OUTBOX_NON_REMIS"), id,
                                       file_.Dossier() + "failed/", Lisible(essai.detail)));
                SignaleAvis(langue, essai);
                break;
        }
    }

    const Programme& programme_;
    const outbox::FileAttente& file_;
    std::map<const clsConfigSMTP*, Serie> series_;
    std::map<std::uint64_t, outbox::Prise> enVol_;
    std::size_t octetsEnVol_ = 0;  // the messages of enVol_
    std::uint64_t prochain_ = 0;
    std::int32_t remis_ = 0;
    std::int32_t enAttente_ = 0;
    std::int32_t nonRemis_ = 0;
    std::int32_t erreurs_ = 0;
};

// Tries what is due (everything with `tout`); the entries other runners hold
// are left to them.
int ExpedieFile(const Programme& programme, outbox::FileAttente& file, bool tout) {
    const Langue& langue = programme.Langage;
    std::int32_t pasDues = 0;
    file.Nettoie();
    Coureur coureur(programme, file);
    try {
        for (const std::string& id : file.Identifiants()) {
            outbox::ResultatPrise prise;
            try {
                prise = file.Prend(id);
            } catch (const Erreur& erreur) {
                coureur.SignaleErreur(erreur);
                continue;
            }
            if (prise.etat == outbox::EtatPrise::Abimee) {
                Signale(langue, 0,
                        FormateMessage(langue.Texte("MSG_OUTBOX_ABIME"), id,
                                       file.Dossier() + "damaged/", RaisonAbimee(langue, prise)));
                continue;
            }
            if (prise.etat != outbox::EtatPrise::Prise) {
                continue;
            }
            if (!tout && prise.prise.entree.historique.prochaine > Maintenant()) {
                ++pasDues;
                continue;
            }
            coureur.Essaie(std::move(prise.prise));
        }
    } catch (...) {
        // The verdicts already received are written whatever stops the run:
        // else the messages they name would be sent again.
        coureur.Termine();
        throw;
    }
    coureur.Termine();
    coureur.Bilan(pasDues);
    return coureur.EnErreur() ? kSortieGestionFichier : 0;
}

}  // namespace

bool VideFenetreAvant(std::size_t messages, std::size_t octets, std::size_t taille) {
    // The engine's window with CHUNKING; and any user may drop entries near
    // the size cap: eight of them in flight would hold gigabytes.
    constexpr std::size_t kMessagesMax = 8;
    constexpr std::size_t kOctetsMax = std::size_t{64} << 20;
    return messages >= kMessagesMax || (octets > 0 && octets + taille > kOctetsMax);
}

std::int64_t Maintenant() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

std::int64_t DureeDeVie(const Programme& programme) {
    return std::int64_t{std::max(programme.Reglages.DureeAttente, 0)} * 3600;
}

std::string DossierFileAttente(const Programme& programme) {
    if (programme.ReglagesMachine) {
        return plateforme::DossierFileAttenteMachine();
    }
    if (programme.Portable) {
        return programme.DossierConfiguration + "outbox";
    }
    const std::optional<std::string> dossier = plateforme::DossierFileAttenteUtilisateur();
    if (!dossier) {
        throw Erreur(ErrCheminIntrouvable, "XDG_STATE_HOME, HOME");
    }
    return *dossier;
}

std::string NomsConfigurations(const Programme& programme) {
    std::string noms;
    for (const clsConfigSMTP& config : programme.ListeConfigsSMTP) {
        noms += (noms.empty() ? "" : ", ") + config.Nom;
    }
    return noms;
}

const clsConfigSMTP* ConfigurationNommee(const Programme& programme, const std::string& nom) {
    if (nom.empty()) {
        return programme.ListeConfigsSMTP.empty() ? nullptr : &programme.ListeConfigsSMTP.front();
    }
    for (const clsConfigSMTP& config : programme.ListeConfigsSMTP) {
        if (EgauxSansCasse(config.Nom, nom)) {
            return &config;
        }
    }
    return nullptr;
}

sendmail::ContexteRelais ContexteRelaisDe(const Programme& programme,
                                          const clsConfigSMTP& configuration) {
    sendmail::ContexteRelais contexte;
    contexte.configuration = configuration;
    contexte.expediteurParDefaut = programme.Reglages.ExpediteurParDefaut;
    contexte.fichierJetons = FichierJetons(programme.FichierConfiguration);
    contexte.suffixe = programme.Reglages.Suffixe;
    contexte.timeoutSecondes = programme.Reglages.TimeoutSMTP;
    return contexte;
}

IssueEssai EssaieEntree(const Programme& programme, outbox::Prise& prise, std::int64_t maintenant,
                        const std::function<void(std::string_view)>& trace) {
    return Conclut(programme, prise, Tente(programme, prise.entree, trace), maintenant, trace);
}

void ListeFileAttente(const Programme& programme) {
    const Langue& langue = programme.Langage;
    const outbox::FileAttente file(DossierFileAttente(programme));
    const std::int64_t maintenant = Maintenant();
    const bool vide = file.Identifiants().empty();
    if (vide) {
        std::cout << langue.Texte("TXT_SENDMAIL_FILE_VIDE") << '\n';
    } else {
        std::cout << langue.Texte("TXT_OUTBOX_ENTETE") << '\n';
        ListeEntrees(langue, file, false, maintenant);
    }
    if (!file.Identifiants(true).empty()) {
        std::cout << FormateMessage(langue.Texte("TXT_OUTBOX_ECHOUES"), file.Dossier() + "failed/")
                  << '\n';
        ListeEntrees(langue, file, true, maintenant);
    }
}

int ExecuteFileAttente(const Programme& programme, const std::vector<std::string>& arguments) {
    const Langue& langue = programme.Langage;
    const std::string commande = arguments.empty() ? std::string() : arguments.front();
    const bool avecId = commande == "remove" || commande == "retry";
    if (arguments.size() != (avecId ? 2U : 1U) ||
        (!avecId && commande != "list" && commande != "run" && commande != "flush")) {
        std::string donnee;
        for (const std::string& argument : arguments) {
            donnee += (donnee.empty() ? "" : " ") + argument;
        }
        return Signale(langue, kSortieGestionRefus,
                       FormateMessage(langue.Texte("MSG_OUTBOX_USAGE"), Lisible(donnee)));
    }
    try {
        if (commande == "list") {
            ListeFileAttente(programme);
            return 0;
        }
        outbox::FileAttente file(DossierFileAttente(programme));
        if (!avecId) {
            return ExpedieFile(programme, file, commande == "flush");
        }
        const bool fait = commande == "remove" ? file.Retire(arguments[1])
                                               : file.Reprend(arguments[1], Maintenant());
        if (!fait) {
            return Signale(
                langue, kSortieGestionRefus,
                FormateMessage(langue.Texte("MSG_OUTBOX_INCONNU"), Lisible(arguments[1])));
        }
        return 0;
    } catch (const Erreur& erreur) {
        return Signale(langue, kSortieGestionFichier,
                       FormateMessage(langue.Texte("MSG_OUTBOX_ERREUR"), erreur.Description()));
    }
}

}  // namespace corvelle
