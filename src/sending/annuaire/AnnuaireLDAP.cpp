#include "sending/annuaire/AnnuaireLDAP.h"

#include <lber.h>
#include <ldap.h>
#include <sys/socket.h>

#include <vector>

#include "core/Texte.h"
#include "sending/annuaire/MembresGroupes.h"

namespace corvelle {

namespace {

// Active Directory returns at most 1000 entries a page.
constexpr int kTaillePage = 500;

struct LibereLDAP {
    void operator()(LDAP* ld) const noexcept { ldap_unbind_ext_s(ld, nullptr, nullptr); }
};
struct LibereMessage {
    void operator()(LDAPMessage* m) const noexcept { ldap_msgfree(m); }
};
struct LibereControle {
    void operator()(LDAPControl* c) const noexcept { ldap_control_free(c); }
};
struct LibereControles {
    void operator()(LDAPControl** c) const noexcept { ldap_controls_free(c); }
};
struct LibereValeurs {
    void operator()(berval** v) const noexcept { ldap_value_free_len(v); }
};
struct LibereMemoire {
    void operator()(char* p) const noexcept { ldap_memfree(p); }
};
struct LibereBer {
    void operator()(BerElement* b) const noexcept { ber_free(b, 0); }
};
struct LibereUrl {
    void operator()(LDAPURLDesc* u) const noexcept { ldap_free_urldesc(u); }
};

using PoigneeLDAP = std::unique_ptr<LDAP, LibereLDAP>;
using annuaire::Entree;
using annuaire::RechercheInterrompue;

// A failed LDAP call as the lookup reports it: the status the recipient
// expansion reads, and the library's words.
RechercheInterrompue Interruption(int rc) {
    switch (rc) {
        case LDAP_SERVER_DOWN:
        case LDAP_CONNECT_ERROR:
        case LDAP_UNAVAILABLE:
        case LDAP_BUSY:
            return {kAnnuaireInjoignable, ldap_err2string(rc)};
        case LDAP_TIMEOUT:
        case LDAP_TIMELIMIT_EXCEEDED:
            return {kAnnuaireDelaiDepasse, ldap_err2string(rc)};
        default:
            return {rc, ldap_err2string(rc)};
    }
}

Entree LitEntree(LDAP* ld, LDAPMessage* message) {
    Entree entree;
    if (const std::unique_ptr<char, LibereMemoire> dn(ldap_get_dn(ld, message)); dn) {
        entree.dn = dn.get();
    }
    BerElement* ber = nullptr;
    for (char* nom = ldap_first_attribute(ld, message, &ber); nom != nullptr;
         nom = ldap_next_attribute(ld, message, ber)) {
        const std::unique_ptr<char, LibereMemoire> nomPossede(nom);
        std::vector<std::string>& valeurs = entree.attributs[Minuscules(nom)];
        if (const std::unique_ptr<berval*, LibereValeurs> liste(
                ldap_get_values_len(ld, message, nom));
            liste) {
            for (berval** v = liste.get(); *v != nullptr; ++v) {
                valeurs.emplace_back((*v)->bv_val, (*v)->bv_len);
            }
        }
    }
    const std::unique_ptr<BerElement, LibereBer> berPossede(ber);
    return entree;
}

}  // namespace

struct AnnuaireLDAP::Impl final : annuaire::SourcePages {
    PoigneeLDAP ld;
    std::string base;
    int timeoutSecondes = 10;

