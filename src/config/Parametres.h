#pragma once

// The settings of section "Configuration", with their types, defaults and
// conversions.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvelle {

class FichierProfil;

inline constexpr const char* kSectionConfiguration = "Configuration";

// Placeholders used until the user configures a real server and domain.
inline constexpr const char* kServeurSMTPParDefaut = "smtp.example.com";
inline constexpr const char* kSuffixeParDefaut = "example.com";
// The sender used when none is configured.
inline constexpr const char* kExpediteurIntegre = "Corvelle <ne-pas-repondre@example.com>";

// Read once at start-up into program-wide state.
struct Parametres {
    std::string ExpediteurParDefaut = kExpediteurIntegre;
    std::string ReponseParDefaut;
    std::int16_t FormatParDefaut = 0;
    std::string EncodageParDefaut = "Iso-8859-1";
    std::int32_t ImportanceParDefaut = 0;
    std::int32_t SensibiliteParDefaut = 0;
    std::int32_t ARParDefaut = 0;
    std::string GroupesParDefaut;
    std::string DestinatairesParDefaut;
    std::string FichierDestinatairesParDefaut;
    std::string Suffixe = kSuffixeParDefaut;
    std::int32_t NbDest = 25;
    bool RepartitionDestinataires = true;
    std::int16_t TimeoutSMTP = 10;  // seconds
    // Hours a message of the outbox is retried before it counts as not
    // deliverable; 0: a temporary failure is final at once.
    std::int32_t DureeAttente = 120;
    // Command-line mail says "Auto-Submitted: auto-generated".
    bool AutoSubmitted = true;
    bool UtiliserAD = false;
    std::int16_t AccesAD = 0;
    std::string AccesADDomaine;
    std::string AccesADLogin;
    std::string AccesADPassword;  // clear text in memory, scrambled in the file
};

// The compose window's remembered geometry and menu check marks.
struct ParametresFenetre {
    bool FenetreMemoriserTaille = false;
    bool FenetreMemoriserPosition = false;
    std::int16_t FenetreEtat = 0;        // 0 normal, 1 minimised, 2 maximised
    std::int32_t FenetreHauteur = 7500;  // twips
    std::int32_t FenetreLargeur = 7500;
    std::int32_t FenetreGauche = 1000;
    std::int32_t FenetreHaut = 1000;
    bool MinimiserSystray = false;
    bool ToujoursAuDessus = false;
};

// Every key in table order, with its default when missing. A number outside
// its type's range raises error 6.
[[nodiscard]] Parametres LitParametres(const FichierProfil& profil);
[[nodiscard]] ParametresFenetre LitParametresFenetre(const FichierProfil& profil);

// Stores every key (in memory; the caller saves the file), the password
// scrambled.
void EcritParametres(FichierProfil& profil, const Parametres& parametres);
void EcritParametresFenetre(FichierProfil& profil, const ParametresFenetre& parametres);

// The keys read into Parametres and ParametresFenetre, in table order.
[[nodiscard]] std::vector<std::string_view> NomsParametres();

// Those keys of one file as the program uses them. Each group is read the
// first time one of its keys is asked (the window's after the others), and
// only then, so a key reads as it would on its own.
class LecteurParametres {
  public:
    explicit LecteurParametres(const FichierProfil& profil) : profil_(profil) {}

    // The key read with its default and converted as start-up does, written
    // back the way the file holds it (booleans -1/0, numbers in decimal). The
    // directory password comes back scrambled. Nothing for any other key.
    [[nodiscard]] std::optional<std::string> Texte(std::string_view cle);

  private:
    const FichierProfil& profil_;
    std::optional<Parametres> parametres_;  // the password scrambled
    std::optional<ParametresFenetre> fenetre_;
};

}  // namespace corvelle
