// The system calls behind the outbox: files that survive a crash whole or
// not at all, and a lock that keeps two runners off one message.

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <utility>

#include "core/Plateforme.h"
#include "core/PlateformeInterne.h"

namespace corvelle::plateforme {

namespace {

std::string DossierDe(const std::string& chemin) {
    const std::size_t separateur = chemin.rfind(kSeparateur);
    return separateur == std::string::npos ? std::string(".") : chemin.substr(0, separateur + 1);
}

// A rename or an unlink is only on the disk once the folder is. A folder its
// writer may add to but not read (the machine's spool: a mail drop) cannot be
// opened to be flushed; then its whole file system is, through a file of it
// (`fdVoisin`) when there is one.
int SynchroniseDossier(const std::string& dossier, int fdVoisin = -1) {
    const Descripteur fd(::open(dossier.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() < 0) {
        const int erreur = errno;
        if (erreur != EACCES) {
            return erreur;
        }
        if (fdVoisin >= 0) {
            return ::syncfs(fdVoisin) == 0 ? 0 : errno;
        }
        ::sync();
        return 0;
    }
    return ::fsync(fd.get()) == 0 ? 0 : errno;
}

int Renomme(const std::string& source, const std::string& cible, bool remplace) {
    if (remplace) {
        return ::rename(source.c_str(), cible.c_str()) == 0 ? 0 : errno;
    }
    return ::renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, cible.c_str(), RENAME_NOREPLACE) == 0
               ? 0
               : errno;
}

}  // namespace

int EcritFichierDurable(const std::string& chemin, std::string_view contenu, bool remplace) {
    FichierDurable fichier;
    int erreur = fichier.Cree(chemin);
    if (erreur == 0) {
        erreur = fichier.Ecrit(contenu);
    }
    return erreur != 0 ? erreur : fichier.Termine(chemin, remplace);
}

FichierDurable::~FichierDurable() {
    Abandonne();
}

FichierDurable::FichierDurable(FichierDurable&& autre) noexcept
    : fd_(std::exchange(autre.fd_, -1)), temporaire_(std::exchange(autre.temporaire_, {})) {}

FichierDurable& FichierDurable::operator=(FichierDurable&& autre) noexcept {
    if (this != &autre) {
        Abandonne();
        fd_ = std::exchange(autre.fd_, -1);
        temporaire_ = std::exchange(autre.temporaire_, {});
    }
    return *this;
}

void FichierDurable::Abandonne() noexcept {
    if (fd_ >= 0) {
        ::close(std::exchange(fd_, -1));
    }
    if (!temporaire_.empty()) {
        ::unlink(temporaire_.c_str());
        temporaire_.clear();
    }
}

int FichierDurable::Cree(const std::string& chemin) {
    Abandonne();
    const std::string nom = chemin.substr(chemin.rfind(kSeparateur) + 1);
    std::string temporaire = DossierDe(chemin) + "." + nom + ".XXXXXX.tmp";
    fd_ = ::mkstemps(temporaire.data(), 4);
    if (fd_ < 0) {
        return errno;
    }
    temporaire_ = std::move(temporaire);
    return 0;
}

int FichierDurable::Ecrit(std::string_view octets) noexcept {
    return fd_ < 0 ? EBADF : EcritOctets(fd_, octets);
}

int FichierDurable::Remplace(std::uint64_t position, std::string_view octets) noexcept {
    while (!octets.empty()) {
        const ssize_t n = ::pwrite(fd_, octets.data(), octets.size(), static_cast<off_t>(position));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return n < 0 ? errno : EIO;
        }
        octets.remove_prefix(static_cast<std::size_t>(n));
        position += static_cast<std::uint64_t>(n);
    }
    return 0;
}

int FichierDurable::Termine(const std::string& chemin, bool remplace) noexcept {
    if (fd_ < 0) {
        return EBADF;
    }
    if (::fsync(fd_) != 0) {
        const int erreur = errno;
        Abandonne();
        return erreur;
    }
    if (const int erreur = Renomme(temporaire_, chemin, remplace); erreur != 0) {
        if (erreur != EEXIST || remplace) {
            Abandonne();
        }
        return erreur;
    }
    temporaire_.clear();
    const int erreur = SynchroniseDossier(DossierDe(chemin), fd_);
    ::close(std::exchange(fd_, -1));
    return erreur;
}

