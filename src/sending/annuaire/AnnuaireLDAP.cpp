#include "sending/annuaire/AnnuaireLDAP.h"

#include <lber.h>
#include <ldap.h>
#include <sys/socket.h>

#include <algorithm>
#include <map>
#include <unordered_set>
#include <vector>

#include "core/Texte.h"
#include "sending/annuaire/FiltreLDAP.h"

namespace corvelle {

namespace {

// Active Directory returns at most 1000 entries a page.
constexpr int kTaillePage = 500;
// The status of a query that waited past the time-out.
constexpr std::int32_t kDelaiDepasse = 1460;

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

// A failed LDAP call: the library's code and its words.
struct ErreurLDAP {
    int code;
};

struct Entree {
    std::string dn;
    std::map<std::string, std::vector<std::string>> attributs;  // names in lower case

    // The first value of the first attribute present among `noms`.
    [[nodiscard]] std::string Valeur(std::initializer_list<const char*> noms) const {
        for (const char* nom : noms) {
            const auto it = attributs.find(nom);
            if (it != attributs.end() && !it->second.empty()) {
                return it->second.front();
            }
        }
        return {};
    }
};

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

struct AnnuaireLDAP::Impl {
    PoigneeLDAP ld;
    std::string base;
    int timeoutSecondes = 10;

