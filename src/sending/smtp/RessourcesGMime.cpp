#include "sending/smtp/RessourcesGMime.h"

#include <mutex>

namespace corvelle::smtp {

void InitialiseGMime() {
    static std::once_flag fait;
    std::call_once(fait, [] { g_mime_init(); });
}

}  // namespace corvelle::smtp
