#pragma once

// Everything that differs between operating systems. Nothing else in the
// program includes a system header.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvelle::plateforme {

// Path separator of the path helpers.
inline constexpr char kSeparateur = '/';

// File names that differ only in letter case name different files.
inline constexpr bool kCasseDesNomsDeFichiers = true;

// File attribute bits, with the values stored files and callers know.
enum Attribut : unsigned {
    AttrLectureSeule = 1,
    AttrCache = 2,
    AttrSysteme = 4,
    AttrDossier = 16,
    AttrArchive = 32,
};

// Attributes of a path; nothing when it cannot be read (missing, bad path).
[[nodiscard]] std::optional<unsigned> Attributs(const std::string& chemin) noexcept;

// What a whole-file read holds at most: more than any mail server takes,
// and a bound for files that never end (/dev/zero, an endless pipe).
inline constexpr std::size_t kTailleMaxLecture = std::size_t{256} << 20;

// Whole file as bytes, with room left for a few more. Errors: 53 missing,
// 70 permission, 6 larger than `tailleMax`, 75 other failures.
// The name that reads standard input instead of a file, as body files allow.
inline constexpr std::string_view kEntreeStandard = "-";

[[nodiscard]] std::string LitOctets(const std::string& chemin,
                                    std::size_t tailleMax = kTailleMaxLecture);

// What a path names, after following symbolic links.
enum class NatureChemin { Absent, Fichier, Dossier, Autre };
[[nodiscard]] NatureChemin Nature(const std::string& chemin) noexcept;

// Replaces the file's content through a temporary file and a rename, so a
// reader never sees it half-written. A new file is readable by its owner only;
// an existing one keeps its permissions. Anything but a regular file (a
// device, a named pipe) is refused rather than replaced by one.
void EcritFichierAtomique(const std::string& chemin, const std::string& contenu);

// The path a rewrite replaces: the file a symbolic link leads to, or the path
// itself when nothing is there yet.
[[nodiscard]] std::string CheminReel(const std::string& chemin);

// An exclusive lock held on a lock file (created user-only when missing) until
// the object goes; waits while another process holds it. Raises an error
// naming the file when it cannot be opened.
class VerrouExclusif {
  public:
    explicit VerrouExclusif(const std::string& cheminVerrou);
    ~VerrouExclusif();
    VerrouExclusif(const VerrouExclusif&) = delete;
    VerrouExclusif& operator=(const VerrouExclusif&) = delete;

  private:
    int fd_ = -1;
};

// Creates a folder and any missing parent, user-only.
void CreeDossier(const std::string& chemin);

// Copies a file, replacing the target; the copy is user-only.
void CopieFichier(const std::string& source, const std::string& cible);

// Deletes a file; false when it could not be deleted.
bool SupprimeFichier(const std::string& chemin) noexcept;

// Names of the regular files of a folder that end with `extension`, in name
// order; empty when the folder cannot be listed.
[[nodiscard]] std::vector<std::string> FichiersDuDossier(const std::string& dossier,
                                                         const std::string& extension);

// Files of a folder whose names match a pattern with * and ? (the pattern's
// last path element; the folder part is taken as it is), in name order.
// Regular files only; nothing when the folder cannot be listed.
[[nodiscard]] std::vector<std::string> FichiersCorrespondants(const std::string& motif);

// Creates one folder level, user-only: 0, or why not (an errno value, EEXIST
// when it is already there).
[[nodiscard]] int CreeDossierSimple(const std::string& chemin) noexcept;

// Appends text to a file, created user-only when missing: 0, or why not (an
// errno value).
[[nodiscard]] int AjouteAuFichier(const std::string& chemin, std::string_view texte) noexcept;

// A new file, written under a temporary name beside it and given its own name
// only once whole: a failure (a full disk) leaves nothing behind, and a file
// already there is never replaced. The temporary file goes with the object
// unless Termine() succeeded. Failures are errno values, for callers that word
// them themselves.
class FichierNouveau {
  public:
    FichierNouveau() noexcept = default;
    ~FichierNouveau();
    FichierNouveau(const FichierNouveau&) = delete;
    FichierNouveau& operator=(const FichierNouveau&) = delete;

