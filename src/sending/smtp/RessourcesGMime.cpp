#include "sending/smtp/RessourcesGMime.h"

#include <mutex>

namespace corvelle::smtp {

void InitialiseGMime() {
    static std::once_flag fait;
    std::call_once(fait, [] { g_mime_init(); });
}

OptionsFormat OptionsSMTP() {
    OptionsFormat options(g_mime_format_options_new());
    // RFC 5321, 2.3.8.
    g_mime_format_options_set_newline_format(options.get(), GMIME_NEWLINE_FORMAT_DOS);
    return options;
}

}  // namespace corvelle::smtp
