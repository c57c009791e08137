"""Setting up without a window (--smtp, --get, --set, --config) and sending
through what was set, against a server that requires AUTH; the README's
server section run as written."""

import os
import re
import shlex
import shutil
import stat
import subprocess
import unittest

from outils import (ICI, RS, US, Programme, SansSecret, Serveur, chiffre, config_smtp,
                    dossier_de_module)

RACINE = CERTS = None
MOT_DE_PASSE = "s3cret é"  # the only one the test server takes, for user jean


setUpModule, tearDownModule = dossier_de_module(globals(), "corvelle-gestion-")


def lit(chemin, mode="r"):
    with open(chemin, mode, **({} if "b" in mode else {"encoding": "utf-8"})) as f:
        return f.read()


class Base(SansSecret, unittest.TestCase):
    MOT_DE_PASSE = MOT_DE_PASSE

    def setUp(self):
        self.programme = Programme(RACINE)

    def lance(self, *arguments, code=0, entree=None, env=None):
        resultat = self.programme.lance(*arguments, ca=CERTS.ca, env=env, entree=entree)
        self.assertEqual(resultat.returncode, code, resultat.stdout + resultat.stderr)
        return resultat


class Smtp(Base):
    def test_stdin_and_command_passwords_authenticate_and_are_never_shown(self):
        serveur = Serveur(RACINE, "plain", auth=True)
        self.addCleanup(serveur.arrete)
        envoi = ("/a:bob@exemple.test", "/o:Rapport", "/ct:Corps", "/l")
        # A first start holds only the placeholder: the send says how to add a server.
        echec = self.lance(*envoi[:-1], code=5)
        self.assertIn("--smtp add", echec.stderr)
        self.assertNotIn("resolve", echec.stderr)

        refus = self.lance("--smtp", "add", "Bureau", "--server", "127.0.0.1", "--port", "99999",
                           code=1)
        self.assertIn("PORT", refus.stderr)
        self.lance("--smtp", "add", "Bureau", "--server", "127.0.0.1", "--port",
                   str(serveur.port), "--auth", "login", "--user", "jean", "--password-stdin",
                   entree=MOT_DE_PASSE + "\n")
        avant = lit(os.path.join(self.programme.dossier, "Corvelle.ini"), "rb")
        self.assertIn("--smtp set", self.lance("--smtp", "add", "BUREAU", "--server", "x",
                                               code=1).stderr)
        self.assertIn("Bureau", self.lance("--smtp", "remove", "Autre", code=1).stderr)
        # A NUL would cut the password short where it is sent.
        self.assertIn("--password-stdin", self.lance("--smtp", "set", "Bureau", "--password-stdin",
                                                     code=1, entree="s3cret\0x\n").stderr)
        self.assertEqual(lit(os.path.join(self.programme.dossier, "Corvelle.ini"), "rb"),
                         avant)
        liste = self.lance("--smtp", "list").stdout
        self.assertEqual(liste.split("\n")[0].split("\t"),
                         ["1", "Bureau", "127.0.0.1", str(serveur.port), "Non", "Login", "jean"])
        self.sans_secret(liste, "list")
        self.lance(*envoi)

        # The command's output is the password; it must reach no command line.
        # This one also records every process's arguments while it runs.
        trace = os.path.join(self.programme.dossier, "arguments.txt")
        commande = (f"cat /proc/[0-9]*/cmdline 2>/dev/null | tr '\\000' ' ' > {trace};"
                    " printenv SMTP_MDP")
        self.lance("--smtp", "set", "bureau", "--password-command", commande)
        self.assertNotIn(chiffre(MOT_DE_PASSE), lit(os.path.join(
            self.programme.dossier, "Corvelle.ini")))
        avec_mdp = {"SMTP_MDP": MOT_DE_PASSE}
        self.lance(*envoi, env=avec_mdp)
        self.assertIn("printenv", lit(trace))
        self.sans_secret(lit(trace), "arguments of the processes")
        self.assertIn("succès", self.lance("--smtp", "test", "Bureau", "--from", "a@exemple.test",
                                           "--to", "b@exemple.test", env=avec_mdp).stdout)
        recus = serveur.messages()
        self.assertEqual([e["utilisateur"] for e, _ in recus], ["jean"] * 3)
        self.assertEqual(recus[2][1]["To"], "b@exemple.test")

        # What an administrator sets is listed, and used by the next send.
        self.lance("--smtp", "set", "Bureau", "--ehlo", "relais.exemple.test", "--envelope-from",
                   "retours@exemple.test")
        self.assertEqual(self.lance("--smtp", "list").stdout.split("\n")[0].split("\t")[7:],
                         ["ehlo=relais.exemple.test", "envelope-from=retours@exemple.test"])
        self.lance(*envoi, env=avec_mdp)
        enveloppe = serveur.messages()[-1][0]
        self.assertEqual((enveloppe["ehlo"], enveloppe["mail_from"]),
                         ("relais.exemple.test", "retours@exemple.test"))
        self.lance("--smtp", "set", "Bureau", "--ehlo", "", "--envelope-from", "")

        # A command that fails is a failed send that shows its standard error.
        self.lance("--smtp", "set", "Bureau", "--password-command", "echo coffre verrouillé >&2; exit 3")
        echec = self.lance(*envoi[:-1], code=5)
        self.assertIn("coffre verrouillé", echec.stderr)
        self.assertIn("3", echec.stderr)
        self.lance("--smtp", "set", "Bureau", "--password-command", "echo faux")
        self.assertIn("535", self.lance("--smtp", "test", "Bureau", "--to", "b@exemple.test",
                                        code=5).stderr)
        self.assertEqual(len(serveur.messages()), 4)
        self.sans_secret(self.programme.journal(), "log")

    def test_in_english_and_a_configuration_that_does_not_read_is_fixed_as_told(self):
        shutil.copy(os.path.join(ICI, "..", "..", "translations", "English.lng"),
                    self.programme.dossier)
        anglais = {"LANG": "en_US.UTF-8"}
        serveur = Serveur(RACINE, "plain")
        self.addCleanup(serveur.arrete)
        ini = os.path.join(self.programme.dossier, "Corvelle.ini")
        # As a hand edit leaves them: a port that is no number, a record cut short.
        court = US.join(["Court", "x"])
        self.programme.configure([config_smtp("Relais", "127.0.0.1", serveur.port),
                                  US.join(["Bureau", "127.0.0.1", "0", "abc", "0"]), court])
        envoi = ("/a:bob@exemple.test", "/o:x", "/ct:y", "/conf:Bureau")
        message = (f'The SMTP configuration "Bureau" (number 2 in {ini}) cannot be read: "abc" '
                   "is not a valid value for --port. Fix it with:\n"
                   "  corvelle --smtp set Bureau --port NUMBER\n")
        self.assertEqual(self.lance(*envoi, code=6, env=anglais).stderr,
                         "Corvelle - Error: " + message + "\n")
        # Only the fix it names gets through; the file stays as it was until then.
        avant = lit(ini, "rb")
        self.assertEqual(self.lance("--smtp", "set", "Bureau", "--server", "y", code=6,
                                    env=anglais).stderr, "Corvelle: " + message)
        self.lance("--smtp", "list", code=6, env=anglais)
        self.assertEqual(lit(ini, "rb"), avant)
        self.lance("--smtp", "set", "Bureau", "--port", str(serveur.port), env=anglais)
        self.assertIn(RS + court + "\n", lit(ini))  # left as it was stored
        self.lance("--smtp", "remove", "Court", env=anglais)
        self.lance(*envoi, env=anglais)
        self.assertEqual(len(serveur.messages(attente=5)), 1)

        self.assertEqual([ligne.split("\t")[4] for ligne in
                          self.lance("--smtp", "list", env=anglais).stdout.splitlines()],
                         ["No", "No"])
        self.assertEqual(self.lance("--smtp", "remove", "Autre", code=1, env=anglais).stderr,
                         'Corvelle: No SMTP configuration is named "Autre". Configurations: '
                         "Relais, Bureau (corvelle --smtp list).\n")
        dossier = os.path.join(self.programme.dossier, "absent")
        self.assertEqual(self.lance("--config", "absent/x.ini", "--get", code=6,
                                    env=anglais).stderr,
                         f"Corvelle - Error: The folder of the settings file {dossier}/x.ini "
                         "cannot be found: check the path given by --config or "
                         "CORVELLE_CONFIG.\n\n")


