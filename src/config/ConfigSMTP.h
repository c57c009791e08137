#pragma once

// Named SMTP server profiles and their storage in key ConfigsSMTP.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace corvelle {

class FichierProfil;

// The fields of a stored record, in their order; these five are required.
enum class ChampStocke : std::size_t { Nom, Serveur, SSL, Port, Authentification };

// What of a stored record does not read: the fields, the first one's stored
// text (empty when the record stops before it); with its place in the list
// (from 0) and the record as stored when the list is loaded.
struct RecordIllisible {
    std::vector<ChampStocke> champs;
    std::string valeur;
    std::size_t position = 0;
    std::string texte;
};

// Authentication codes shared with the SMTP component.
enum CodeAuthentification : std::int32_t {
    AuthAucune = 0,
    AuthPop3 = 1,
    AuthLogin = 2,
    AuthPlain = 3,
    AuthOAuth2 = 4,
};

class clsConfigSMTP {
  public:
    std::string Nom;
    std::string Serveur;
    bool SSL = false;
    std::int32_t Port = 0;
    std::int32_t Authentification = AuthAucune;
    std::string ServeurPop;
    std::string Username;
    std::string Password;  // scrambled, as stored
    // Run at each send instead of storing a password: the first line it
    // prints is the password. Stored after the eight historic fields, which
    // older readers ignore.
    std::string CommandeMotDePasse;
    // OAuth2: the token endpoint, or a Microsoft tenant (no "https://"); the
    // client id and scope; or a command whose first line is the token. The
    // client secret is the password.
    std::string UrlJetonOAuth;
    std::string ClientOAuth;
    std::string PorteeOAuth;
    std::string CommandeJetonOAuth;
    // What an administrator sets per server, all optional: the name given in
    // EHLO (empty: the host's full name), the envelope sender (MAIL FROM;
    // empty: the From address), a CA file trusted instead of the system's, the
    // server certificate's pinned SHA-256 ("SHA256:" and hex), a client
    // certificate and its key (PEM files); an OAuth2 client certificate and
    // key, which sign a client assertion instead of sending a secret.
    std::string NomEhlo{};
    std::string ExpediteurEnveloppe{};
    std::string FichierCA{};
    std::string EmpreinteTLS{};
    std::string CertificatClient{};
    std::string CleClient{};
    std::string CertificatOAuth{};
    std::string CleOAuth{};

    // The fields joined by the unit separator (code 31): the eight historic
    // ones, then the optional ones (password command, OAuth2, then the
    // administrator's) up to the last that holds something, so a record
    // without them reads the same in older versions.
    [[nodiscard]] std::string Serialize() const;

    // Fills the record from one serialised record: 0, or 9 (a required field
    // is missing), 13 (not a number) or 6 (out of range). Fields read before
    // the failure keep their new values; fields 6 to 21 are optional.
    [[nodiscard]] std::int32_t Deserialize(std::string_view item);
    // The same, reading on past a field that does not read so that the
    // record can be fixed: every other field is taken, and the failures are
    // noted in `illisible` (fields and value).
    [[nodiscard]] std::int32_t Deserialize(std::string_view item, RecordIllisible& illisible);

    friend bool operator==(const clsConfigSMTP&, const clsConfigSMTP&) = default;

  private:
    [[nodiscard]] std::string ChampsOptionnels() const;
    [[nodiscard]] std::int32_t Lit(std::string_view item, RecordIllisible* illisible);
};

// The token endpoint of an OAuth2 configuration: its URL, or the Microsoft
// endpoint of its tenant; and the scope, Microsoft's SMTP one by default for
// a tenant.
[[nodiscard]] std::string UrlJeton(const clsConfigSMTP& config);
// An OAuth2 token endpoint given as a URL, not as a tenant.
inline constexpr std::string_view kDebutUrlJeton = "https://";
[[nodiscard]] bool EstUrlJeton(std::string_view texte);
[[nodiscard]] std::string PorteeJeton(const clsConfigSMTP& config);

using ListeConfigs = std::vector<clsConfigSMTP>;

inline constexpr char kSeparateurChamps = '\x1F';
inline constexpr char kSeparateurConfigs = '\x1E';

// Only the configuration a first start builds, named after the placeholder
// server: it stands until a real server is set.
[[nodiscard]] bool EstListeExemple(const ListeConfigs& liste);

// The list from key ConfigsSMTP. When the key is empty, one configuration is
// built from the old single-server keys, stored as ConfigsSMTP, and the old
// keys are removed (in memory; the caller saves the file). A record that
// cannot be read raises its error number; with `illisibles`, it is read as
// far as it goes, kept in the list and noted there instead.
[[nodiscard]] ListeConfigs ChargeConfigsSMTP(FichierProfil& profil,
                                             std::vector<RecordIllisible>* illisibles = nullptr);

// The value of key ConfigsSMTP: the records joined by kSeparateurConfigs.
[[nodiscard]] std::string TexteConfigsSMTP(const ListeConfigs& liste);
// The reader keeps FichierProfil::kLongueurMaxValeur characters of a value: a
// longer list would come back cut at the next start, so it is refused rather
// than lost.
[[nodiscard]] bool ConfigsSMTPTropLongues(std::string_view texte);

// Replaces key ConfigsSMTP with the list, or with the value TexteConfigsSMTP
// built, which moves it to the section's end.
void EnregistreConfigsSMTP(FichierProfil& profil, const ListeConfigs& liste);
void EnregistreConfigsSMTP(FichierProfil& profil, const std::string& texte);

}  // namespace corvelle
