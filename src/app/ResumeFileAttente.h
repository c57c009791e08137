#pragma once

// The outbox in a few words, for the compose window's Options menu.

#include <cstddef>
#include <string>

namespace corvelle {

struct Programme;

struct ResumeFileAttente {
    std::size_t messages = 0;  // waiting to go
    std::string dernierEchec;  // what the last attempt met, if any failed
};

// Read afresh at each call, without holding any entry. An outbox that cannot
// be found counts none, its reason given as the failure.
[[nodiscard]] ResumeFileAttente ResumeFile(const Programme& programme);

}  // namespace corvelle
