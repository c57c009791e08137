// Running a shell command without a terminal, and the process environment.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <thread>

#include "core/Erreur.h"
#include "core/Plateforme.h"

extern char** environ;

namespace corvelle::plateforme {

namespace {

using Horloge = std::chrono::steady_clock;

// One end of a pipe, closed on every path out.
class Bout {
  public:
    explicit Bout(int fd = -1) noexcept : fd_(fd) {}
    Bout(const Bout&) = delete;
    Bout& operator=(const Bout&) = delete;
    ~Bout() { Ferme(); }
    [[nodiscard]] int get() const noexcept { return fd_; }
    void Ferme() noexcept {
        if (fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }

  private:
    int fd_;
};

class ActionsFichiers {
  public:
    ActionsFichiers() { ::posix_spawn_file_actions_init(&a_); }
    ActionsFichiers(const ActionsFichiers&) = delete;
    ActionsFichiers& operator=(const ActionsFichiers&) = delete;
    ~ActionsFichiers() { ::posix_spawn_file_actions_destroy(&a_); }
    posix_spawn_file_actions_t* get() noexcept { return &a_; }

  private:
    posix_spawn_file_actions_t a_{};
};

class AttributsLancement {
  public:
    AttributsLancement() { ::posix_spawnattr_init(&a_); }
    AttributsLancement(const AttributsLancement&) = delete;
    AttributsLancement& operator=(const AttributsLancement&) = delete;
    ~AttributsLancement() { ::posix_spawnattr_destroy(&a_); }
    posix_spawnattr_t* get() noexcept { return &a_; }

  private:
    posix_spawnattr_t a_{};
};

std::int32_t MsRestantes(Horloge::time_point fin) {
    const auto reste = std::chrono::duration_cast<std::chrono::milliseconds>(fin - Horloge::now());
    return reste.count() > 0 ? static_cast<std::int32_t>(reste.count()) : 0;
}

// Reads what is there, closing the pipe at its end. Bytes beyond the limit
// are read and dropped, so the command never blocks on a full pipe.
void Lit(Bout& bout, std::string& texte) {
    char tampon[4096];
    const ssize_t n = ::read(bout.get(), tampon, sizeof tampon);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
        return;
    }
    if (n <= 0) {
        bout.Ferme();
        return;
    }
    const std::size_t place =
        kTailleMaxSortieCommande - std::min(texte.size(), kTailleMaxSortieCommande);
    texte.append(tampon, std::min(static_cast<std::size_t>(n), place));
}

// Both pipes read to their end, or until the time-out: false then.
bool LitJusquALaFin(Bout& sortie, Bout& erreurs, IssueCommande& issue, Horloge::time_point fin) {
    while (sortie.get() >= 0 || erreurs.get() >= 0) {
        pollfd attente[2] = {{sortie.get(), POLLIN, 0}, {erreurs.get(), POLLIN, 0}};
        const std::int32_t ms = MsRestantes(fin);
        if (ms == 0) {
            return false;
        }
        if (::poll(attente, 2, ms) < 0 && errno != EINTR) {
            return false;
        }
        if (attente[0].revents != 0) {
            Lit(sortie, issue.sortie);
        }
        if (attente[1].revents != 0) {
            Lit(erreurs, issue.erreurs);
        }
    }
    return true;
}

// The exit status, or nothing when it has not ended by the time-out.
std::optional<int> AttendFin(pid_t pid, Horloge::time_point fin) {
    for (;;) {
        int statut = 0;
        const pid_t fini = ::waitpid(pid, &statut, WNOHANG);
        if (fini == pid) {
            return WIFEXITED(statut) ? WEXITSTATUS(statut) : -1;
        }
        if (fini < 0 && errno != EINTR) {
            return -1;
        }
        if (MsRestantes(fin) == 0) {
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

}  // namespace

bool EntreeEstTerminal() noexcept {
    return ::isatty(STDIN_FILENO) == 1;
}

bool ErreurEstTerminal() noexcept {
    return ::isatty(STDERR_FILENO) == 1;
}

namespace {

// Written by a signal handler: only a lock-free atomic may be.
std::atomic<bool> arretDemande{false};
static_assert(std::atomic<bool>::is_always_lock_free);

void NoteArret(int) {
    arretDemande.store(true, std::memory_order_relaxed);
}

}  // namespace

void InterceptArrets() noexcept {
    struct sigaction action {};
    action.sa_handler = NoteArret;
    sigemptyset(&action.sa_mask);
    // Once only: the same signal again has its usual effect. Calls it interrupts
    // start again, the sending's waits included.
    action.sa_flags = static_cast<int>(SA_RESETHAND | SA_RESTART);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

bool ArretDemande() noexcept {
    return arretDemande.load(std::memory_order_relaxed);
}

std::string LitLigneMasquee() {
    termios avant{};
    const bool masque = EntreeEstTerminal() && ::tcgetattr(STDIN_FILENO, &avant) == 0;
    if (masque) {
        termios sansEcho = avant;
        sansEcho.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &sansEcho);
    }
    std::string ligne;
    std::getline(std::cin, ligne);
    if (masque) {
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &avant);
        std::cerr << '\n';  // the line end typed was not shown either
    }
    if (!ligne.empty() && ligne.back() == '\r') {
        ligne.pop_back();
    }
    return ligne;
}

void DefinitVariableEnvironnement(const std::string& nom, const std::string& valeur) {
    if (::setenv(nom.c_str(), valeur.c_str(), 1) != 0) {
        throw Erreur(ErrMemoire, "setting " + nom);
    }
}

IssueCommande ExecuteCommande(const std::string& commande, std::int32_t delaiMs) {
    IssueCommande issue;
    const Horloge::time_point fin = Horloge::now() + std::chrono::milliseconds(delaiMs);
    const Tube tubeSortie = CreeTube();
    Bout sortie(tubeSortie.lecture), ecritureSortie(tubeSortie.ecriture);
    const Tube tubeErreurs = CreeTube();
    Bout erreurs(tubeErreurs.lecture), ecritureErreurs(tubeErreurs.ecriture);

    ActionsFichiers actions;
    ::posix_spawn_file_actions_addopen(actions.get(), 0, "/dev/null", O_RDONLY, 0);
    ::posix_spawn_file_actions_adddup2(actions.get(), ecritureSortie.get(), 1);
    ::posix_spawn_file_actions_adddup2(actions.get(), ecritureErreurs.get(), 2);
    // A session of its own: no controlling terminal to prompt on, and one
    // process group to stop, whatever the shell started.
    AttributsLancement attributs;
    ::posix_spawnattr_setflags(attributs.get(), POSIX_SPAWN_SETSID);

    const char* arguments[] = {"/bin/sh", "-c", commande.c_str(), nullptr};
    pid_t pid = 0;
    const int erreur = ::posix_spawn(&pid, "/bin/sh", actions.get(), attributs.get(),
                                     const_cast<char* const*>(arguments), environ);
    ecritureSortie.Ferme();
    ecritureErreurs.Ferme();
    if (erreur != 0) {
        issue.erreurs = DescriptionSysteme(erreur);
        return issue;
    }
    issue.demarree = true;
    const bool lu = LitJusquALaFin(sortie, erreurs, issue, fin);
    const std::optional<int> code = lu ? AttendFin(pid, fin) : std::nullopt;
    if (!code) {
        issue.delaiDepasse = true;
        ::kill(-pid, SIGKILL);
        int statut = 0;
        while (::waitpid(pid, &statut, 0) < 0 && errno == EINTR) {
        }
        return issue;
    }
    issue.code = *code;
    return issue;
}

}  // namespace corvelle::plateforme
