#pragma once

// Owners of libcurl handles, so that every path out releases them.

#include <curl/curl.h>

#include <cstdint>
#include <memory>
#include <string>

#include "sending/smtp/EchecEnvoi.h"

namespace corvelle::smtp {

struct LiberePoigneeCurl {
    void operator()(CURL* poignee) const noexcept { curl_easy_cleanup(poignee); }
};
using PoigneeCurl = std::unique_ptr<CURL, LiberePoigneeCurl>;

// A new easy handle, libcurl being initialised first (once for the program).
// Raises std::bad_alloc when libcurl cannot make one.
[[nodiscard]] PoigneeCurl NouvellePoigneeCurl();

// Each wait in milliseconds: `timeoutMs`, or the default when 0 or less.
[[nodiscard]] std::int32_t AttenteMs(std::int32_t timeoutMs);

// Time-outs bound each wait (connection, a stalled transfer), never the whole
// transfer: a large attachment may take minutes.
void ConfigureAttentes(CURL* curl, std::int32_t timeoutMs);

// Certificates always verified, against the system's authorities or those
// that CURL_CA_BUNDLE, then SSL_CERT_FILE, name, as for the curl program.
void ConfigureConfiance(CURL* curl);

// The kind of a failed transfer by libcurl's own account: configuration for
// a login or a certificate refused, a server without the TLS the settings
// ask, or a bad address; otherwise temporary (no connection, a time-out, a
// TLS handshake cut short).
[[nodiscard]] GenreEchec GenreCurl(CURLcode code) noexcept;

// A list of texts as libcurl takes them (recipients).
class ListeCurl {
  public:
    void Ajoute(const std::string& texte);
    [[nodiscard]] curl_slist* get() const noexcept { return tete_.get(); }

  private:
    struct Libere {
        void operator()(curl_slist* liste) const noexcept { curl_slist_free_all(liste); }
    };
    std::unique_ptr<curl_slist, Libere> tete_;
    // Appending after the last node keeps a long list linear: libcurl would
    // walk the whole list from its head for every address.
    curl_slist* queue_ = nullptr;
};

}  // namespace corvelle::smtp
