#pragma once

// Directory groups looked up in Active Directory or any LDAP directory that
// gives its entries memberOf, sAMAccountName and mail.

#include <cstdint>
#include <memory>
#include <string>

#include "sending/Annuaire.h"

namespace corvelle {

// How to reach the directory (settings AccèsAD...).
struct AccesAnnuaire {
    std::int16_t mode =
        0;  // 0 logon account, 1 account of the settings, 2 that account on a named server
    std::string domaine;  // mode 2: host, host:port, or an ldap:// or ldaps:// URI
    std::string login;
    std::string motDePasse;  // clear text
    int timeoutSecondes = 10;
};

// Why the directory could not be opened; each has its own message.
enum class EchecOuverture {
    Aucun,
    Acces,     // no connection or bind, or the search base does not exist
    RacineAD,  // the root entry names no naming context
};

class AnnuaireLDAP final : public Annuaire {
  public:
    ~AnnuaireLDAP() override;

    // Connects, binds and finds the search base. On failure nothing is
    // returned and `echec` says which step failed (`detail` what the library said).
    [[nodiscard]] static std::unique_ptr<AnnuaireLDAP> OuvreADSI(const AccesAnnuaire& acces,
                                                                 EchecOuverture& echec,
                                                                 std::string& detail);

    std::int32_t MembresGroupe(const std::string& groupe, Collection& dejaVus, Liste& membres,
                               const SuiviRecherches& suivi) override;

    [[nodiscard]] const std::string& Base() const;

  private:
    struct Impl;
    explicit AnnuaireLDAP(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> d_;
};

}  // namespace corvelle
