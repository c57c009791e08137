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
    // curl_slist_append returns the list it was given (a new node for an
    // empty one), or null leaving the list as it was.
    curl_slist* resultat = curl_slist_append(queue_, texte.c_str());
    if (!resultat) {
        throw std::bad_alloc();
    }
    if (!tete_) {
        tete_.reset(resultat);
        queue_ = resultat;
    } else {
        queue_ = queue_->next;
    }
}

}  // namespace corvelle::smtp