class Reglages(Base):
    def test_set_checks_as_the_window_and_config_chooses_the_file(self):
        os.makedirs(os.path.join(self.programme.dossier, "autre"))
        fichier = os.path.join(self.programme.dossier, "autre", "serveur.ini")
        config = ("--config", "autre/serveur.ini")
        self.lance(*config, "--set", "NbDest=50", "tempsmtp=3", code=1)
        self.lance(*config, "--set", "nbdest=50", "TimeoutSMTP=30", "accesaddomaine=ad.test")
        avant = lit(fichier, "rb")
        for affectation, cle in (("NbDest=101", "NbDest"), ("NbDest= 5", "NbDest"),
                                 ("TimeoutSMTP=0", "TimeoutSMTP"),
                                 ("ExpéditeurParDéfaut=robot@local", "ExpéditeurParDéfaut"),
                                 ("Suffixe=  ", "Suffixe"), ("AccèsAD=1", "AccèsADLogin"),
                                 ("Langue=Klingon", "Klingon"), ("UtiliserAD=oui", "UtiliserAD"),
                                 ("AccèsADPassword=secret", "AccèsADPassword"),
                                 ("RéponseParDéfaut=a\nb", "RéponseParDéfaut")):
            self.assertIn(cle, self.lance(*config, "--set", "NbDest=7", affectation,
                                          code=1).stderr, affectation)
        self.assertEqual(lit(fichier, "rb"), avant)
        self.lance(*config, "--set", "AccèsADPassword=-", "AccèsADLogin=jean", "AccèsAD=2",
                   entree="mot de passe AD\n")
        self.assertIn(chiffre("mot de passe AD"), lit(fichier))
        self.lance(*config, "--get", "AccèsADPassword", code=1)
        # The environment names the same file; the defaults come with the values.
        lu = self.lance("--get", "NbDest", "TimeoutSMTP", "AccesAD", "Suffixe",
                        env={"CORVELLE_CONFIG": fichier}).stdout
        self.assertEqual(lu, "50\n30\n2\nexample.com\n")
        self.assertNotIn("mot de passe", self.lance(*config, "--get").stdout)
        self.assertFalse(os.path.exists(os.path.join(self.programme.dossier, "Corvelle.ini")))
        # A folder that does not exist is said at once.
        self.lance("--config", "absent/x.ini", "--get", "NbDest", code=6)
        self.lance("--smtp", "list", "--config", code=1)


    def test_changes_made_at_once_all_survive_and_only_a_regular_file_is_a_profile(self):
        dossier = self.programme.dossier
        self.lance("--set", "NbDest=5")
        env = {"PATH": "/usr/bin:/bin", "HOME": dossier, "LANG": "fr_FR.UTF-8"}
        commandes = [["--smtp", "add", f"Relais {i}", "--server", f"r{i}.test"] for i in range(8)]
        commandes.append(["--set", "Suffixe=ailleurs.test"])
        processus = [subprocess.Popen([self.programme.binaire, *commande], cwd=dossier, env=env,
                                      stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
                     for commande in commandes]
        for p in processus:
            _, erreurs = p.communicate(timeout=120)
            self.assertEqual(p.returncode, 0, erreurs)
        liste = self.lance("--smtp", "list").stdout
        for i in range(8):
            self.assertIn(f"Relais {i}", liste)
        self.assertEqual(self.lance("--get", "Suffixe", "NbDest").stdout, "ailleurs.test\n5\n")

        # A value the file could not give back whole is refused, nothing written.
        fichier = os.path.join(dossier, "Corvelle.ini")
        avant = lit(fichier, "rb")
        refus = self.lance("--set", "DestinatairesParDéfaut=" + "a@exemple.test," * 3000, code=1)
        self.assertIn("45000", refus.stderr)
        self.assertEqual(lit(fichier, "rb"), avant)

        # A pipe, or a link to one, is refused and stays what it is.
        tube = os.path.join(dossier, "tube")
        os.mkfifo(tube)
        os.symlink(tube, os.path.join(dossier, "lien.ini"))
        for chemin in ("tube", "lien.ini"):
            for arguments in (("--set", "Suffixe=x"), ("/a:x", "/o:y", "/ct:z")):
                resultat = self.lance("--config", chemin, *arguments, code=6)
                self.assertIn(chemin, resultat.stderr)
        self.assertTrue(stat.S_ISFIFO(os.stat(tube).st_mode))


class Readme(Base):
    def test_server_section_runs_as_written(self):
        serveur = Serveur(RACINE, "starttls", certificat=CERTS.bon, auth=True)
        self.addCleanup(serveur.arrete)
        readme = lit(os.path.join(ICI, "..", "..", "README.md"))
        section = readme.split("## Sending from a server")[1].split("\n## ")[0]
        blocs = re.findall(r"```(\w+)\n(.*?)```", section, re.S)
        mot_de_passe = self.programme.ecrit("mot-de-passe", MOT_DE_PASSE + "\n")
        rapport = self.programme.ecrit("rapport.txt", "Tout va bien.\n")
        remplace = {"smtp.example.net": "127.0.0.1", "--port 587": f"--port {serveur.port}",
                    "/etc/corvelle/mot-de-passe": mot_de_passe, "/usr/local/bin/sauvegarde": "true",
                    "/usr/bin/corvelle": self.programme.binaire, "/var/lib/rapport/rapport.txt": rapport}

        def adapte(texte):
            for avant, apres in remplace.items():
                texte = texte.replace(avant, apres)
            return texte

        env = {"PATH": f"{self.programme.dossier}:/usr/bin:/bin"}
        unites = []
        for langage, texte in blocs:
            if langage == "sh":
                for ligne in texte.splitlines():
                    if ligne.startswith("sudo systemctl"):
                        continue  # stands for: the units below pass systemd-analyze verify
                    self.shell(adapte(ligne), env)
            elif langage == "crontab":
                ligne = texte.strip().split(None, 5)[5]  # after the five time fields
                self.shell(adapte(ligne), env)
            else:
                nom = texte.splitlines()[0].split("/")[-1]
                chemin = self.programme.ecrit(nom, adapte(texte))
                unites.append(chemin)
                execution = re.search(r"^ExecStart=(.*)$", texte, re.M)
                if execution:
                    subprocess.run(shlex.split(adapte(execution.group(1))), check=True,
                                   cwd=self.programme.dossier, env={**env, "LANG": "C.UTF-8",
                                   "HOME": self.programme.dossier, "CURL_CA_BUNDLE": CERTS.ca},
                                   capture_output=True, timeout=60)
        self.assertEqual(len(unites), 2)
        verification = subprocess.run(["systemd-analyze", "verify", *unites], capture_output=True,
                                      text=True, timeout=60)
        self.assertEqual(verification.returncode, 0, verification.stderr)
        recus = serveur.messages()
        self.assertEqual(len(recus), 3)  # the test, the cron job, the service
        self.assertTrue(all(e["tls"] and e["utilisateur"] == "jean" for e, _ in recus))
        self.assertEqual(recus[0][0]["mail_from"], "sauvegardes@example.net")
        self.assertEqual(recus[2][1]["Subject"], "Rapport du jour")

    def shell(self, ligne, env):
        resultat = subprocess.run(["/bin/sh", "-c", ligne], cwd=self.programme.dossier,
                                  env={"HOME": self.programme.dossier, "LANG": "fr_FR.UTF-8",
                                       "CURL_CA_BUNDLE": CERTS.ca, **env},
                                  capture_output=True, text=True, timeout=60)
        self.assertEqual(resultat.returncode, 0, ligne + "\n" + resultat.stderr)


if __name__ == "__main__":
    unittest.main()