    // EEXIST when a file has the name already.
    [[nodiscard]] int Cree(const std::string& chemin);
    [[nodiscard]] int Ecrit(std::string_view octets) noexcept;
    // Closes the file and gives it its name; EEXIST when another took the
    // name meanwhile.
    [[nodiscard]] int Termine() noexcept;

  private:
    void Abandonne() noexcept;

    int fd_ = -1;
    std::string temporaire_;
    std::string chemin_;
};

// Durable files, for messages kept until they are delivered: after a crash
// or a power cut at any moment, such a file is either whole or absent.
// Failures are errno values, for callers that word them themselves.

// Writes the file under a temporary name beside it (a hidden name ending in
// ".tmp", which listings of entries skip), flushes it to the disk, gives it
// its name (over a file already there only when `remplace`), then flushes the
// folder so the name itself survives. A new file is readable by its owner only.
[[nodiscard]] int EcritFichierDurable(const std::string& chemin, std::string_view contenu,
                                      bool remplace);

// The same file written piece by piece, for a message too large to hold in
// memory: under the same temporary name until Termine(), which does the rest
// of what EcritFichierDurable does. Dropped before, the temporary file goes.
class FichierDurable {
  public:
    FichierDurable() noexcept = default;
    ~FichierDurable();
    FichierDurable(const FichierDurable&) = delete;
    FichierDurable& operator=(const FichierDurable&) = delete;
    FichierDurable(FichierDurable&& autre) noexcept;
    FichierDurable& operator=(FichierDurable&& autre) noexcept;

    // The temporary file, named after `chemin`.
    [[nodiscard]] int Cree(const std::string& chemin);
    [[nodiscard]] int Ecrit(std::string_view octets) noexcept;
    // Over bytes already written, `position` bytes from the start.
    [[nodiscard]] int Remplace(std::uint64_t position, std::string_view octets) noexcept;
    // Flushes the file and gives it the name `chemin`; EEXIST, the file kept
    // for another name, when one has it already and not `remplace`.
    [[nodiscard]] int Termine(const std::string& chemin, bool remplace) noexcept;

  private:
    void Abandonne() noexcept;

    int fd_ = -1;
    std::string temporaire_;
};

// Gives a file a name in another folder of the same file system, never over a
// file already there, and flushes both folders.
[[nodiscard]] int DeplaceFichierDurable(const std::string& source, const std::string& cible);

// Removes a file and flushes its folder.
[[nodiscard]] int SupprimeFichierDurable(const std::string& chemin);

// Removes the temporary files EcritFichierDurable left in a folder when its
// writer was killed, once older than `ageSecondes`: a younger one may be a
// write in progress.
void SupprimeEcrituresAbandonnees(const std::string& dossier, std::int64_t ageSecondes) noexcept;

// The names in a folder that end with `extension`, whatever they name (a
// link, a named pipe, a folder), hidden names aside, in name order: 0, or why
// the folder cannot be listed (ENOENT when there is none).
[[nodiscard]] int NomsDuDossier(const std::string& dossier, const std::string& extension,
                                std::vector<std::string>& noms);

// The user this process acts for (its effective user id).
[[nodiscard]] std::uint32_t UtilisateurEffectif() noexcept;

// A folder of this process's user, for what others must not see: created
// user-only when missing. 0, or ENOTDIR when the name holds anything else (a
// link included), EPERM when another user owns it, or why it cannot be made.
[[nodiscard]] int PrepareDossierPrive(const std::string& chemin);

// Opens a file as FichierReserve does, without holding it, and reads it up to
// the first `fin` (included), or whole when there is none: a listing reads a
// message's fields, not the message. `taille` is the whole file's size.
[[nodiscard]] int LitDebutSansLien(const std::string& chemin, std::size_t tailleMax,
                                   std::string_view fin, std::string& debut, std::uint64_t& taille);

// A file held by one process at a time while it works on it: opened without
// following a link, a regular file with one name only, locked without
// waiting. The lock goes with the object, or with the process however it
// ends.
class FichierReserve {
  public:
    FichierReserve() noexcept = default;
    ~FichierReserve();
    FichierReserve(const FichierReserve&) = delete;
    FichierReserve& operator=(const FichierReserve&) = delete;
    FichierReserve(FichierReserve&& autre) noexcept;
    FichierReserve& operator=(FichierReserve&& autre) noexcept;

