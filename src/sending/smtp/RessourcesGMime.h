#pragma once

// Owners of GLib and GMime handles, so that every path out releases them.

#include <gmime/gmime.h>

#include <memory>

namespace corvelle::smtp {

struct LibereObjetG {
    void operator()(gpointer objet) const noexcept { g_object_unref(objet); }
};
// One reference to a GObject (messages, parts, streams, address lists).
template <class T>
using ObjetG = std::unique_ptr<T, LibereObjetG>;

struct LibereMemoireG {
    void operator()(gpointer memoire) const noexcept { g_free(memoire); }
};
// A text allocated by GLib.
using TexteG = std::unique_ptr<char, LibereMemoireG>;

struct LibereErreurG {
    void operator()(GError* erreur) const noexcept { g_error_free(erreur); }
};
using ErreurG = std::unique_ptr<GError, LibereErreurG>;

struct LibereOptionsFormat {
    void operator()(GMimeFormatOptions* options) const noexcept {
        g_mime_format_options_free(options);
    }
};
using OptionsFormat = std::unique_ptr<GMimeFormatOptions, LibereOptionsFormat>;

struct LibereDateG {
    void operator()(GDateTime* date) const noexcept { g_date_time_unref(date); }
};
using DateG = std::unique_ptr<GDateTime, LibereDateG>;

// Initialises GMime, once for the whole program; later calls return at once.
void InitialiseGMime();

// How a message is written for SMTP: CR LF line ends throughout.
[[nodiscard]] OptionsFormat OptionsSMTP();

}  // namespace corvelle::smtp
