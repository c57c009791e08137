#pragma once

// The outbox seen from the program: where it is, one attempt at one of its
// messages, and the --outbox commands.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "config/ConfigSMTP.h"
#include "sending/sendmail/Relais.h"

namespace corvelle {

struct Langue;
struct Programme;

namespace outbox {
class Prise;
}

// The outbox of the settings in use: the machine's spool for the machine's
// settings, beside a portable copy, else the user's. Raises an Erreur when
// there is none.
[[nodiscard]] std::string DossierFileAttente(const Programme& programme);

// The configuration named (without letter case), the first when `nom` is
// empty; null when there is none.
[[nodiscard]] const clsConfigSMTP* ConfigurationNommee(const Programme& programme,
                                                       const std::string& nom);

// Their names, for a message that lists them.
[[nodiscard]] std::string NomsConfigurations(const Programme& programme);

// What relaying through `configuration` needs, its password not yet resolved.
[[nodiscard]] sendmail::ContexteRelais ContexteRelaisDe(const Programme& programme,
                                                        const clsConfigSMTP& configuration);

enum class Devenir { Remis, EnAttente, NonRemis };

struct IssueEssai {
    Devenir devenir = Devenir::Remis;
    std::string detail;  // the failure, as the relay or the configuration said it
    // Not delivered: why the failure notice did not reach the sender, if it
    // did not.
    std::string avisNonEnvoye{};
};

// Tries a held entry once and writes what became of it: delivered (gone), a
// temporary failure (due again after its back-off, until DureeAttente ends),
// or not deliverable (moved to failed/, once a failure notice was sent to its
// sender). Raises an Erreur when the outcome cannot be written; the entry
// then stays as it was.
[[nodiscard]] IssueEssai EssaieEntree(const Programme& programme, outbox::Prise& prise,
                                      std::int64_t maintenant,
                                      const std::function<void(std::string_view)>& trace);

// Says on standard error that the failure notice of an entry not delivered
// did not go, when it did not.
void SignaleAvis(const Langue& langue, const IssueEssai& issue);

// The outbox, as mailq and --outbox list show it.
void ListeFileAttente(const Programme& programme);

// corvelle --outbox list|run|flush|remove ID|retry ID; `arguments` after
// --outbox. Returns the exit code.
[[nodiscard]] int ExecuteFileAttente(const Programme& programme,
                                     const std::vector<std::string>& arguments);

// Whether a run waits for the verdicts in flight before one more message of
// `taille` bytes goes, with `messages` in flight through its relay and
// `octets` through all: the memory a run holds stays bounded.
[[nodiscard]] bool VideFenetreAvant(std::size_t messages, std::size_t octets, std::size_t taille);

[[nodiscard]] std::int64_t Maintenant();

// How long a message is retried (DureeAttente), in seconds.
[[nodiscard]] std::int64_t DureeDeVie(const Programme& programme);

}  // namespace corvelle