    // Holds `chemin` and reads it whole into `contenu`: 0, or EWOULDBLOCK
    // when another holds it, ENOENT when it is gone (taken and removed or
    // moved by another meanwhile), ELOOP for a link, EINVAL for anything but
    // a regular file with one name, EFBIG when larger than `tailleMax`.
    [[nodiscard]] int Reserve(const std::string& chemin, std::size_t tailleMax,
                              std::string& contenu);
    void Libere() noexcept;

    // The user who owns the file held (its last writer).
    [[nodiscard]] std::uint32_t Proprietaire() const noexcept { return proprietaire_; }

  private:
    int fd_ = -1;
    std::uint32_t proprietaire_ = 0;
};

// The local date and time as "dd/mm/yyyy hh:nn:ss".
[[nodiscard]] std::string HorodatageLocal();

// Loads a shared module; null (with the reason in `erreur`) when it cannot.
[[nodiscard]] void* ChargeModule(const std::string& chemin, std::string& erreur) noexcept;
[[nodiscard]] void* SymboleModule(void* module, const char* nom) noexcept;

// Where an installed program keeps its modules.
[[nodiscard]] std::string DossierModules();

[[nodiscard]] std::string CheminExecutable();

// Starts this program again, with no arguments, in the same working folder;
// it runs on alone. Raises an error when it cannot be started.
void RelanceProgramme();
[[nodiscard]] std::string DossierTravail();

// The per-user configuration folder: $XDG_CONFIG_HOME, else ~/.config;
// nothing when neither can be found.
[[nodiscard]] std::optional<std::string> DossierDonneesApplication();

// The per-user outbox: $XDG_STATE_HOME/corvelle/outbox, else
// ~/.local/state/corvelle/outbox; nothing when neither can be found.
[[nodiscard]] std::optional<std::string> DossierFileAttenteUtilisateur();

// The outbox of the machine's settings (/var/spool/corvelle once installed).
[[nodiscard]] std::string DossierFileAttenteMachine();

// The install prefix: a binary under it is an installed program.
[[nodiscard]] std::string DossierProgrammes();

// Where an installed program keeps its translation files.
[[nodiscard]] std::string DossierDonneesInstallees();
// The settings of the whole machine, for users who have none of their own
// (/etc/corvelle/Corvelle.ini once installed).
[[nodiscard]] std::string FichierReglagesMachine();

// The locale that decides the language of messages (LC_ALL, LC_MESSAGES, LANG).
[[nodiscard]] std::string LocaleMessages();

// The Qt platforms the windows may use, in the order Qt tries them, each as
// QT_QPA_PLATFORM writes it ("xcb", "wayland", "offscreen:size=800x600"): that
// variable's list, else the display servers ("wayland" first in a Wayland
// session, then "xcb").
[[nodiscard]] std::vector<std::string> PlateformesGraphiques();

// Whether the display a platform of that list draws on answers: the X server
// named by DISPLAY for xcb, the compositor named by WAYLAND_DISPLAY for
// wayland, connected to (and left) with the very libraries their Qt plugins
// use; true for a platform without a display server (offscreen, vnc...).
[[nodiscard]] bool AffichageRepond(std::string_view plateforme);

// Windows can be shown: one of those platforms has a display that answers. A
// stale DISPLAY (a closed SSH session's) is no display: Qt would end the
// process on it.
[[nodiscard]] bool AffichageDisponible();

// The display the environment names (DISPLAY, else WAYLAND_DISPLAY), for
// messages; empty when none.
[[nodiscard]] std::string AffichageNomme();

// Flushes the standard streams and ends the process at once.
[[noreturn]] void TermineProgramme(int code);

// The system's text for an errno value.
[[nodiscard]] std::string DescriptionSysteme(int numero);

// Value of an environment variable; empty when it is not set.
[[nodiscard]] std::string VariableEnvironnement(const std::string& nom);

// Sets an environment variable of this process, inherited by every program it
// starts (a restart included).
void DefinitVariableEnvironnement(const std::string& nom, const std::string& valeur);