    // Every entry a search finds, page after page.
    std::vector<Entree> Cherche(const std::string& racine, int portee, const std::string& filtre,
                                std::vector<const char*> attributs) const;
    std::int32_t RechercheMembres(const std::string& groupe, Collection& dejaVus, Liste& membres,
                                  std::unordered_set<std::string>& presents, int profondeur);
};

std::vector<Entree> AnnuaireLDAP::Impl::Cherche(const std::string& racine, int portee,
                                                const std::string& filtre,
                                                std::vector<const char*> attributs) const {
    attributs.push_back(nullptr);
    std::vector<Entree> entrees;
    std::string cookie;
    do {
        berval valeurCookie{static_cast<ber_len_t>(cookie.size()), cookie.data()};
        LDAPControl* page = nullptr;
        if (const int rc = ldap_create_page_control(
                ld.get(), kTaillePage, cookie.empty() ? nullptr : &valeurCookie, 0, &page);
            rc != LDAP_SUCCESS) {
            throw ErreurLDAP{rc};
        }
        const std::unique_ptr<LDAPControl, LibereControle> pagePossedee(page);
        LDAPControl* controles[] = {page, nullptr};
        timeval limite{timeoutSecondes, 0};
        LDAPMessage* brut = nullptr;
        const int rc = ldap_search_ext_s(ld.get(), racine.c_str(), portee, filtre.c_str(),
                                         const_cast<char**>(attributs.data()), 0, controles,
                                         nullptr, &limite, LDAP_NO_LIMIT, &brut);
        const std::unique_ptr<LDAPMessage, LibereMessage> resultat(brut);
        if (rc != LDAP_SUCCESS) {
            throw ErreurLDAP{rc};
        }
        for (LDAPMessage* m = ldap_first_entry(ld.get(), brut); m != nullptr;
             m = ldap_next_entry(ld.get(), m)) {
            entrees.push_back(LitEntree(ld.get(), m));
        }
        cookie.clear();
        LDAPControl** recus = nullptr;
        int code = LDAP_SUCCESS;
        if (ldap_parse_result(ld.get(), brut, &code, nullptr, nullptr, nullptr, &recus, 0) ==
            LDAP_SUCCESS) {
            const std::unique_ptr<LDAPControl*, LibereControles> recusPossedes(recus);
            if (LDAPControl* reponse =
                    ldap_control_find(LDAP_CONTROL_PAGEDRESULTS, recus, nullptr)) {
                ber_int_t estimation = 0;
                berval suivant{0, nullptr};
                if (ldap_parse_pageresponse_control(ld.get(), reponse, &estimation, &suivant) ==
                        LDAP_SUCCESS &&
                    suivant.bv_val != nullptr) {
                    cookie.assign(suivant.bv_val, suivant.bv_len);
                    ber_memfree(suivant.bv_val);
                }
            }
        }
    } while (!cookie.empty());
    return entrees;
}

std::int32_t AnnuaireLDAP::Impl::RechercheMembres(const std::string& groupe, Collection& dejaVus,
                                                  Liste& membres,
                                                  std::unordered_set<std::string>& presents,
                                                  int profondeur) {
    const std::string cle = "grp:" + groupe;
    if (dejaVus.ContientCle(cle)) {
        return -1;  // expanded already in this field: ends cycles too
    }
    dejaVus.Ajoute("*", cle);

    const std::vector<Entree> groupes =
        Cherche(base, LDAP_SCOPE_SUBTREE, "(sAMAccountName=" + EchappeFiltre(groupe) + ")",
                {"distinguishedName"});
    if (groupes.empty()) {
        return profondeur == 0 ? kGroupeInconnu : 0;
    }
    // OpenLDAP has no distinguishedName attribute: the entry's own DN is it.
    std::string dn = groupes.front().Valeur({"distinguishedname"});
    if (dn.empty()) {
        dn = groupes.front().dn;
    }
    const std::string membreDe = "(memberOf=" + EchappeFiltre(dn) + ")";

    const auto parNom = [](std::vector<Entree>& entrees, std::initializer_list<const char*> noms) {
        std::stable_sort(entrees.begin(), entrees.end(), [&](const Entree& a, const Entree& b) {
            return Minuscules(a.Valeur(noms)) < Minuscules(b.Valeur(noms));
        });
    };
    std::vector<Entree> utilisateurs =
        Cherche(base, LDAP_SCOPE_SUBTREE, "(&" + membreDe + "(objectClass=user))",
                {"sAMAccountName", "mail"});
    parNom(utilisateurs, {"samaccountname"});
    for (const Entree& utilisateur : utilisateurs) {
        std::string valeur = utilisateur.Valeur({"mail"});
        if (valeur.empty()) {
            valeur = utilisateur.Valeur({"samaccountname"});
        }
        if (!valeur.empty() && presents.insert(valeur).second) {
            membres.push_back(std::move(valeur));
        }
    }

    // A request for "name" comes back as its subtype "cn" from OpenLDAP.
    std::vector<Entree> imbriques =
        Cherche(base, LDAP_SCOPE_SUBTREE, "(&" + membreDe + "(objectClass=group))", {"name"});
    parNom(imbriques, {"name", "cn"});
    for (const Entree& imbrique : imbriques) {
        const std::string nom = imbrique.Valeur({"name", "cn"});
        if (!nom.empty()) {
            (void)RechercheMembres(nom, dejaVus, membres, presents, profondeur + 1);
        }
    }
    return -1;
}

AnnuaireLDAP::AnnuaireLDAP(std::unique_ptr<Impl> impl) : d_(std::move(impl)) {}

AnnuaireLDAP::~AnnuaireLDAP() = default;

const std::string& AnnuaireLDAP::Base() const {
    return d_->base;
}

std::int32_t AnnuaireLDAP::MembresGroupe(const std::string& groupe, Collection& dejaVus,
                                         Liste& membres) {
    membres.clear();
    const std::string nom = Elague(groupe);
    if (nom.empty()) {
        return 0;
    }
    std::unordered_set<std::string> presents;
    try {
        return d_->RechercheMembres(nom, dejaVus, membres, presents, 0);
    } catch (const ErreurLDAP& e) {
        switch (e.code) {
            case LDAP_SERVER_DOWN:
            case LDAP_CONNECT_ERROR:
            case LDAP_UNAVAILABLE:
            case LDAP_BUSY:
                return kAnnuaireInjoignable;
            case LDAP_TIMEOUT:
            case LDAP_TIMELIMIT_EXCEEDED:
                return kDelaiDepasse;
            default:
                return e.code;
        }
    }
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
        const std::vector<Entree> racine = impl->Cherche(
            "", LDAP_SCOPE_BASE, "(objectClass=*)", {"defaultNamingContext", "namingContexts"});
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
        (void)impl->Cherche(impl->base, LDAP_SCOPE_BASE, "(objectClass=*)", {"1.1"});
    } catch (const ErreurLDAP& e) {
        detail = ldap_err2string(e.code);
        return nullptr;
    }
    echec = EchecOuverture::Aucun;
    return std::unique_ptr<AnnuaireLDAP>(new AnnuaireLDAP(std::move(impl)));
}

}  // namespace corvelle
