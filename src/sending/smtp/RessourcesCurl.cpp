#include "sending/smtp/RessourcesCurl.h"

#include <mutex>
#include <new>

namespace corvelle::smtp {

PoigneeCurl NouvellePoigneeCurl() {
    static std::once_flag fait;
    std::call_once(fait, [] {
        if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
            throw std::bad_alloc();
        }
    });
    PoigneeCurl poignee(curl_easy_init());
    if (!poignee) {
        throw std::bad_alloc();
    }
    return poignee;
}

void ListeCurl::Ajoute(const std::string& texte) {
    // curl_slist_append returns the head (new for an empty list), or null
    // leaving the list as it was.
    curl_slist* tete = curl_slist_append(tete_.get(), texte.c_str());
    if (!tete) {
        throw std::bad_alloc();
    }
    if (!tete_) {
        tete_.reset(tete);
    }
}

}  // namespace corvelle::smtp
