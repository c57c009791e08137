"""OAuth2 logins end to end: the program, a test token endpoint over HTTPS and a
test SMTP server that takes only the tokens the endpoint granted."""

import json
import os
import stat
import tempfile
import time
import unittest

from outils import (GuichetJetons, Programme, Serveur, config_smtp, cree_autorite,
                    dossier_de_module)

RACINE = CERTS = None
CLIENT, SECRET = "appli-corvelle", "s3cret-Zq9-ne-pas-montrer"
BOITE = "robot@exemple.test"


setUpModule, tearDownModule = dossier_de_module(globals(), "corvelle-oauth-")


class OAuth2(unittest.TestCase):
    def demarre(self, duree=3600, mecanismes=None, jetons=None, guichet=None, goutte=False,
                certificat_client=None):
        """The endpoint (unless `jetons` names the file of valid tokens and
        `guichet` is not asked for), then the SMTP server and a fresh copy of
        the program."""
        self.guichet = None
        if jetons is None or guichet:
            self.guichet = GuichetJetons(RACINE, CERTS.bon, CLIENT, SECRET, duree, goutte,
                                         certificat_client)
            self.addCleanup(self.guichet.arrete)
            jetons = jetons or self.guichet.jetons
        self.serveur = Serveur(RACINE, "plain", oauth=jetons, mecanismes=mecanismes)
        self.addCleanup(self.serveur.arrete)
        self.programme = Programme(RACINE)

    def configure(self, secret=SECRET, commande_jeton="", **cles):
        oauth = (("", "", "", commande_jeton) if commande_jeton else
                 (self.guichet.url, CLIENT, "smtp.envoi", ""))
        self.programme.configure([config_smtp("OAuth", "127.0.0.1", self.serveur.port, auth=4,
                                              utilisateur=BOITE, mot_de_passe=secret,
                                              oauth=oauth)], **cles)

    def envoie(self, *destinataires, code=0):
        return self.gere(code, None, "/a:" + ",".join(destinataires), "/o:x", "/ct:y", "/nde:2",
                         "/l", "/trace")

    def tentatives(self):
        return self.serveur.lignes("oauth.log")

    def sans_secrets(self, resultats, *secrets):
        """Neither the secret nor a token in any output, the log or the trace."""
        textes = [r.stdout + r.stderr for r in resultats] + [self.programme.journal()]
        for secret in secrets:
            for texte in textes:
                self.assertNotIn(secret, texte)

    def test_client_credentials_token_reused_across_batches_and_runs(self):
        self.demarre()
        self.configure()
        premier = self.envoie("a", "b", "c", "d", "e")
        second = self.envoie("f")
        self.assertEqual(len(self.serveur.messages()), 4)
        # One request for three batches and two runs: the second run reads the file.
        [requete] = self.guichet.requetes()
        self.assertEqual((requete["grant_type"], requete["client_id"], requete["scope"]),
                         ("client_credentials", CLIENT, "smtp.envoi"))
        self.assertEqual({(t["utilisateur"], t["jeton"]) for t in self.tentatives()},
                         {(BOITE, "jeton-1")})
        fichier = os.path.join(self.programme.dossier, "Corvelle.jetons")
        self.assertEqual(stat.S_IMODE(os.stat(fichier).st_mode), 0o600)
        self.assertIn("AUTH", premier.stderr)  # the trace is on, and hides the login
        self.sans_secrets([premier, second], SECRET, "jeton-1")

    def test_token_about_to_expire_is_asked_again_next_run(self):
        self.demarre(duree=61)
        self.configure()
        self.envoie("a")
        time.sleep(1.1)  # under 60 s left now
        self.envoie("b")
        self.assertEqual([t["jeton"] for t in self.tentatives()], ["jeton-1", "jeton-2"])

    def test_token_the_server_refuses_is_never_used_again(self):
        # The server accepts the tokens of this file, not every token granted.
        valides = os.path.join(tempfile.mkdtemp(dir=RACINE), "valides.txt")
        open(valides, "w").close()
        self.demarre(jetons=valides, guichet=True)
        self.configure()
        # Refused as soon as issued: no second try, and not kept for the next run.
        self.envoie("a", code=5)
        with open(valides, "w") as f:
            f.write("jeton-2\n")
        self.envoie("b")
        # Revoked before it expires: a new token at once, and the message goes.
        with open(valides, "w") as f:
            f.write("jeton-3\n")
        self.envoie("c")
        self.assertEqual([t["jeton"] for t in self.tentatives()],
                         ["jeton-1", "jeton-2", "jeton-2", "jeton-3"])
        self.assertEqual(sorted(e["rcpt_tos"][0] for e, _ in self.serveur.messages()),
                         ["b@exemple.test", "c@exemple.test"])
        with open(os.path.join(self.programme.dossier, "Corvelle.jetons")) as f:
            self.assertEqual([e["jeton"] for e in json.load(f)["jetons"]], ["jeton-3"])

    def test_certificate_instead_of_a_secret(self):
        dossier = tempfile.mkdtemp(dir=RACINE, prefix="appli-")
        for nom in ("appli", "autre"):
            cree_autorite(dossier, nom)  # self-signed, as Entra takes them
            os.chmod(os.path.join(dossier, f"{nom}.key"), 0o600)
        fichier = lambda nom: os.path.join(dossier, nom)
        self.demarre(certificat_client=fichier("appli.pem"))

        def envoie(certificat, cle, code):
            self.programme.configure([config_smtp(
                "OAuth", "127.0.0.1", self.serveur.port, auth=4, utilisateur=BOITE,
                oauth=(self.guichet.url, CLIENT, "smtp.envoi", ""),
                certificat_oauth=fichier(certificat), cle_oauth=fichier(cle))])
            resultat = self.envoie("a", code=code)
            return resultat.stdout + resultat.stderr + self.programme.journal()

        # The endpoint checks the signature, x5t#S256 and the claims.
        self.assertIn("AADSTS700027", envoie("autre.pem", "autre.key", 5))
        self.assertIn("does not belong", envoie("appli.pem", "autre.key", 5))
        envoie("appli.pem", "appli.key", 0)
        self.assertEqual(len(self.serveur.messages()), 1)
        os.chmod(fichier("appli.key"), 0o644)
        self.assertIn("chmod 600 " + fichier("appli.key"), envoie("appli.pem", "appli.key", 5))
        self.assertEqual(len(self.guichet.requetes()), 2)

    def test_refused_grant_shows_the_endpoint_error_never_the_secret(self):
        self.demarre()
        self.configure(secret="mauvais-" + SECRET)
        resultat = self.envoie("a", code=5)
        sortie = resultat.stdout + resultat.stderr + self.programme.journal()
        self.assertIn("invalid_client", sortie)
        self.assertIn("AADSTS7000215", sortie)
        self.assertEqual(self.tentatives(), [])
        self.assertEqual(self.serveur.messages(), [])
        self.sans_secrets([resultat], SECRET)

    def test_endpoint_that_drips_its_reply_is_given_up_in_bounded_time(self):
        self.demarre(goutte=True)
        self.configure(TimeoutSMTP="3")
        # Far more than the few time-outs the whole request may take.
        resultat = self.programme.lance("/a:a", "/o:x", "/ct:y", "/l", ca=CERTS.ca, delai=40)
        self.assertEqual(resultat.returncode, 5, resultat.stderr)
        self.assertIn("did not answer in time", resultat.stderr + self.programme.journal())
        self.assertEqual(self.tentatives(), [])

    def test_token_command_good_wrong_and_failing(self):
        jetons = os.path.join(tempfile.mkdtemp(dir=RACINE), "jetons.txt")
        with open(jetons, "w") as f:
            f.write("jeton-de-commande-K4\n")
        self.demarre(mecanismes="XOAUTH2", jetons=jetons)
        # The first line is the token.
        self.configure(secret="", commande_jeton="printf 'jeton-de-commande-K4\\nsuite\\n'")
        bon = self.envoie("a")
        self.assertEqual(self.tentatives(),
                         [{"mecanisme": "XOAUTH2", "utilisateur": BOITE,
                           "jeton": "jeton-de-commande-K4"}])
        self.configure(secret="", commande_jeton="echo jeton-refuse-P2")
        refuse = self.envoie("b", code=5)
        self.assertIn("535", refuse.stdout + refuse.stderr + self.programme.journal())
        self.configure(secret="", commande_jeton="echo coffre verrouillé >&2; exit 3")
        echoue = self.envoie("c", code=5)
        self.assertIn("coffre verrouillé", echoue.stdout + echoue.stderr)
        self.assertEqual(len(self.tentatives()), 2)  # the failed command connects nowhere
        self.assertEqual(len(self.serveur.messages()), 1)
        self.sans_secrets([bon, refuse, echoue], "jeton-de-commande-K4", "jeton-refuse-P2")

    def test_smtp_add_list_and_test_with_the_client_credentials(self):
        self.demarre()
        gere = lambda *a, code=0, entree=None: self.gere(code, entree, *a)
        ajout = ("--smtp", "add", "Bureau", "--server", "127.0.0.1", "--port",
                 str(self.serveur.port), "--auth", "oauth2", "--user", BOITE)
        client = ("--oauth-token-url", self.guichet.url, "--oauth-client-id", CLIENT)
        # What the dialog refuses too, and endpoints that cannot be one.
        for fautifs, attendu in ((("--password-stdin",), "--oauth-token-url"),
                                 (("--oauth-tenant", "x", "--password-stdin"), "--oauth-client-id"),
                                 (client, "--password"),
                                 (("--oauth-token-url", "http://x/t"), "https://"),
                                 (("--oauth-tenant", "https://x"), "--oauth-tenant"),
                                 (("--oauth-token-command", "c", "--oauth-scope", "s"),
                                  "--oauth-token-command")):
            refus = gere(*ajout, *fautifs, code=1, entree=SECRET + "\n")
            self.assertIn(attendu, refus.stderr, fautifs)
        gere(*ajout, *client, "--oauth-scope", "smtp.envoi", "--password-stdin",
             entree=SECRET + "\n")
        liste = gere("--smtp", "list")
        self.assertIn("oauth2", liste.stdout.lower())
        essai = gere("--smtp", "test", "Bureau", "--from", BOITE, "--to", "bob@exemple.test")
        self.assertEqual(len(self.serveur.messages()), 1)
        [requete] = self.guichet.requetes()
        self.assertEqual(requete["scope"], "smtp.envoi")
        fichier = self.programme.journal("Corvelle.ini")
        self.assertNotIn(SECRET, fichier)
        self.sans_secrets([liste, essai], SECRET, "jeton-1")

    def gere(self, code, entree, *arguments):
        resultat = self.programme.lance(*arguments, ca=CERTS.ca, entree=entree)
        self.assertEqual(resultat.returncode, code, resultat.stdout + resultat.stderr)
        return resultat


if __name__ == "__main__":
    unittest.main()
