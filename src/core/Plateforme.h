#pragma once

// Everything that differs between operating systems. Nothing else in the
// program includes a system header.

#include <optional>
#include <string>
#include <vector>

namespace corvelle::plateforme {

// Path separator of the path helpers.
inline constexpr char kSeparateur = '/';

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

// Whole file as bytes. Errors: 53 missing, 70 permission, 75 other failures.
[[nodiscard]] std::string LitOctets(const std::string& chemin);

// Replaces the file's content through a temporary file and a rename, so a
// reader never sees it half-written. A new file is readable by its owner only;
// an existing one keeps its permissions.
void EcritFichierAtomique(const std::string& chemin, const std::string& contenu);

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

[[nodiscard]] std::string CheminExecutable();
[[nodiscard]] std::string DossierTravail();

// The per-user configuration folder: $XDG_CONFIG_HOME, else ~/.config;
// nothing when neither can be found.
[[nodiscard]] std::optional<std::string> DossierDonneesApplication();

// The install prefix: a binary under it is an installed program.
[[nodiscard]] std::string DossierProgrammes();

// Where an installed program keeps its translation files.
[[nodiscard]] std::string DossierDonneesInstallees();

// The locale that decides the language of messages (LC_ALL, LC_MESSAGES, LANG).
[[nodiscard]] std::string LocaleMessages();

// A graphical session is there to show windows.
[[nodiscard]] bool AffichageDisponible();

// Flushes the standard streams and ends the process at once.
[[noreturn]] void TermineProgramme(int code);

// The system's text for an errno value.
[[nodiscard]] std::string DescriptionSysteme(int numero);

}  // namespace corvelle::plateforme
