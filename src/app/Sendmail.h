#pragma once

// The system's mailer: "corvelle --sendmail [options] [recipient...]", or the
// program started as sendmail or mailq. Each message is kept in the outbox
// before it is tried, and 0 means kept. Quiet on success; a failure is said on
// standard error, and one that keeps nothing exits with the code sendmail's
// callers read (sysexits.h).

#include <string>
#include <vector>

namespace corvelle {

struct EnvironnementDemarrage;

inline constexpr int kSortieUsage = 64;             // EX_USAGE
inline constexpr int kSortieDonnees = 65;           // EX_DATAERR: the message
inline constexpr int kSortieSansDestinataire = 67;  // EX_NOUSER
inline constexpr int kSortieIndisponible = 69;      // EX_UNAVAILABLE: refused
inline constexpr int kSortieTemporaire = 75;        // EX_TEMPFAIL
inline constexpr int kSortieConfiguration = 78;     // EX_CONFIG

// How the program was asked to be the mailer: by the name it was started
// under, or by --sendmail first.
enum class ModeMailer { Aucun, Sendmail, Mailq };
[[nodiscard]] ModeMailer ModeDuLancement(const std::string& nomProgramme,
                                         const std::vector<std::string>& arguments);

// Runs it; `arguments` without the program's name nor --sendmail. Returns
// the exit code.
[[nodiscard]] int LanceSendmail(ModeMailer mode, const std::vector<std::string>& arguments,
                                EnvironnementDemarrage env);

}  // namespace corvelle