// Standard input is a terminal (a person types there).
[[nodiscard]] bool EntreeEstTerminal() noexcept;

// Standard error is a terminal (a person watches it).
[[nodiscard]] bool ErreurEstTerminal() noexcept;

// From now on, SIGINT and SIGTERM ask for a stop instead of ending the
// process, so a send can end its transaction and say what went; the same one
// again ends the process as usual, for a person who will not wait.
void InterceptArrets() noexcept;
// One of those signals came since InterceptArrets().
[[nodiscard]] bool ArretDemande() noexcept;

// One line of standard input without its line end; on a terminal what is
// typed is not shown. Empty at the end of the input.
[[nodiscard]] std::string LitLigneMasquee();

// What a command run by ExecuteCommande did.
struct IssueCommande {
    bool demarree = false;      // false: it could not be started, `erreurs` says why
    bool delaiDepasse = false;  // stopped at the time-out
    int code = -1;              // exit status; -1 when ended by a signal
    std::string sortie;         // standard output, at most kTailleMaxSortieCommande
    std::string erreurs;        // standard error, the same
};

inline constexpr std::size_t kTailleMaxSortieCommande = 64 * 1024;

// Runs a command through the shell (/bin/sh -c) without a terminal: empty
// standard input, no controlling terminal (so nothing can prompt and wait),
// output and errors captured. After `delaiMs` it is killed, with whatever it
// started.
[[nodiscard]] IssueCommande ExecuteCommande(const std::string& commande, std::int32_t delaiMs);

// The two descriptors of an anonymous pipe, both closed on exec.
struct Tube {
    int lecture = -1;
    int ecriture = -1;
};

// Opens a pipe. Raises an error when the system has none left to give.
[[nodiscard]] Tube CreeTube();

// From now on, a write by the calling thread to a pipe whose reader has gone
// fails with an error instead of ending the process (SIGPIPE on Linux).
void IgnoreTubeRompuDansCeFil() noexcept;

// What a socket is ready for after a wait.
struct EtatSocket {
    bool lisible = false;
    bool inscriptible = false;
};

// Waits at most `ms` milliseconds until the socket can be read (or, when
// `ecriture`, read or written). Nothing ready at the time-out; a socket in
// error or closed counts as readable, so that the next read reports it.
[[nodiscard]] EtatSocket AttendSocket(std::int64_t socket, bool ecriture, std::int32_t ms) noexcept;

// A file at one moment. Another device or inode (a file put in its place),
// size or modification time, and its bytes may have changed.
struct IdentiteFichier {
    std::uint64_t peripherique = 0;
    std::uint64_t inode = 0;
    std::int64_t taille = 0;
    std::int64_t modificationNs = 0;  // since the epoch
    bool operator==(const IdentiteFichier&) const = default;
};

// A regular file open for reading, closed when the object goes. Failures are
// errno values, for callers that word them themselves.
class FichierLu {
  public:
    FichierLu() noexcept = default;
    ~FichierLu();
    FichierLu(const FichierLu&) = delete;
    FichierLu& operator=(const FichierLu&) = delete;

    // Opens `chemin`, closing the file open before: 0, or why not. Anything
    // but a regular file is refused (EISDIR for a folder, EINVAL otherwise)
    // without waiting on it, as opening a named pipe would.
    [[nodiscard]] int Ouvre(const std::string& chemin) noexcept;
    void Ferme() noexcept;
    [[nodiscard]] bool EstOuvert() const noexcept { return fd_ >= 0; }
    // The open file as it is now: 0, or why it cannot be known.
    [[nodiscard]] int Identite(IdentiteFichier& identite) const noexcept;
    // Up to `taille` next bytes: how many were read (0 at the end), or minus
    // the errno value.
    [[nodiscard]] std::int64_t Lit(char* tampon, std::size_t taille) noexcept;

  private:
    int fd_ = -1;
};

// Others than the owner and the group may read the file: a private key
// there is not private. False when it cannot be found out.
[[nodiscard]] bool LisibleParTous(const std::string& chemin) noexcept;

// The host's fully qualified name as its resolver gives it (the host name's
// canonical name); empty when it has none with a dot. Found once, then kept.
[[nodiscard]] std::string NomHoteQualifie();

}  // namespace corvelle::plateforme