int DeplaceFichierDurable(const std::string& source, const std::string& cible) {
    if (const int erreur = Renomme(source, cible, false); erreur != 0) {
        return erreur;
    }
    if (const int erreur = SynchroniseDossier(DossierDe(cible)); erreur != 0) {
        return erreur;
    }
    return SynchroniseDossier(DossierDe(source));
}

int SupprimeFichierDurable(const std::string& chemin) {
    // Held open across the unlink, for a folder that cannot be flushed itself.
    const Descripteur fd(
        ::open(chemin.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (::unlink(chemin.c_str()) != 0) {
        return errno;
    }
    return SynchroniseDossier(DossierDe(chemin), fd.get());
}

void SupprimeEcrituresAbandonnees(const std::string& dossier, std::int64_t ageSecondes) noexcept {
    const auto fermeture = [](DIR* d) { ::closedir(d); };
    const std::unique_ptr<DIR, decltype(fermeture)> flux(::opendir(dossier.c_str()), fermeture);
    if (!flux) {
        return;
    }
    const std::time_t limite = std::time(nullptr) - ageSecondes;
    while (const dirent* entree = ::readdir(flux.get())) {
        // Only names EcritFichierDurable gives: ".<name>.XXXXXX.tmp".
        const std::string_view nom = entree->d_name;
        constexpr std::string_view kFin = ".tmp";
        if (!nom.starts_with('.') || !nom.ends_with(kFin) || nom.size() < 1 + 1 + 7 + kFin.size() ||
            nom[nom.size() - kFin.size() - 7] != '.') {
            continue;
        }
        struct stat etat {};
        if (::fstatat(::dirfd(flux.get()), entree->d_name, &etat, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(etat.st_mode) && etat.st_mtime < limite) {
            ::unlinkat(::dirfd(flux.get()), entree->d_name, 0);
        }
    }
}

int NomsDuDossier(const std::string& dossier, const std::string& extension,
                  std::vector<std::string>& noms) {
    noms.clear();
    const auto fermeture = [](DIR* d) { ::closedir(d); };
    const std::unique_ptr<DIR, decltype(fermeture)> flux(::opendir(dossier.c_str()), fermeture);
    if (!flux) {
        return errno;
    }
    while (const dirent* entree = ::readdir(flux.get())) {
        const std::string nom = entree->d_name;
        if (nom.front() != '.' && nom.size() > extension.size() && nom.ends_with(extension)) {
            noms.push_back(nom);
        }
    }
    std::sort(noms.begin(), noms.end());
    return 0;
}

std::uint32_t UtilisateurEffectif() noexcept {
    return ::geteuid();
}

int PrepareDossierPrive(const std::string& chemin) {
    // Without its final separator: "link/" would name the link's target.
    std::string nom = chemin;
    while (nom.size() > 1 && nom.back() == kSeparateur) {
        nom.pop_back();
    }
    if (::mkdir(nom.c_str(), S_IRWXU) != 0 && errno != EEXIST) {
        return errno;
    }
    struct stat etat {};
    if (::lstat(nom.c_str(), &etat) != 0) {
        return errno;
    }
    if (!S_ISDIR(etat.st_mode)) {
        return ENOTDIR;
    }
    return etat.st_uid == ::geteuid() ? 0 : EPERM;
}

FichierReserve::~FichierReserve() {
    Libere();
}

FichierReserve::FichierReserve(FichierReserve&& autre) noexcept
    : fd_(std::exchange(autre.fd_, -1)), proprietaire_(autre.proprietaire_) {}

FichierReserve& FichierReserve::operator=(FichierReserve&& autre) noexcept {
    if (this != &autre) {
        Libere();
        fd_ = std::exchange(autre.fd_, -1);
        proprietaire_ = autre.proprietaire_;
    }
    return *this;
}

void FichierReserve::Libere() noexcept {
    if (fd_ >= 0) {
        ::close(std::exchange(fd_, -1));  // releases the lock
    }
}

namespace {

// Opens the file, locked when `verrou`: the descriptor, or minus the errno
// value; `etat` is what it is.
int Ouvre(const std::string& chemin, std::size_t tailleMax, bool verrou, struct stat& etat) {
    // O_NONBLOCK: a named pipe put there must not hold the reader up.
    Descripteur fd(
        ::open(chemin.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.get() < 0) {
        return -errno;
    }
    // Checked on the file opened, not on the name: the name may be changed
    // meanwhile by whoever may write to the folder.
    if (::fstat(fd.get(), &etat) != 0) {
        return -errno;
    }
    // A second name (a hard link) could be another's file slipped in.
    if (!S_ISREG(etat.st_mode) || etat.st_nlink > 1) {
        return -EINVAL;
    }
    if (verrou && ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
        return -(errno == EINTR ? EWOULDBLOCK : errno);
    }
    // Another runner may have finished with it between our open and our lock:
    // removed, moved aside or rewritten under the same name. Only the file the
    // name holds now may be worked on.
    struct stat maintenant {};
    if (::fstat(fd.get(), &etat) != 0) {
        return -errno;
    }
    if (::lstat(chemin.c_str(), &maintenant) != 0 || maintenant.st_ino != etat.st_ino ||
        maintenant.st_dev != etat.st_dev || etat.st_nlink == 0) {
        return -ENOENT;
    }
    if (static_cast<std::size_t>(etat.st_size) > tailleMax) {
        return -EFBIG;
    }
    return fd.Relache();
}

// Up to `taille` bytes more, fewer at the file's end: 0 or the errno value.
int LitSuite(int fd, std::size_t taille, std::string& contenu) {
    const std::size_t debut = contenu.size();
    contenu.resize(debut + taille);
    std::size_t lus = 0;
    while (lus < taille) {
        const ssize_t n = ::read(fd, contenu.data() + debut + lus, taille - lus);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            contenu.resize(debut + lus);
            return errno;
        }
        if (n == 0) {
            break;
        }
        lus += static_cast<std::size_t>(n);
    }
    contenu.resize(debut + lus);
    return 0;
}

}  // namespace

int FichierReserve::Reserve(const std::string& chemin, std::size_t tailleMax,
                            std::string& contenu) {
    Libere();
    struct stat etat {};
    Descripteur fd(Ouvre(chemin, tailleMax, true, etat));
    if (fd.get() < 0) {
        return -fd.get();
    }
    contenu.clear();
    const auto taille = static_cast<std::size_t>(etat.st_size);
    if (const int erreur = LitSuite(fd.get(), taille, contenu); erreur != 0) {
        return erreur;
    }
    if (contenu.size() != taille) {
        return EIO;
    }
    proprietaire_ = etat.st_uid;
    fd_ = fd.Relache();
    return 0;
}

int LitDebutSansLien(const std::string& chemin, std::size_t tailleMax, std::string_view fin,
                     std::string& debut, std::uint64_t& taille) {
    struct stat etat {};
    const Descripteur fd(Ouvre(chemin, tailleMax, false, etat));
    if (fd.get() < 0) {
        return -fd.get();
    }
    taille = static_cast<std::uint64_t>(etat.st_size);
    debut.clear();
    constexpr std::size_t kMorceau = std::size_t{64} << 10;
    for (;;) {
        // The end may straddle two pieces.
        const std::size_t depuis = debut.size() < fin.size() ? 0 : debut.size() - fin.size() + 1;
        const std::size_t avant = debut.size();
        if (const int erreur = LitSuite(fd.get(), kMorceau, debut); erreur != 0) {
            return erreur;
        }
        if (const std::size_t trouve = debut.find(fin, depuis); trouve != std::string::npos) {
            debut.resize(trouve + fin.size());
            return 0;
        }
        if (debut.size() == avant || debut.size() >= taille) {
            return 0;
        }
    }
}

}  // namespace corvelle::plateforme
