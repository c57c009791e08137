"""Directory groups end to end: the real program, slapd and an SMTP server."""

import contextlib
import os
import shutil
import tempfile
import unittest

from annuaire import (ADMIN_DN, ADMIN_MOT_DE_PASSE, LECTEUR_DN, LECTEUR_MOT_DE_PASSE, Annuaire,
                      RelaisMuet)
from outils import Programme, Relais, Serveur, chiffre, config_smtp

RACINE = ANNUAIRE = None
DEMANDE_STARTTLS = b"1.3.6.1.4.1.1466.20037"  # the extended operation, sent in clear
# None of the system's CAs signed the test directory's certificate.
AUTRES_CA = "/etc/ssl/certs/ca-certificates.crt"
RACINE_LDIF = ["dn: dc=exemple,dc=test", "objectClass: dcObject", "objectClass: organization",
               "o: Exemple", "dc: exemple", ""]


def setUpModule():
    global RACINE, ANNUAIRE
    RACINE = tempfile.mkdtemp(prefix="corvelle-ldap-")
    ANNUAIRE = Annuaire(RACINE, ldaps=True)


def tearDownModule():
    ANNUAIRE.ferme()
    shutil.rmtree(RACINE, ignore_errors=True)


class CasAnnuaire(unittest.TestCase):
    def setUp(self):
        self.serveur = Serveur(RACINE)
        self.addCleanup(self.serveur.arrete)
        self.programme = Programme(RACINE)
        self.configure()

    def configure(self, mot_de_passe="lecture", domaine=None, mode="2", login=LECTEUR_DN):
        self.programme.configure([config_smtp("Test", "127.0.0.1", self.serveur.port)],
                                 UtiliserAD="-1", AccèsAD=mode,
                                 AccèsADDomaine=domaine or f"127.0.0.1:{ANNUAIRE.port}",
                                 AccèsADLogin=login, AccèsADPassword=chiffre(mot_de_passe),
                                 TimeoutSMTP="3")

    @contextlib.contextmanager
    def annuaire_de(self, nom, lignes):
        """A directory of its own holding these LDIF lines, configured for the run."""
        donnees = os.path.join(RACINE, f"{nom}.ldif")
        with open(donnees, "w") as f:
            f.write("\n".join(lignes))
        with Annuaire(RACINE, donnees=donnees) as annuaire:
            self.configure(domaine=f"127.0.0.1:{annuaire.port}", login=ADMIN_DN,
                           mot_de_passe=ADMIN_MOT_DE_PASSE)
            yield

    def destinataires(self, *arguments, code=0, env=None):
        """The recipients of this run's one message ([] for none), and the run."""
        avant = len(self.serveur.messages())
        # The program trusts the test CA as ldap.conf's TLS_CACERT would.
        env = {"LDAPTLS_CACERT": ANNUAIRE.ca, **(env or {})}
        resultat = self.programme.lance(*arguments, "/o:x", "/ct:y", "/l", env=env)
        self.assertEqual(resultat.returncode, code, resultat.stderr + self.programme.journal())
        recus = self.serveur.messages()[avant:]
        self.assertLessEqual(len(recus), 1)
        return (recus[0][0]["rcpt_tos"] if recus else []), resultat


