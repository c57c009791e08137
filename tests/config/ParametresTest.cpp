#include <gtest/gtest.h>

#include "config/MotDePasse.h"
#include "config/Parametres.h"
#include "config/Profil.h"
#include "core/Erreur.h"
#include "support/DossierTemporaire.h"

namespace corvelle {
namespace {

class ParametresTest : public ::testing::Test {
  protected:
    // The profile made of these lines in section Configuration.
    FichierProfil Profil(const std::string& lignes) {
        test::EcritFichier(ini_, "[Configuration]\n" + lignes);
        return FichierProfil::Charge(ini_);
    }
    // Settings as a new file would hold them, to compare every field at once.
    std::string Texte(const Parametres& p, const ParametresFenetre& f) {
        FichierProfil profil = FichierProfil::Charge(dossier_ / "neuf.ini");
        EcritParametres(profil, p);
        EcritParametresFenetre(profil, f);
        return profil.TexteComplet();
    }

    test::DossierTemporaire dossier_;
    std::string ini_ = dossier_ / "Corvelle.ini";
};

TEST_F(ParametresTest, DefautsSansFichier) {
    const FichierProfil vide = FichierProfil::Charge(dossier_ / "absent.ini");
    EXPECT_EQ(Texte(LitParametres(vide), LitParametresFenetre(vide)),
              std::string("[Configuration]\nExpéditeurParDéfaut=") + kExpediteurIntegre +
                  "\nRéponseParDéfaut=\nFormatParDéfaut=0\nEncodageParDéfaut=Iso-8859-1\n"
                  "ImportanceParDéfaut=0\nSensibilitéParDéfaut=0\nARParDéfaut=0\n"
                  "GroupesParDéfaut=\nDestinatairesParDéfaut=\nFichierDestinatairesParDéfaut=\n"
                  "Suffixe=" +
                  kSuffixeParDefaut +
                  "\nNbDest=25\nRépartitionDestinataires=-1\nTimeoutSMTP=10\nDureeAttente=120\n"
                  "AutoSubmitted=-"
                  "1\nUtiliserAD=0\n"
                  "AccèsAD=0\nAccèsADDomaine=\nAccèsADLogin=\nAccèsADPassword=\n"
                  "FenêtreMémoriserTaille=0\nFenêtreMémoriserPosition=0\nFenêtreEtat=0\n"
                  "FenêtreHauteur=7500\nFenêtreLargeur=7500\nFenêtreGauche=1000\n"
                  "FenêtreHaut=1000\nMinimiserSystray=0\nToujoursAuDessus=0\n");
}

TEST_F(ParametresTest, ConversionsALaLecture) {
    for (const char* vide : {"ExpéditeurParDéfaut=", "EXPÉDITEURPARDÉFAUT=  "}) {
        EXPECT_EQ(LitParametres(Profil(vide)).ExpediteurParDefaut, kExpediteurIntegre);
    }
    // Older installations stored the time-out in milliseconds.
    for (const auto& [texte, attendu] :
         {std::pair{"30000", 30}, {"1500", 1}, {"1000", 1000}, {"1001", 1}}) {
        EXPECT_EQ(LitParametres(Profil(std::string("TimeoutSMTP=") + texte)).TimeoutSMTP, attendu);
    }
    for (const auto& [texte, attendu] : {std::pair{"12abc", 12}, {"2.5", 2}, {"3.5", 4}}) {
        EXPECT_EQ(LitParametres(Profil(std::string("NbDest=") + texte)).NbDest, attendu);
    }
    for (const auto& [texte, attendu] : {std::pair{"1", true}, {"-1", true}, {"oui", false}}) {
        EXPECT_EQ(LitParametres(Profil(std::string("RépartitionDestinataires=") + texte))
                      .RepartitionDestinataires,
                  attendu);
    }
    EXPECT_EQ(LitParametres(Profil("AccèsADPassword=E8D9")).AccesADPassword, "ab");
    for (const char* hors : {"TimeoutSMTP=40000", "FormatParDéfaut=32768", "NbDest=99999999999"}) {
        try {
            (void)LitParametres(Profil(hors));
            ADD_FAILURE() << hors;
        } catch (const Erreur& e) {
            EXPECT_EQ(e.Numero(), 6) << hors;
        }
    }
    EXPECT_THROW((void)LitParametresFenetre(Profil("FenêtreHauteur=3e9")), Erreur);
}

TEST_F(ParametresTest, ChaqueCleRelueEtReecriteALIdentique) {
    const std::string lignes =
        "ExpéditeurParDéfaut=André <andre@example.org>\nRéponseParDéfaut=r@example.org\n"
        "FormatParDéfaut=2\nEncodageParDéfaut=utf-8\nImportanceParDéfaut=1\n"
        "SensibilitéParDéfaut=3\nARParDéfaut=2\nGroupesParDéfaut=g1,g2\n"
        "DestinatairesParDéfaut=a,b\nFichierDestinatairesParDéfaut=/tmp/d.txt\n"
        "Suffixe=exemple.fr\nNbDest=0\nRépartitionDestinataires=0\nTimeoutSMTP=60\nDureeAttente=0\n"
        "AutoSubmitted="
        "0\n"
        "UtiliserAD=-1\nAccèsAD=2\nAccèsADDomaine=ldap://dc\nAccèsADLogin=admin\n"
        "AccèsADPassword=" +
        ChiffreMotDePasse("sécret") +
        "\nFenêtreMémoriserTaille=-1\nFenêtreMémoriserPosition=-1\nFenêtreEtat=2\n"
        "FenêtreHauteur=9000\nFenêtreLargeur=8000\nFenêtreGauche=-200\nFenêtreHaut=30\n"
        "MinimiserSystray=-1\nToujoursAuDessus=-1\n";
    FichierProfil profil = Profil("Langue=English\n" + lignes);
    const Parametres p = LitParametres(profil);
    const ParametresFenetre f = LitParametresFenetre(profil);
    EXPECT_EQ(p.AccesADPassword, "sécret");
    EXPECT_EQ(Texte(p, f), "[Configuration]\n" + lignes);
    // Written over the same keys, in place, the file comes back unchanged.
    EcritParametres(profil, p);
    EcritParametresFenetre(profil, f);
    profil.Enregistre();
    EXPECT_EQ(test::LitFichier(ini_), "[Configuration]\nLangue=English\n" + lignes);
}

}  // namespace
}  // namespace corvelle
