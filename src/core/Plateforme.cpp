#include "core/Plateforme.h"
#include "core/PlateformeInterne.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string_view>
#include <utility>

#include "core/Erreur.h"

namespace corvelle::plateforme {

namespace fs = std::filesystem;

namespace {

int NumeroDepuisErrno(int e) {
    switch (e) {
        case ENOENT:
            return ErrFichierIntrouvable;
        case ENOTDIR:
            return ErrCheminIntrouvable;
        case EACCES:
        case EPERM:
        case EROFS:
            return ErrPermissionRefusee;
        case EIO:
            return ErrEntreeSortie;
        default:
            return ErrAccesChemin;
    }
}

[[noreturn]] void LeveErreurSysteme(int e, const std::string& action, const std::string& chemin) {
    throw Erreur(NumeroDepuisErrno(e), action + " " + chemin + ": " + DescriptionSysteme(e));
}

}  // namespace

Descripteur::~Descripteur() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

namespace {

void EcritTout(int fd, const std::string& contenu, const std::string& chemin) {
    if (const int erreur = EcritOctets(fd, contenu); erreur != 0) {
        LeveErreurSysteme(erreur, "writing", chemin);
    }
}

std::string Variable(const char* nom) {
    const char* valeur = std::getenv(nom);
    return valeur ? std::string(valeur) : std::string();
}

}  // namespace

int EcritOctets(int fd, std::string_view octets) noexcept {
    while (!octets.empty()) {
        const ssize_t n = ::write(fd, octets.data(), octets.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        octets.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

std::optional<unsigned> Attributs(const std::string& chemin) noexcept {
    struct stat etat {};
    if (chemin.empty() || ::stat(chemin.c_str(), &etat) != 0) {
        return std::nullopt;
    }
    unsigned attributs = 0;
    if (S_ISDIR(etat.st_mode)) {
        attributs |= AttrDossier;
    } else if (S_ISREG(etat.st_mode)) {
        attributs |= AttrArchive;
    } else {
        attributs |= AttrSysteme;
    }
    if ((etat.st_mode & S_IWUSR) == 0) {
        attributs |= AttrLectureSeule;
    }
    const std::string nom = fs::path(chemin).filename().string();
    if (!nom.empty() && nom[0] == '.' && nom != "." && nom != "..") {
        attributs |= AttrCache;
    }
    return attributs;
}

namespace {

std::string LitDescripteur(int fd, const std::string& chemin, std::size_t tailleMax) {
    struct stat etat {};
    if (::fstat(fd, &etat) == 0 && S_ISDIR(etat.st_mode)) {
        LeveErreurSysteme(EISDIR, "reading", chemin);
    }
    const auto tropGrand = [&] {
        return Erreur(ErrDepassement,
                      "larger than " + std::to_string(tailleMax >> 20) + " MiB: " + chemin);
    };
    if (S_ISREG(etat.st_mode) && static_cast<std::uintmax_t>(etat.st_size) > tailleMax) {
        throw tropGrand();
    }
    std::string octets;
    if (S_ISREG(etat.st_mode) && etat.st_size > 0) {
        // Growing by doubling would hold most of a large file twice at the
        // last step; the slack lets a caller add a line end without copying.
        octets.reserve(static_cast<std::size_t>(etat.st_size) + 16);
    }
    char tampon[65536];
    for (;;) {
        const ssize_t n = ::read(fd, tampon, sizeof tampon);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            LeveErreurSysteme(errno, "reading", chemin);
        }
        if (n == 0) {
            break;
        }
        if (static_cast<std::size_t>(n) > tailleMax - octets.size()) {
            throw tropGrand();
        }
        octets.append(tampon, static_cast<std::size_t>(n));
    }
    return octets;
}

}  // namespace

std::string LitOctets(const std::string& chemin, std::size_t tailleMax) {
    if (chemin == kEntreeStandard) {
        return LitDescripteur(STDIN_FILENO, chemin, tailleMax);
    }
    Descripteur fd(::open(chemin.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        LeveErreurSysteme(errno, "opening", chemin);
    }
    return LitDescripteur(fd.get(), chemin, tailleMax);
}

namespace {

// The temporary file of a rewrite: hidden, and named so that no file of the
// user's can be taken for one ("Corvelle.ini" → ".Corvelle.ini.corvelle-XXXXXX.tmp").
constexpr std::string_view kMarqueTemporaire = ".corvelle-";
constexpr std::string_view kSuffixeTemporaire = ".tmp";
constexpr std::size_t kLettresAleatoires = 6;

std::string DossierDe(const std::string& chemin) {
    return chemin.substr(0, chemin.rfind(kSeparateur) + 1);
}

std::string DebutTemporaire(const std::string& cible) {
    return "." + cible.substr(cible.rfind(kSeparateur) + 1) + std::string(kMarqueTemporaire);
}

bool EstTemporaireDe(const std::string& nom, const std::string& debut) {
    return nom.size() == debut.size() + kLettresAleatoires + kSuffixeTemporaire.size() &&
           nom.starts_with(debut) && nom.ends_with(kSuffixeTemporaire);
}

// A writer killed between creating its temporary file and renaming it leaves
// the file behind; one that old is nobody's work in progress any more. Only
// our own temporary files are ever removed.
void SupprimeTemporairesAbandonnes(const std::string& cible) {
    constexpr std::time_t kAge = 10 * 60;
    const std::time_t maintenant = std::time(nullptr);
    const std::string dossier = DossierDe(cible);
    const std::string debut = DebutTemporaire(cible);
    for (const std::string& nom : FichiersDuDossier(dossier, std::string(kSuffixeTemporaire))) {
        const std::string fichier = dossier + nom;
        struct stat etat {};
        if (EstTemporaireDe(nom, debut) && ::lstat(fichier.c_str(), &etat) == 0 &&
            S_ISREG(etat.st_mode) && maintenant - etat.st_mtime > kAge) {
            ::unlink(fichier.c_str());
        }
    }
}

// A file its owner made read-only stays as it is: replacing it through a
// rename would go round the protection.
void RefuseLectureSeule(const std::string& chemin, const struct stat& etat) {
    if ((etat.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 ||
        ::access(chemin.c_str(), W_OK) != 0) {
        LeveErreurSysteme(EACCES, "writing", chemin);
    }
}

}  // namespace

NatureChemin Nature(const std::string& chemin) noexcept {
    struct stat etat {};
    if (chemin.empty() || ::stat(chemin.c_str(), &etat) != 0) {
        return NatureChemin::Absent;
    }
    if (S_ISREG(etat.st_mode)) {
        return NatureChemin::Fichier;
    }
    return S_ISDIR(etat.st_mode) ? NatureChemin::Dossier : NatureChemin::Autre;
}

std::string CheminReel(const std::string& chemin) {
    std::error_code ec;
    fs::path cible = fs::exists(chemin, ec) ? fs::canonical(chemin, ec) : fs::path(chemin);
    return ec ? chemin : cible.string();
}

void EcritFichierAtomique(const std::string& chemin, const std::string& contenu) {
    // Follow a link so the file it points to is replaced, not the link.
    const std::string cheminCible = CheminReel(chemin);
    mode_t mode = S_IRUSR | S_IWUSR;
    struct stat etat {};
    if (::stat(cheminCible.c_str(), &etat) == 0) {
        // A rename over /dev/null or a pipe would put a plain file in its place.
        if (!S_ISREG(etat.st_mode)) {
            throw Erreur(ErrAccesChemin, cheminCible + " is not a regular file");
        }
        RefuseLectureSeule(cheminCible, etat);
        mode = etat.st_mode & 07777;
    }
    std::string modele = DossierDe(cheminCible) + DebutTemporaire(cheminCible) +
                         std::string(kLettresAleatoires, 'X') + std::string(kSuffixeTemporaire);
    Descripteur fd(::mkstemps(modele.data(), static_cast<int>(kSuffixeTemporaire.size())));
    if (fd.get() < 0) {
        LeveErreurSysteme(errno, "creating a temporary file for", cheminCible);
    }
    try {
        EcritTout(fd.get(), contenu, cheminCible);
        if (::fchmod(fd.get(), mode) != 0 || ::fsync(fd.get()) != 0) {
            LeveErreurSysteme(errno, "writing", cheminCible);
        }
        if (::close(fd.Relache()) != 0) {
            LeveErreurSysteme(errno, "writing", cheminCible);
        }
        if (::rename(modele.c_str(), cheminCible.c_str()) != 0) {
            LeveErreurSysteme(errno, "replacing", cheminCible);
        }
    } catch (...) {
        ::unlink(modele.c_str());
        throw;
    }
    SupprimeTemporairesAbandonnes(cheminCible);
}

void CreeDossier(const std::string& chemin) {
    std::error_code ec;
    fs::create_directories(chemin, ec);
    if (ec) {
        LeveErreurSysteme(ec.value(), "creating folder", chemin);
    }
    if (!fs::is_directory(chemin, ec)) {
        LeveErreurSysteme(ENOTDIR, "creating folder", chemin);
    }
}

void CopieFichier(const std::string& source, const std::string& cible) {
    EcritFichierAtomique(cible, LitOctets(source));
}

bool SupprimeFichier(const std::string& chemin) noexcept {
    return ::unlink(chemin.c_str()) == 0;
}

std::vector<std::string> FichiersDuDossier(const std::string& dossier,
                                           const std::string& extension) {
    std::vector<std::string> noms;
    std::error_code ec;
    for (fs::directory_iterator it(dossier, ec), fin; !ec && it != fin; it.increment(ec)) {
        const std::string nom = it->path().filename().string();
        std::error_code ecType;
        if (it->is_regular_file(ecType) && nom.size() >= extension.size() &&
            nom.compare(nom.size() - extension.size(), extension.size(), extension) == 0) {
            noms.push_back(nom);
        }
    }
    // Directory order on Linux is arbitrary; name order makes the choice
    // between files repeatable.
    std::sort(noms.begin(), noms.end());
    return noms;
}

std::vector<std::string> FichiersCorrespondants(const std::string& motif) {
    const std::size_t separateur = motif.rfind(kSeparateur);
    const std::string dossier =
        separateur == std::string::npos ? std::string(".") : motif.substr(0, separateur + 1);
    const std::string nom = separateur == std::string::npos ? motif : motif.substr(separateur + 1);
    std::vector<std::string> noms;
    if (nom.empty()) {
        return noms;
    }
    // Only * and ? are wildcards: a "[" in a real file name must match itself.
    std::string modele;
    for (const char c : nom) {
        if (c == '[' || c == ']' || c == '\\') {
            modele += '\\';
        }
        modele += c;
    }
    std::error_code ec;
    for (fs::directory_iterator it(dossier, ec), fin; !ec && it != fin; it.increment(ec)) {
        const std::string candidat = it->path().filename().string();
        std::error_code ecType;
        if (it->is_regular_file(ecType) &&
            ::fnmatch(modele.c_str(), candidat.c_str(), FNM_PERIOD) == 0) {
            noms.push_back(candidat);
        }
    }
    std::sort(noms.begin(), noms.end());
    return noms;
}

int CreeDossierSimple(const std::string& chemin) noexcept {
    return ::mkdir(chemin.c_str(), S_IRWXU) == 0 ? 0 : errno;
}

int AjouteAuFichier(const std::string& chemin, std::string_view texte) noexcept {
    Descripteur fd(
        ::open(chemin.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, S_IRUSR | S_IWUSR));
    if (fd.get() < 0) {
        return errno;
    }
    if (const int erreur = EcritOctets(fd.get(), texte); erreur != 0) {
        return erreur;
    }
    return ::close(fd.Relache()) == 0 ? 0 : errno;
}

FichierNouveau::~FichierNouveau() {
    Abandonne();
}

void FichierNouveau::Abandonne() noexcept {
    if (fd_ >= 0) {
        ::close(std::exchange(fd_, -1));
    }
    if (!temporaire_.empty()) {
        ::unlink(temporaire_.c_str());
        temporaire_.clear();
    }
}

int FichierNouveau::Cree(const std::string& chemin) {
    Abandonne();
    struct stat etat {};
    if (::lstat(chemin.c_str(), &etat) == 0) {
        return EEXIST;
    }
    std::string modele = DossierDe(chemin) + DebutTemporaire(chemin) +
                         std::string(kLettresAleatoires, 'X') + std::string(kSuffixeTemporaire);
    fd_ = ::mkstemps(modele.data(), static_cast<int>(kSuffixeTemporaire.size()));
    if (fd_ < 0) {
        return errno;
    }
    temporaire_ = std::move(modele);
    chemin_ = chemin;
    return 0;
}

int FichierNouveau::Ecrit(std::string_view octets) noexcept {
    return fd_ < 0 ? EBADF : EcritOctets(fd_, octets);
}

int FichierNouveau::Termine() noexcept {
    if (fd_ < 0) {
        return EBADF;
    }
    // Not synced: a preview is read at once, not kept through a power cut,
    // and a sync a file would slow a large dispatch down. The close is
    // checked, as some file systems (NFS) only report a full disk there.
    if (::close(std::exchange(fd_, -1)) != 0) {
        return errno;
    }
    // Never over a file already there; file systems that cannot rename so
    // can still link a second name and drop the first.
    if (::renameat2(AT_FDCWD, temporaire_.c_str(), AT_FDCWD, chemin_.c_str(), RENAME_NOREPLACE) ==
        0) {
        temporaire_.clear();
        return 0;
    }
    int erreur = errno;
    if (erreur == EINVAL || erreur == ENOSYS) {
        erreur = ::link(temporaire_.c_str(), chemin_.c_str()) == 0 ? 0 : errno;
    }
    if (erreur == 0) {
        ::unlink(temporaire_.c_str());
        temporaire_.clear();
    }
    return erreur;  // on failure the temporary file goes with the object
}

VerrouExclusif::VerrouExclusif(const std::string& cheminVerrou) {
    Descripteur fd(
        ::open(cheminVerrou.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY, S_IRUSR | S_IWUSR));
    if (fd.get() < 0) {
        LeveErreurSysteme(errno, "opening the lock file", cheminVerrou);
    }
    int n = 0;
    do {
        n = ::flock(fd.get(), LOCK_EX);
    } while (n != 0 && errno == EINTR);
    if (n != 0) {
        LeveErreurSysteme(errno, "locking", cheminVerrou);
    }
    fd_ = fd.Relache();
}

VerrouExclusif::~VerrouExclusif() {
    ::close(fd_);  // releases the lock
}

std::string HorodatageLocal() {
    const std::time_t maintenant = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&maintenant, &local);
    char texte[32];
    std::strftime(texte, sizeof texte, "%d/%m/%Y %H:%M:%S", &local);
    return texte;
}

void* ChargeModule(const std::string& chemin, std::string& erreur) noexcept {
    void* module = ::dlopen(chemin.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) {
        const char* raison = ::dlerror();
        erreur = raison ? raison : chemin;
    }
    return module;
}

void* SymboleModule(void* module, const char* nom) noexcept {
    return ::dlsym(module, nom);
}

std::string DossierModules() {
    return CORVELLE_MODULEDIR;
}

std::string CheminExecutable() {
    std::error_code ec;
    const fs::path chemin = fs::read_symlink("/proc/self/exe", ec);
    if (ec) {
        LeveErreurSysteme(ec.value(), "locating", "the program");
    }
    return chemin.string();
}

void RelanceProgramme() {
    const std::string programme = CheminExecutable();
    char* arguments[] = {const_cast<char*>(programme.c_str()), nullptr};
    pid_t processus = 0;
    const int erreur =
        ::posix_spawn(&processus, programme.c_str(), nullptr, nullptr, arguments, environ);
    if (erreur != 0) {
        LeveErreurSysteme(erreur, "starting", programme);
    }
}

std::string DossierTravail() {
    std::error_code ec;
    const fs::path chemin = fs::current_path(ec);
    if (ec) {
        LeveErreurSysteme(ec.value(), "reading", "the working folder");
    }
    return chemin.string();
}

namespace {

// An XDG folder: its variable when it holds an absolute path, else its place
// under the home folder.
std::optional<std::string> DossierXdg(const char* variable, const char* sousMaison) {
    const std::string xdg = Variable(variable);
    if (!xdg.empty() && xdg[0] == '/') {
        return xdg;
    }
    std::string maison = Variable("HOME");
    if (maison.empty()) {
        if (const passwd* compte = ::getpwuid(::getuid()); compte && compte->pw_dir) {
            maison = compte->pw_dir;
        }
    }
    if (maison.empty()) {
        return std::nullopt;
    }
    if (maison.size() > 1 && maison.back() == '/') {
        maison.pop_back();
    }
    return maison + sousMaison;
}

}  // namespace

std::optional<std::string> DossierDonneesApplication() {
    return DossierXdg("XDG_CONFIG_HOME", "/.config");
}

std::optional<std::string> DossierFileAttenteUtilisateur() {
    const std::optional<std::string> etat = DossierXdg("XDG_STATE_HOME", "/.local/state");
    return etat ? std::optional(*etat + "/corvelle/outbox") : std::nullopt;
}

std::string DossierFileAttenteMachine() {
    return CORVELLE_SPOOLDIR;
}

std::string DossierProgrammes() {
    return CORVELLE_PREFIX;
}

std::string DossierDonneesInstallees() {
    return CORVELLE_DATADIR;
}

std::string FichierReglagesMachine() {
    return CORVELLE_SYSCONFDIR "/corvelle/Corvelle.ini";
}

std::string LocaleMessages() {
    for (const char* nom : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        std::string valeur = Variable(nom);
        if (!valeur.empty()) {
            return valeur;
        }
    }
    return {};
}

namespace {

// A library opened for one probe, closed after it.
class BibliothequeSonde {
  public:
    explicit BibliothequeSonde(const char* nom) noexcept
        : module_(::dlopen(nom, RTLD_NOW | RTLD_LOCAL)) {}
    BibliothequeSonde(const BibliothequeSonde&) = delete;
    BibliothequeSonde& operator=(const BibliothequeSonde&) = delete;
    ~BibliothequeSonde() {
        if (module_) {
            ::dlclose(module_);
        }
    }

    template <typename Fonction>
    [[nodiscard]] Fonction Cherche(const char* nom) const noexcept {
        return module_ ? reinterpret_cast<Fonction>(::dlsym(module_, nom)) : nullptr;
    }

  private:
    void* module_;
};

using Deconnexion = void (*)(void*);

// As Qt's xcb plugin connects: the same library, so a missing cookie or a
// refused connection shows here too. Without the library there is no plugin.
bool ServeurXRepond() {
    if (Variable("DISPLAY").empty()) {
        return false;
    }
    const BibliothequeSonde xcb("libxcb.so.1");
    const auto connecte = xcb.Cherche<void* (*)(const char*, int*)>("xcb_connect");
    const auto enErreur = xcb.Cherche<int (*)(void*)>("xcb_connection_has_error");
    const auto deconnecte = xcb.Cherche<Deconnexion>("xcb_disconnect");
    if (!connecte || !enErreur || !deconnecte) {
        return false;
    }
    // Never null: a failed connection is an object in an error state.
    const std::unique_ptr<void, Deconnexion> connexion(connecte(nullptr, nullptr), deconnecte);
    return enErreur(connexion.get()) == 0;
}

bool CompositeurRepond() {
    // A socket the compositor handed down is fresh, and connecting would use
    // it up before Qt could.
    if (!Variable("WAYLAND_SOCKET").empty()) {
        return true;
    }
    const std::string nom = Variable("WAYLAND_DISPLAY");
    // A relative name lies in XDG_RUNTIME_DIR: without it the library would
    // only complain on standard error.
    if (nom.empty() || (nom.front() != '/' && Variable("XDG_RUNTIME_DIR").empty())) {
        return false;
    }
    const BibliothequeSonde wayland("libwayland-client.so.0");
    const auto connecte = wayland.Cherche<void* (*)(const char*)>("wl_display_connect");
    const auto deconnecte = wayland.Cherche<Deconnexion>("wl_display_disconnect");
    if (!connecte || !deconnecte) {
        return false;
    }
    const std::unique_ptr<void, Deconnexion> connexion(connecte(nom.c_str()), deconnecte);
    return connexion != nullptr;
}

}  // namespace

std::vector<std::string> PlateformesGraphiques() {
    std::vector<std::string> plateformes;
    const std::string demandees = Variable("QT_QPA_PLATFORM");
    if (demandees.empty()) {
        if (Variable("XDG_SESSION_TYPE") == "wayland") {
            plateformes = {"wayland", "xcb"};
        } else {
            plateformes = {"xcb", "wayland"};
        }
        return plateformes;
    }
    for (std::string_view reste = demandees; !reste.empty();) {
        const std::size_t fin = std::min(reste.find(';'), reste.size());
        if (fin > 0) {
            plateformes.emplace_back(reste.substr(0, fin));
        }
        reste.remove_prefix(std::min(fin + 1, reste.size()));
    }
    return plateformes;
}

bool AffichageRepond(std::string_view plateforme) {
    plateforme = plateforme.substr(0, plateforme.find(':'));  // its options aside
    if (plateforme == "xcb") {
        return ServeurXRepond();
    }
    if (plateforme.starts_with("wayland")) {
        return CompositeurRepond();
    }
    return true;
}

bool AffichageDisponible() {
    const std::vector<std::string> plateformes = PlateformesGraphiques();
    return std::any_of(plateformes.begin(), plateformes.end(),
                       [](const std::string& plateforme) { return AffichageRepond(plateforme); });
}

std::string AffichageNomme() {
    std::string nom = Variable("DISPLAY");
    return nom.empty() ? Variable("WAYLAND_DISPLAY") : nom;
}

void TermineProgramme(int code) {
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    std::_Exit(code);
}

std::string DescriptionSysteme(int numero) {
    return std::strerror(numero);
}

std::string VariableEnvironnement(const std::string& nom) {
    return Variable(nom.c_str());
}

Tube CreeTube() {
    int descripteurs[2] = {-1, -1};
    if (::pipe2(descripteurs, O_CLOEXEC) != 0) {
        LeveErreurSysteme(errno, "creating", "a pipe");
    }
    return Tube{descripteurs[0], descripteurs[1]};
}

void IgnoreTubeRompuDansCeFil() noexcept {
    // Blocked rather than ignored process-wide: other threads keep their own
    // handling, and a pending SIGPIPE goes with the thread when it ends.
    sigset_t signaux;
    sigemptyset(&signaux);
    sigaddset(&signaux, SIGPIPE);
    ::pthread_sigmask(SIG_BLOCK, &signaux, nullptr);
}

EtatSocket AttendSocket(std::int64_t socket, bool ecriture, std::int32_t ms) noexcept {
    pollfd attente{};
    attente.fd = static_cast<int>(socket);
    attente.events = static_cast<short>(POLLIN | (ecriture ? POLLOUT : 0));
    int n = 0;
    do {
        n = ::poll(&attente, 1, ms < 0 ? 0 : ms);
    } while (n < 0 && errno == EINTR);
    EtatSocket etat;
    if (n > 0) {
        etat.lisible = (attente.revents & (POLLIN | POLLERR | POLLHUP | POLLNVAL)) != 0;
        etat.inscriptible = (attente.revents & POLLOUT) != 0;
    }
    return etat;
}

FichierLu::~FichierLu() {
    Ferme();
}

void FichierLu::Ferme() noexcept {
    if (fd_ >= 0) {
        ::close(std::exchange(fd_, -1));
    }
}

int FichierLu::Ouvre(const std::string& chemin) noexcept {
    Ferme();
    // Without O_NONBLOCK, opening a named pipe waits for a writer; a regular
    // file reads the same with it.
    Descripteur fd(::open(chemin.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    struct stat etat {};
    if (fd.get() < 0 || ::fstat(fd.get(), &etat) != 0) {
        return errno;
    }
    if (!S_ISREG(etat.st_mode)) {
        return S_ISDIR(etat.st_mode) ? EISDIR : EINVAL;
    }
    fd_ = fd.Relache();
    return 0;
}

int FichierLu::Identite(IdentiteFichier& identite) const noexcept {
    struct stat etat {};
    if (::fstat(fd_, &etat) != 0) {
        return errno;
    }
    identite.peripherique = static_cast<std::uint64_t>(etat.st_dev);
    identite.inode = static_cast<std::uint64_t>(etat.st_ino);
    identite.taille = static_cast<std::int64_t>(etat.st_size);
    identite.modificationNs =
        static_cast<std::int64_t>(etat.st_mtim.tv_sec) * 1'000'000'000 + etat.st_mtim.tv_nsec;
    return 0;
}

std::int64_t FichierLu::Lit(char* tampon, std::size_t taille) noexcept {
    for (;;) {
        const ssize_t n = ::read(fd_, tampon, taille);
        if (n >= 0 || errno != EINTR) {
            return n >= 0 ? n : -static_cast<std::int64_t>(errno);
        }
    }
}

}  // namespace corvelle::plateforme