class Groupes(CasAnnuaire):
    def test_nested_groups_members_once_with_mail_or_account_name(self):
        adresses, _ = self.destinataires("/a:grp:Ventes")
        self.assertEqual(adresses, ["alice@exemple.test", "bruno@exemple.test",
                                    "carla@exemple.test", "dimitri@exemple.test"])

    def test_cycles_end_and_special_names_do_not_widen_the_search(self):
        adresses, _ = self.destinataires("/a:grp:Cycle A")
        self.assertEqual(len(adresses), 2)
        for groupe in ("Direction d'Agence", "Projet *(X)\\Y"):
            adresses, _ = self.destinataires(f"/a:grp:{groupe}")
            self.assertEqual(len(adresses), 1, groupe)

    def test_more_members_than_one_page(self):
        adresses, _ = self.destinataires("/a:grp:Grand")
        self.assertEqual(len(adresses), 12)
        # Past the client's page of 500 entries: pages follow one another.
        lignes = RACINE_LDIF + ["dn: cn=Foule,dc=exemple,dc=test", "objectClass: group",
                                "cn: Foule", "sAMAccountName: Foule", ""]
        for i in range(1200):
            lignes += [f"dn: cn=u{i},dc=exemple,dc=test", "objectClass: user", f"cn: u{i}",
                       f"sAMAccountName: u{i:04d}", "memberOf: cn=Foule,dc=exemple,dc=test", ""]
        with self.annuaire_de("foule", lignes):
            adresses, resultat = self.destinataires("/a:grp:Foule", "/nde:5000", "--progress")
        self.assertEqual(len(set(adresses)), 1200)
        # The progress line counts the lookups before the batches.
        # (The run's text mode reads each carriage return as a line end.)
        self.assertRegex(resultat.stderr, r"^\s*annuaire : [1-9]\d* recherches, \d+ membres\n")

    def test_nesting_past_64_levels_is_a_group_error(self):
        # Groups N0 to N65, each holding a user and the next group.
        lignes = list(RACINE_LDIF)
        for i in range(66):
            lignes += [f"dn: cn=N{i},dc=exemple,dc=test", "objectClass: group", f"cn: N{i}",
                       f"sAMAccountName: N{i}"]
            lignes += [f"memberOf: cn=N{i - 1},dc=exemple,dc=test"] * (i > 0) + [""]
            lignes += [f"dn: cn=u{i},dc=exemple,dc=test", "objectClass: user", f"cn: u{i}",
                       f"sAMAccountName: u{i}", f"memberOf: cn=N{i},dc=exemple,dc=test", ""]
        with self.annuaire_de("imbrication", lignes):
            adresses, _ = self.destinataires("/a:grp:N1", "/nde:100")
            self.assertEqual(len(adresses), 65)
            self.destinataires("/a:grp:N0", "/nde:100", code=2)
        self.assertIn("Le groupe 'N0' imbrique des groupes sur plus de 64 niveaux : ses membres "
                      "n'ont pas été récupérés... L'outil va être fermé.", self.programme.journal())

    def test_system_defaults_with_the_settings_account_or_the_logon_account(self):
        # Mode 0 binds as the logon account: anonymous, with no Kerberos ticket.
        for mode in ("1", "0"):
            self.configure(mode=mode, domaine="ignoré hors du mode 2")
            adresses, _ = self.destinataires("/a:grp:Export", env={"LDAPURI": ANNUAIRE.uri})
            self.assertEqual(adresses, ["dimitri@exemple.test"], mode)

    def test_unknown_groups(self):
        adresses, _ = self.destinataires("/a:grp:Inconnu,bob")
        self.assertEqual(adresses, ["bob@exemple.test"])
        self.assertIn("Le groupe 'Inconnu' est inconnu de la base des comptes... Il sera ignoré.",
                      self.programme.journal())
        # A nested group that cannot be found adds nothing, silently.
        adresses, _ = self.destinataires("/a:grp:Fantôme")
        self.assertEqual(len(adresses), 1)
        self.assertNotIn("inconnu", self.programme.journal().split("\n")[-2])

    def test_wrong_password_asks_and_goes_on_without_the_directory(self):
        self.configure(mot_de_passe="faux")
        adresses, resultat = self.destinataires("/a:bob")
        self.assertEqual(adresses, ["bob@exemple.test"])
        self.assertIn("Impossible d'accéder à l'ActiveDirectory...", resultat.stderr)
        self.assertIn("Souhaitez-vous modifier la configuration", resultat.stderr)
        _, resultat = self.destinataires("/a:grp:Ventes", code=2)
        self.assertIn("L'envoi de mail à des groupes est impossible", self.programme.journal())

    def test_directory_that_stops_answering_mid_run_times_out(self):
        # Only the group query goes unanswered; anonymous, so the relay reads requests.
        muet = RelaisMuet(ANNUAIRE.port, passes=3)
        self.addCleanup(muet.ferme)
        self.configure(mode="0")
        _, resultat = self.destinataires("/a:grp:Ventes", code=2,
                                         env={"LDAPURI": f"ldap://127.0.0.1:{muet.port}"})
        self.assertIn("Une erreur (1460) est survenue lors de la récupération des membres du "
                      "groupe 'Ventes'... L'outil va être fermé.", self.programme.journal())

    def test_directory_down_at_start(self):
        arret = Annuaire(RACINE)
        port = arret.port
        arret.ferme()
        for domaine, raison in ((f"127.0.0.1:{port}", "(Can't contact LDAP server)"),
                                (f"ldap://127.0.0.1:{ANNUAIRE.port}/dc=absent,dc=test",
                                 "(No such object)")):
            self.configure(domaine=domaine)
            _, resultat = self.destinataires("/a:grp:Ventes", code=2)
            self.assertIn("Impossible d'accéder à l'ActiveDirectory... " + raison, resultat.stderr)


class Chiffrement(CasAnnuaire):
    """The directory password crosses the network only inside TLS."""

    def test_password_sent_inside_tls_only(self):
        relais = Relais(ANNUAIRE.port)
        self.addCleanup(relais.ferme)
        for domaine in (f"127.0.0.1:{relais.port}", ANNUAIRE.uri_ldaps):
            self.configure(domaine=domaine)
            adresses, _ = self.destinataires("/a:grp:Export")
            self.assertEqual(adresses, ["dimitri@exemple.test"], domaine)
        trafic = relais.octets()
        self.assertNotIn(LECTEUR_MOT_DE_PASSE.encode(), trafic)
        self.assertIn(DEMANDE_STARTTLS, trafic)

    def test_no_tls_no_password(self):
        with Annuaire(RACINE, tls=False, ldapi=True) as sans_tls:
            for port, env, raison in (
                    (sans_tls.port, None, "the server does not offer StartTLS, so the password "
                                          "was not sent"),
                    (ANNUAIRE.port, {"LDAPTLS_CACERT": AUTRES_CA},
                     "the server's certificate could not be verified, so the password was not "
                     "sent")):
                relais = Relais(port)
                self.addCleanup(relais.ferme)
                self.configure(domaine=f"127.0.0.1:{relais.port}")
                _, resultat = self.destinataires("/a:grp:Ventes", code=2, env=env)
                self.assertIn("Impossible d'accéder à l'ActiveDirectory... (" + raison,
                              resultat.stderr)
                trafic = relais.octets()
                self.assertNotIn(LECTEUR_MOT_DE_PASSE.encode(), trafic)
                self.assertIn(DEMANDE_STARTTLS, trafic)
            # A local socket is not the network: the password goes without TLS.
            self.configure(mode="1")
            adresses, _ = self.destinataires("/a:grp:Export", env={"LDAPURI": sans_tls.uri_ldapi})
            self.assertEqual(adresses, ["dimitri@exemple.test"])


if __name__ == "__main__":
    unittest.main()
