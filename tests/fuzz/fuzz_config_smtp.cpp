// Stored SMTP records: any text either fails with an error number or gives a
// record that is written back and read again unchanged; a whole stored list
// read through the profile never crashes either.

#include <algorithm>

#include "Fuzz.h"
#include "config/ConfigSMTP.h"
#include "config/Parametres.h"
#include "config/Profil.h"
#include "core/Erreur.h"

using namespace corvelle;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* donnees, std::size_t taille) {
    const std::string entree = fuzz::Entree(donnees, taille);
    clsConfigSMTP config;
    const std::int32_t numero = config.Deserialize(entree);
    fuzz::Verifie(numero == 0 || numero == 6 || numero == 9 || numero == 13,
                  "a failed record gives 6, 9 or 13");
    if (numero == 0) {
        clsConfigSMTP relu;
        fuzz::Verifie(relu.Deserialize(config.Serialize()) == 0, "a written record reads");
        // A list separator inside a field is written as a space.
        clsConfigSMTP attendu = config;
        for (std::string* champ :
             {&attendu.Nom, &attendu.Serveur, &attendu.ServeurPop, &attendu.Username,
              &attendu.Password, &attendu.CommandeMotDePasse, &attendu.UrlJetonOAuth,
              &attendu.ClientOAuth, &attendu.PorteeOAuth, &attendu.CommandeJetonOAuth,
              &attendu.NomEhlo, &attendu.ExpediteurEnveloppe, &attendu.FichierCA,
              &attendu.EmpreinteTLS, &attendu.CertificatClient, &attendu.CleClient,
              &attendu.CertificatOAuth, &attendu.CleOAuth}) {
            std::replace(champ->begin(), champ->end(), kSeparateurConfigs, ' ');
        }
        fuzz::Verifie(relu == attendu, "a written record reads unchanged");
    }

    // The same text as the stored list; line breaks and NULs would be refused.
    if (entree.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos) {
        FichierProfil profil = FichierProfil::Charge(fuzz::Dossier() / "absent.ini");
        profil.Ecrit(kSectionConfiguration, "ConfigsSMTP", entree);
        try {
            const ListeConfigs liste = ChargeConfigsSMTP(profil);
            EnregistreConfigsSMTP(profil, liste);
            fuzz::Verifie(ChargeConfigsSMTP(profil).size() == liste.size(),
                          "a stored list reads back whole");
        } catch (const Erreur&) {
        }
    }
    return 0;
}
