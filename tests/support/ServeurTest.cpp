#include "support/ServeurTest.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <stdexcept>

extern char** environ;

namespace corvelle::test {

namespace {

// Reads the line the server prints once it listens: "PRET <port>".
int AttendPort(int fd) {
    std::string ligne;
    while (ligne.empty() || ligne.back() != '\n') {
        pollfd attente{fd, POLLIN, 0};
        char c = 0;
        if (::poll(&attente, 1, 20000) <= 0 || ::read(fd, &c, 1) != 1) {
            throw std::runtime_error("the test server did not start: got \"" + ligne + "\"");
        }
        ligne += c;
    }
    if (ligne.rfind("PRET ", 0) != 0) {
        throw std::runtime_error("unexpected line from the test server: " + ligne);
    }
    return std::stoi(ligne.substr(5));
}

}  // namespace

ServeurTest::ServeurTest(const std::string& mode, const std::vector<std::string>& options) {
    std::vector<std::string> arguments = {
        CORVELLE_PYTHON, CORVELLE_SERVEUR_SMTP, "--dossier", dossier_.Chemin(), "--mode", mode};
    arguments.insert(arguments.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);

    int tube[2];
    if (::pipe2(tube, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe");
    }
    const std::string journal = dossier_ / "serveur.err";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, tube[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, journal.c_str(), O_WRONLY | O_CREAT, 0600);
    const int erreur = ::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(tube[1]);
    try {
        if (erreur != 0) {
            pid_ = -1;
            throw std::runtime_error("cannot start the test server");
        }
        port_ = AttendPort(tube[0]);
    } catch (...) {
        ::close(tube[0]);
        Arrete();
        throw;
    }
    ::close(tube[0]);
}

ServeurTest::~ServeurTest() {
    Arrete();
}

void ServeurTest::Arrete() noexcept {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
}

std::vector<MessageRecu> ServeurTest::Messages() const {
    std::vector<MessageRecu> messages;
    for (int numero = 1;; ++numero) {
        char base[16];
        std::snprintf(base, sizeof base, "%04d", numero);
        const std::string json = dossier_ / (std::string(base) + ".json");
        if (!std::filesystem::exists(json)) {
            return messages;
        }
        messages.push_back({LitFichier(dossier_ / (std::string(base) + ".eml")), LitFichier(json)});
    }
}

std::string ChampJson(const std::string& json, const std::string& nom) {
    const std::string cle = "\"" + nom + "\": ";
    const std::size_t debut = json.find(cle);
    if (debut == std::string::npos) {
        return {};
    }
    const std::size_t valeur = debut + cle.size();
    std::size_t fin = 0;
    if (json[valeur] == '[') {
        fin = json.find(']', valeur) + 1;
    } else if (json[valeur] == '"') {
        fin = json.find('"', valeur + 1) + 1;
    } else {
        fin = json.find_first_of(",}", valeur);
    }
    return json.substr(valeur, fin - valeur);
}

}  // namespace corvelle::test