    annuaire::Page Cherche(const annuaire::Recherche& recherche,
                           const std::string& cookie) override;
};

annuaire::Page AnnuaireLDAP::Impl::Cherche(const annuaire::Recherche& recherche,
                                           const std::string& cookie) {
    std::vector<char*> attributs;
    for (const std::string& nom : recherche.attributs) {
        attributs.push_back(const_cast<char*>(nom.c_str()));
    }
    attributs.push_back(nullptr);
    berval valeurCookie{static_cast<ber_len_t>(cookie.size()), const_cast<char*>(cookie.data())};
    LDAPControl* page = nullptr;
    if (const int rc = ldap_create_page_control(ld.get(), kTaillePage,
                                                cookie.empty() ? nullptr : &valeurCookie, 0, &page);
        rc != LDAP_SUCCESS) {
        throw Interruption(rc);
    }
    const std::unique_ptr<LDAPControl, LibereControle> pagePossedee(page);
    LDAPControl* controles[] = {page, nullptr};
    timeval limite{timeoutSecondes, 0};
    LDAPMessage* brut = nullptr;
    const int portee =
        recherche.portee == annuaire::Portee::Base ? LDAP_SCOPE_BASE : LDAP_SCOPE_SUBTREE;
    const int rc =
        ldap_search_ext_s(ld.get(), recherche.racine.c_str(), portee, recherche.filtre.c_str(),
                          attributs.data(), 0, controles, nullptr, &limite, LDAP_NO_LIMIT, &brut);
    const std::unique_ptr<LDAPMessage, LibereMessage> resultat(brut);
    if (rc != LDAP_SUCCESS) {
        throw Interruption(rc);
    }
    annuaire::Page reponse;
    for (LDAPMessage* m = ldap_first_entry(ld.get(), brut); m != nullptr;
         m = ldap_next_entry(ld.get(), m)) {
        reponse.entrees.push_back(LitEntree(ld.get(), m));
    }
    LDAPControl** recus = nullptr;
    int code = LDAP_SUCCESS;
    if (ldap_parse_result(ld.get(), brut, &code, nullptr, nullptr, nullptr, &recus, 0) ==
        LDAP_SUCCESS) {
        const std::unique_ptr<LDAPControl*, LibereControles> recusPossedes(recus);
        if (LDAPControl* controle = ldap_control_find(LDAP_CONTROL_PAGEDRESULTS, recus, nullptr)) {
            ber_int_t estimation = 0;
            berval suivant{0, nullptr};
            if (ldap_parse_pageresponse_control(ld.get(), controle, &estimation, &suivant) ==
                    LDAP_SUCCESS &&
                suivant.bv_val != nullptr) {
                reponse.cookie.assign(suivant.bv_val, suivant.bv_len);
                ber_memfree(suivant.bv_val);
            }
        }
    }
    return reponse;
}

AnnuaireLDAP::AnnuaireLDAP(std::unique_ptr<Impl> impl) : d_(std::move(impl)) {}

AnnuaireLDAP::~AnnuaireLDAP() = default;

const std::string& AnnuaireLDAP::Base() const {
    return d_->base;
}

std::int32_t AnnuaireLDAP::MembresGroupe(const std::string& groupe, Collection& dejaVus,
                                         Liste& membres, const SuiviRecherches& suivi) {
    return annuaire::DeveloppeGroupe(*d_, d_->base, groupe, dejaVus, membres, suivi);
}

namespace {

// The server part of the settings, and a search base when a URI gives one.
struct Adresse {
    std::string uri;  // empty: the system's LDAP defaults
    std::string base;
};

Adresse AdresseDepuis(const AccesAnnuaire& acces) {
    Adresse adresse;
    if (acces.mode != 2) {
        return adresse;
    }
    const std::string domaine = Elague(acces.domaine);
    if (!domaine.starts_with("ldap://") && !domaine.starts_with("ldaps://")) {
        adresse.uri = "ldap://" + domaine;
        return adresse;
    }
    LDAPURLDesc* brut = nullptr;
    if (ldap_url_parse(domaine.c_str(), &brut) != LDAP_URL_SUCCESS) {
        adresse.uri = domaine;  // the library says what is wrong when it connects
        return adresse;
    }
    const std::unique_ptr<LDAPURLDesc, LibereUrl> url(brut);
    adresse.uri = std::string(url->lud_scheme) + "://" + (url->lud_host ? url->lud_host : "");
    if (url->lud_port > 0) {
        adresse.uri += ":" + std::to_string(url->lud_port);
    }
    if (url->lud_dn && *url->lud_dn) {
        adresse.base = url->lud_dn;
    }
    return adresse;
}

// Whether the connection is a local socket (ldapi://): nothing it carries
// crosses the network.
bool ConnexionLocale(LDAP* ld) {
    ber_socket_t descripteur = -1;
    if (ldap_get_option(ld, LDAP_OPT_DESC, &descripteur) != LDAP_OPT_SUCCESS || descripteur < 0) {
        return false;
    }
    sockaddr_storage adresse{};
    socklen_t taille = sizeof adresse;
    return getsockname(descripteur, reinterpret_cast<sockaddr*>(&adresse), &taille) == 0 &&
           adresse.ss_family == AF_UNIX;
}

// What the library or the server said about a failure, for `detail`.
std::string Explication(LDAP* ld, int rc) {
    std::string texte = ldap_err2string(rc);
    char* brut = nullptr;
    if (ldap_get_option(ld, LDAP_OPT_DIAGNOSTIC_MESSAGE, &brut) == LDAP_OPT_SUCCESS && brut) {
        const std::unique_ptr<char, LibereMemoire> message(brut);
        if (*brut != '\0') {
            texte += std::string(": ") + brut;
        }
    }
    return texte;
}

// A simple bind sends the password as it is: it may only go over TLS
// (ldaps://, or ldap:// upgraded with StartTLS, the certificate verified as
// ldap.conf says) or a local socket. Otherwise `detail` says why it stayed here.
int Securise(LDAP* ld, std::string& detail) {
    int rc = ldap_connect(ld);  // with ldaps://, the TLS handshake too
    if (rc == LDAP_SUCCESS) {
        if (ldap_tls_inplace(ld) || ConnexionLocale(ld)) {
            return LDAP_SUCCESS;
        }
        rc = ldap_start_tls_s(ld, nullptr, nullptr);
    }
    if (rc > 0) {  // the server's answer to the request
        detail = "the server does not offer StartTLS";
    } else if (rc == LDAP_CONNECT_ERROR) {  // the TLS handshake failed
        detail = "the server's certificate could not be verified";
    } else {
        return rc;
    }
    detail += ", so the password was not sent (" + Explication(ld, rc) + ")";
    return rc;
}

int Lie(LDAP* ld, const AccesAnnuaire& acces, std::string& detail) {
    if (acces.mode == 0) {
        // The logon account: Kerberos when a ticket exists, else anonymous.
        const int rc = ldap_sasl_interactive_bind_s(
            ld, nullptr, "GSSAPI", nullptr, nullptr, LDAP_SASL_QUIET,
            [](LDAP*, unsigned, void*, void*) { return LDAP_SUCCESS; }, nullptr);
        if (rc == LDAP_SUCCESS || rc == LDAP_SERVER_DOWN || rc == LDAP_TIMEOUT) {
            return rc;
        }
        berval vide{0, nullptr};
        return ldap_sasl_bind_s(ld, nullptr, LDAP_SASL_SIMPLE, &vide, nullptr, nullptr, nullptr);
    }
    // An empty password would make an unauthenticated bind that many servers
    // accept as anonymous: refuse it rather than pretend to be that account.
    if (acces.motDePasse.empty()) {
        return LDAP_INAPPROPRIATE_AUTH;
    }
    if (const int rc = Securise(ld, detail); rc != LDAP_SUCCESS) {
        return rc;
    }
    berval motDePasse{static_cast<ber_len_t>(acces.motDePasse.size()),
                      const_cast<char*>(acces.motDePasse.data())};
    return ldap_sasl_bind_s(ld, acces.login.c_str(), LDAP_SASL_SIMPLE, &motDePasse, nullptr,
                            nullptr, nullptr);
}

}  // namespace

std::unique_ptr<AnnuaireLDAP> AnnuaireLDAP::OuvreADSI(const AccesAnnuaire& acces,
                                                      EchecOuverture& echec, std::string& detail) {
    echec = EchecOuverture::Acces;
    const Adresse adresse = AdresseDepuis(acces);
    LDAP* brut = nullptr;
    int rc = ldap_initialize(&brut, adresse.uri.empty() ? nullptr : adresse.uri.c_str());
    auto impl = std::make_unique<Impl>();
    impl->ld.reset(brut);
    impl->timeoutSecondes = acces.timeoutSecondes > 0 ? acces.timeoutSecondes : 10;
    if (rc != LDAP_SUCCESS || !brut) {
        detail = ldap_err2string(rc);
        return nullptr;
    }
    const int version = LDAP_VERSION3;
    ldap_set_option(brut, LDAP_OPT_PROTOCOL_VERSION, &version);
    // Referrals would send the search to servers nobody configured.
    ldap_set_option(brut, LDAP_OPT_REFERRALS, LDAP_OPT_OFF);
    const timeval attente{impl->timeoutSecondes, 0};
    ldap_set_option(brut, LDAP_OPT_NETWORK_TIMEOUT, &attente);
    ldap_set_option(brut, LDAP_OPT_TIMEOUT, &attente);

    if (rc = Lie(brut, acces, detail); rc != LDAP_SUCCESS) {
        if (detail.empty()) {
            detail = ldap_err2string(rc);
        }
        return nullptr;
    }
    try {
        const std::vector<Entree> racine =
            annuaire::ChercheTout(*impl, {"",
                                          annuaire::Portee::Base,
                                          "(objectClass=*)",
                                          {"defaultNamingContext", "namingContexts"}});
        const std::string contexte =
            racine.empty() ? std::string()
                           : racine.front().Valeur({"defaultnamingcontext", "namingcontexts"});
        if (contexte.empty() && adresse.base.empty()) {
            echec = EchecOuverture::RacineAD;
            detail = "no naming context";
            return nullptr;
        }
        impl->base = adresse.base.empty() ? contexte : adresse.base;
        // The base must exist, or every query would fail later.
        (void)annuaire::ChercheTout(
            *impl, {impl->base, annuaire::Portee::Base, "(objectClass=*)", {"1.1"}});
    } catch (const RechercheInterrompue& e) {
        detail = e.detail;
        return nullptr;
    }
    echec = EchecOuverture::Aucun;
    return std::unique_ptr<AnnuaireLDAP>(new AnnuaireLDAP(std::move(impl)));
}

}  // namespace corvelle
