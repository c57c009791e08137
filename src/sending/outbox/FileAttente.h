#pragma once

// The outbox: messages kept on disk until they are delivered, one file each,
// with their envelope and what became of their attempts. A file is written
// whole before anyone is told it is safe, and is held by one runner at a
// time while it is tried.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Plateforme.h"

namespace corvelle::outbox {

// What the relay is told besides the message.
struct Enveloppe {
    std::string configuration;  // the SMTP configuration to send it through
    std::string expediteur;     // MAIL FROM; empty for the null sender
    std::vector<std::string> destinataires;
    bool huitBits = false;
    std::string notify;  // DSN options, as the relay takes them
    std::string ret;
    std::string envid;
};

struct Historique {
    std::int64_t creation = 0;  // seconds since the epoch
    std::int32_t tentatives = 0;
    std::int64_t prochaine = 0;   // when it is due again
    std::string derniereReponse;  // the last failure, as the relay said it
    // Of an entry not delivered: why its failure notice could not reach the
    // sender; empty when it went, or none was due.
    std::string avisNonEnvoye{};
};

// When to try again after a temporary failure at `maintenant`: 1, 5, 15, 30
// minutes after the first failures, then hourly; nothing once that would be
// past the message's lifetime (`duree` seconds from its arrival).
[[nodiscard]] std::optional<std::int64_t> ProchaineTentative(const Historique& historique,
                                                             std::int64_t maintenant,
                                                             std::int64_t duree);

struct Entree {
    std::string id;
    Enveloppe enveloppe;
    Historique historique;
    std::string message;  // the bytes to relay, CRLF line ends
    // The user who put it there; -1 for entries kept before it was noted.
    std::int64_t redacteur = -1;
};

// Past this, a file in the outbox is not one of ours.
inline constexpr std::size_t kTailleMaxEntree = plateforme::kTailleMaxLecture + (1 << 20);
// Room a new entry leaves under that cap for the history its retries write:
// the last reply (at most 64 KiB from a server, escaped) and the counters.
inline constexpr std::size_t kPlaceHistorique = std::size_t{256} << 10;

// The file's bytes, and back; nothing when they do not read as a whole entry
// (a file cut short, another file put there).
[[nodiscard]] std::string Serialise(const Entree& entree);
[[nodiscard]] std::optional<Entree> Deserialise(std::string_view octets);

class FileAttente;

// A new entry written as its message is built, so that a large one is never
// held whole in memory: under a temporary name until Valide(); dropped
// before, nothing is kept.
class Depot {
  public:
    // Appends to the message; false once it takes no more: past what the
    // outbox keeps (Deborde()), or the disk refused (Valide() says why).
    bool Ecrit(std::string_view octets);
    [[nodiscard]] bool Echoue() const noexcept { return erreur_ != 0; }
    [[nodiscard]] bool Deborde() const noexcept;
    // Makes the entry whole and durable: its id. Raises an Erreur when it
    // cannot be: then nothing is kept.
    [[nodiscard]] std::string Valide();

  private:
    friend class FileAttente;
    Depot() = default;

    std::string dossier_;
    std::int64_t creation_ = 0;
    std::string id_;
    plateforme::FichierDurable fichier_;
    std::size_t entete_ = 0;  // its fields' bytes, the size last
    std::size_t taille_ = 0;  // the message's so far
    int erreur_ = 0;
};

// An entry this process holds while it tries it; the others leave it alone.
// Each outcome is written durably before the hold ends; dropped without one,
// the entry stays as it was, due as before.
class Prise {
  public:
    Entree entree;

    // Delivered: the entry goes.
    void Livree();
    // To try again at `prochaine`, with this reply remembered.
    void Reporte(const std::string& reponse, std::int64_t prochaine);
    // Not to be tried again: moved to failed/ with the reply, and why its
    // failure notice did not go, if it did not. Raises an Erreur naming the
    // reply in an outbox of another user's (the machine's spool, for a user
    // who only dropped the message there): left as it is.
    void Abandonne(const std::string& reponse, const std::string& avisNonEnvoye = {});
    // Raises the Erreur Abandonne would, before anything is said of the
    // failure: the runner that sets the entry aside is the one to tell the
    // sender, once.
    void VerifieAbandon(const std::string& reponse) const;

  private:
    friend class FileAttente;
    std::string dossier_;
    plateforme::FichierReserve fichier_;
};

enum class EtatPrise {
    Prise,
    Occupee,  // another runner holds it
    Absente,  // gone meanwhile (delivered by another)
    Abimee,   // not an entry: moved to damaged/, `raison` says why
};

struct ResultatPrise {
    EtatPrise etat = EtatPrise::Absente;
    Prise prise;
    std::string raison;
    // Abimee for its owner: a user who neither wrote it nor runs the outbox.
    std::optional<std::uint32_t> proprietaireEtranger;
};

class FileAttente {
  public:
    // `dossier` is created on the first deposit; failed/ and damaged/ when
    // first needed, by the runner, as folders of its own.
    explicit FileAttente(std::string dossier);

    [[nodiscard]] const std::string& Dossier() const { return dossier_; }

    // Writes a new entry, due at once; its id. Raises an Erreur when it cannot
    // be written whole: then nothing was kept.
    [[nodiscard]] std::string Depose(const Enveloppe& enveloppe, std::string_view message,
                                     std::int64_t maintenant);
    // Starts one whose message is written as it comes, with the history it
    // has already. Raises an Erreur when it cannot be started.
    [[nodiscard]] Depot Commence(const Enveloppe& enveloppe, const Historique& historique);

    // The ids waiting, oldest first; of failed/ with `echouees`. Raises an
    // Erreur when the folder cannot be listed (the machine's spool, for a
    // user who may only drop messages there).
    [[nodiscard]] std::vector<std::string> Identifiants(bool echouees = false) const;

    // An entry's fields read for a listing, without holding it nor reading
    // its message (left empty); nothing when it is gone or is not an entry.
    [[nodiscard]] std::optional<Entree> Consulte(const std::string& id, bool echouee = false) const;

    // Removes what writers killed in the middle left behind.
    void Nettoie() const;

    // Holds an entry to try it. Only a regular file with one name, owned by
    // the user who wrote it or by this process's user, and within the size
    // cap is one: anything else (a link, a pipe, a file cut short, another
    // user's file) moves to damaged/, left as it is.
    [[nodiscard]] ResultatPrise Prend(const std::string& id);

    // Removes a waiting or failed entry (held first, so never one being
    // tried); false when there is none free by that id.
    bool Retire(const std::string& id);
    // Puts a failed entry back in the outbox, due at once; false when there is
    // none by that id.
    bool Reprend(const std::string& id, std::int64_t maintenant);

  private:
    std::string dossier_;  // ends with a separator
};

}  // namespace corvelle::outbox
