"""The program as the system's mailer: real clients hand it their messages
as they would hand them to sendmail, and what they wrote arrives unchanged."""

import concurrent.futures
import os
import re
import shutil
import socket
import stat
import subprocess
import tempfile
import time
import unittest

from outils import US, Programme, Serveur, config_smtp, dossier_de_module
from postfix import Postfix, port_libre

_prepare, tearDownModule = dossier_de_module(globals(), "corvelle-sendmail-", certificats=False)


def setUpModule():
    _prepare()
    os.chmod(RACINE, 0o755)  # the postfix user walks down to its data folder

ENVELOPPE = "robot@exemple.test"

# Hands the client's message to the program and keeps a copy of it.
ENVELOPPE_SCRIPT = """#!/bin/sh
printf '%s\\n' "$@" > "{dossier}/arguments"
tee "{dossier}/donne" | "{corvelle}" "$@"
"""


def champs(brut):
    """The header block of a message, cut into fields (continuations kept)."""
    entetes = brut.split(b"\r\n\r\n", 1)[0]
    return re.split(rb"\r\n(?![ \t])", entetes)


def nom(champ):
    return champ.split(b":", 1)[0].lower()


class Mailer(unittest.TestCase):
    def setUp(self):
        self.serveur = Serveur(RACINE, refuse=["refuse@exemple.test"])
        self.addCleanup(self.serveur.arrete)
        self.programme = Programme(RACINE)
        self.programme.configure([config_smtp("S", "127.0.0.1", self.serveur.port)])
        self.lien = os.path.join(self.programme.dossier, "sendmail")
        os.symlink(self.programme.binaire, self.lien)

    def sendmail(self, *arguments, entree=b"", env=None):
        environnement = {"PATH": "/usr/bin:/bin", "HOME": self.programme.dossier,
                         "LANG": "fr_FR.UTF-8", **(env or {})}
        return subprocess.run([self.lien, *arguments], input=entree, capture_output=True,
                              env=environnement, timeout=60)

    def enveloppe_script(self):
        """A mailer for a client: this program, with a copy of what it is given."""
        chemin = os.path.join(self.programme.dossier, "mailer.sh")
        with open(chemin, "w") as f:
            f.write(ENVELOPPE_SCRIPT.format(dossier=self.programme.dossier, corvelle=self.lien))
        os.chmod(chemin, 0o755)
        return chemin

    def donne(self):
        with open(os.path.join(self.programme.dossier, "donne"), "rb") as f:
            return f.read().replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")

    def assertRelaye(self, recu, donne, ajouts=(b"date", b"message-id", b"from")):
        """The message arrived as given: same body, same fields in the same
        order, bar Bcc and the fields the relay adds when absent."""
        self.assertEqual(recu.split(b"\r\n\r\n", 1)[1], donne.split(b"\r\n\r\n", 1)[1])
        noms_donnes = {nom(c) for c in champs(donne)}
        ajoutes = [c for c in champs(recu) if nom(c) in ajouts and nom(c) not in noms_donnes]
        self.assertEqual([c for c in champs(recu) if c not in ajoutes],
                         [c for c in champs(donne) if nom(c) != b"bcc"])

    def test_real_clients_messages_arrive_as_they_wrote_them(self):
        mailer = self.enveloppe_script()
        env = {"PATH": "/usr/bin:/bin", "HOME": self.programme.dossier, "LANG": "en_US.UTF-8"}
        with self.subTest(client="git send-email"):
            depot = os.path.join(self.programme.dossier, "depot")
            git = ["git", "-C", depot, "-c", "user.name=Dév Eloppeur",
                   "-c", "user.email=dev@exemple.test"]
            subprocess.run(["git", "init", "-q", depot], check=True, env=env)
            for n in (1, 2):
                with open(os.path.join(depot, "f.txt"), "a") as f:
                    f.write(f"ligne {n} é\n.\n")
                subprocess.run([*git, "add", "f.txt"], check=True, env=env)
                subprocess.run([*git, "commit", "-qm", f"change {n}"], check=True, env=env)
            subprocess.run([*git, "format-patch", "-q", "-2", "-o", "series"],
                           check=True, env=env)
            series = sorted(os.path.join(depot, "series", p)
                            for p in os.listdir(os.path.join(depot, "series")))
            resultat = subprocess.run(
                [*git, "send-email", "--sendmail-cmd", mailer, "--to", "liste@exemple.test",
                 "--confirm", "never", "--suppress-cc", "all", "--quiet", *series],
                capture_output=True, text=True, env=env, timeout=120)
            self.assertEqual(resultat.returncode, 0, resultat.stderr)
            recus = self.serveur.messages(attente=5)
            self.assertEqual(len(recus), 2)
            premier = recus[0][1]["Message-ID"]
            self.assertEqual(recus[1][1]["In-Reply-To"], premier)
            self.assertIn(premier, recus[1][1]["References"])
            self.assertEqual(recus[0][0]["rcpt_tos"], ["liste@exemple.test"])
            self.assertRelaye(recus[-1][0]["brut"], self.donne())

        with self.subTest(client="php mail()"):
            html = "<html><body><p>Bonjour <b>été</b></p>\n.\n</body></html>"
            code = ("mail('web@exemple.test', 'Commande 42', " + repr(html) + ", "
                    "\"MIME-Version: 1.0\\r\\nContent-Type: text/html; charset=UTF-8\\r\\n"
                    "From: Boutique <boutique@exemple.test>\") or exit(1);")
            resultat = subprocess.run(["php", "-n", "-d", f"sendmail_path={mailer} -t -i",
                                       "-r", code], capture_output=True, text=True, env=env)
            self.assertEqual(resultat.returncode, 0, resultat.stdout + resultat.stderr)
            enveloppe, message = self.serveur.messages(attente=5)[-1]
            self.assertEqual(enveloppe["rcpt_tos"], ["web@exemple.test"])
            self.assertEqual(message.get_content_type(), "text/html")
            self.assertIn("<b>été</b>", message.get_content())
            self.assertRelaye(enveloppe["brut"], self.donne())

        with self.subTest(client="s-nail"):
            piece = self.programme.ecrit("rapport.pdf", bytes(range(256)) * 40)
            resultat = subprocess.run(
                ["s-nail", "-n", "-Sv15-compat", f"-Smta={mailer}", "-Sttycharset=utf-8",
                 "-s", "Rapport", "-a", piece, "ops@exemple.test"],
                input="Ci-joint le rapport.\n", capture_output=True, text=True, env=env,
                timeout=60)
            self.assertEqual(resultat.returncode, 0, resultat.stderr)
            enveloppe, message = self.serveur.messages(attente=5)[-1]
            self.assertEqual(enveloppe["rcpt_tos"], ["ops@exemple.test"])
            jointe = next(message.iter_attachments())
            self.assertEqual(jointe.get_content(), bytes(range(256)) * 40)
            self.assertRelaye(enveloppe["brut"], self.donne())

    def test_options_read_as_sendmail_callers_mean_them(self):
        # A bare user name takes the domain suffix, as the command line's do.
        cron = (b"From: root (Cron Daemon)\nTo: root\nBcc: cache@exemple.test\n"
                b"Subject: Cron <root@vm> run-parts\n\nligne\n.\napres\n")
        # -t: recipients from the headers, Bcc gone from what is sent; no -i:
        # the lone dot ends the message; -f: the envelope sender.
        resultat = self.sendmail("-t", "-f", "bounces@exemple.test", "autre@exemple.test",
                                 entree=cron)
        self.assertEqual((resultat.returncode, resultat.stdout, resultat.stderr), (0, b"", b""))
        enveloppe, message = self.serveur.messages(attente=5)[-1]
        self.assertEqual(enveloppe["mail_from"], "bounces@exemple.test")
        self.assertEqual(sorted(enveloppe["rcpt_tos"]),
                         ["autre@exemple.test", "cache@exemple.test", "root@exemple.test"])
        self.assertNotIn(b"cache@", enveloppe["brut"])
        self.assertTrue(enveloppe["brut"].endswith(b"\r\n\r\nligne\r\n"), enveloppe["brut"])
        self.assertIn(b"\r\nFrom: root (Cron Daemon)\r\n", b"\r\n" + enveloppe["brut"])

        # -i: the dot is content; no From: the default sender, -F names it.
        self.sendmail("-i", "-F", "Sauvegarde", "a@exemple.test",
                      entree=b"Subject: s\n\n.\nfin\n")
        enveloppe, message = self.serveur.messages(attente=5)[-1]
        self.assertEqual(enveloppe["mail_from"], ENVELOPPE)
        self.assertEqual(message["From"], "Sauvegarde <robot@exemple.test>")
        self.assertTrue(enveloppe["brut"].endswith(b"\r\n\r\n.\r\nfin\r\n"))

    def test_exit_codes_tell_callers_what_went_wrong(self):
        cas = [
            ("unknown option", ["-Q", "a@exemple.test"], b"Subject: x\n\ny\n", 64, "-Q"),
            ("empty message", ["a@exemple.test"], b"", 65, "vide"),
            ("no recipient", ["-t"], b"Subject: x\n\ny\n", 67, "Aucun destinataire"),
        ]
        for quoi, arguments, entree, code, texte in cas:
            with self.subTest(quoi):
                resultat = self.sendmail(*arguments, entree=entree)
                self.assertEqual(resultat.returncode, code, resultat.stderr)
                self.assertIn(texte, resultat.stderr.decode())
                self.assertEqual(resultat.stdout, b"")
        with self.subTest("queue"):
            resultat = self.sendmail("-bp")
            self.assertEqual((resultat.returncode, resultat.stdout),
                             (0, "La file d'attente est vide.\n".encode()))

    def test_machine_settings_serve_a_user_without_their_own(self):
        reglages = os.path.join(self.programme.dossier, "Corvelle.ini")
        machine = os.environ["CORVELLE_REGLAGES_MACHINE"]
        os.makedirs(os.path.dirname(machine), exist_ok=True)
        shutil.move(reglages, machine)
        self.addCleanup(os.remove, machine)
        avant = os.stat(machine)
        resultat = self.sendmail("a@exemple.test", entree=b"Subject: x\n\ny\n")
        self.assertEqual(resultat.returncode, 0, resultat.stderr)
        self.assertEqual(len(self.serveur.messages(attente=5)), 1)
        self.assertEqual(os.stat(machine).st_mtime_ns, avant.st_mtime_ns)
        self.assertFalse(os.path.exists(reglages))


    @unittest.skipUnless(os.geteuid() == 0, "other users' mail takes root")
    def test_the_machine_spool_keeps_each_users_mail_and_sends_only_whole_files(self):
        machine = os.environ["CORVELLE_REGLAGES_MACHINE"]
        spool = os.environ["CORVELLE_FILE_MACHINE"]
        os.makedirs(os.path.dirname(machine), exist_ok=True)
        os.replace(os.path.join(self.programme.dossier, "Corvelle.ini"), machine)
        self.addCleanup(os.remove, machine)
        # The spool as the package makes it: every user may drop, none may look.
        shutil.rmtree(spool, ignore_errors=True)
        os.makedirs(spool)
        os.chmod(spool, 0o1733)
        self.addCleanup(shutil.rmtree, spool, ignore_errors=True)
        os.chmod(self.programme.dossier, 0o755)
        with open(machine, encoding="utf-8") as f:
            reglages = f.read()
        with open(machine, "w", encoding="utf-8") as f:
            f.write(reglages.replace(f"{US}{self.serveur.port}{US}", f"{US}{port_libre()}{US}"))

        def corvelle(*arguments, utilisateur, entree=b""):
            return subprocess.run([self.programme.binaire, *arguments], input=entree,
                                  capture_output=True, env={"PATH": "/usr/bin:/bin",
                                                            "LANG": "C.UTF-8"},
                                  user=utilisateur, timeout=60)

        # The relay is down: the user's message waits in the spool, theirs alone.
        resultat = corvelle("--sendmail", "a@exemple.test", utilisateur="nobody",
                            entree=b"Subject: de nobody\n\ncorps\n")
        self.assertEqual((resultat.returncode, resultat.stderr), (0, b""))
        [nom] = os.listdir(spool)
        entree = os.path.join(spool, nom)
        etat = os.lstat(entree)
        self.assertEqual((etat.st_uid, stat.S_IMODE(etat.st_mode)), (65534, 0o600))
        with self.subTest("another user"):
            self.assertNotEqual(subprocess.run(["cat", entree], user="daemon",
                                               capture_output=True).returncode, 0)
            liste = corvelle("--outbox", "list", utilisateur="daemon")
            self.assertNotEqual(liste.returncode, 0)
            self.assertIn(spool, liste.stderr.decode())
            retrait = corvelle("--outbox", "remove", nom[:-4], utilisateur="daemon")
            self.assertNotEqual(retrait.returncode, 0)
            self.assertTrue(os.path.exists(entree))

        # Put there by hand: a link to a whole entry, a named pipe, a file cut short.
        with open(entree, "rb") as f:
            octets = f.read()
        cible = os.path.join(self.programme.dossier, "entree.msg")
        with open(cible, "wb") as f:
            f.write(octets)
        os.symlink(cible, os.path.join(spool, "000000000001-a.msg"))
        os.mkfifo(os.path.join(spool, "000000000002-b.msg"))
        with open(os.path.join(spool, "ffffffffffff-c.msg"), "wb") as f:
            f.write(octets[:-3])

        with open(machine, "w", encoding="utf-8") as f:
            f.write(reglages)
        resultat = corvelle("--outbox", "flush", utilisateur="root")
        self.assertEqual(resultat.returncode, 0, resultat.stderr)
        self.assertEqual([m["Subject"] for _, m in self.serveur.messages(attente=5)],
                         ["de nobody"])
        for mis_de_cote in ("000000000001-a", "000000000002-b", "ffffffffffff-c"):
            self.assertIn(mis_de_cote, resultat.stderr.decode())
        abimes = os.path.join(spool, "damaged")
        self.assertEqual(sorted(os.listdir(abimes)),
                         ["000000000001-a.msg", "000000000002-b.msg", "ffffffffffff-c.msg"])
        self.assertTrue(os.path.islink(os.path.join(abimes, "000000000001-a.msg")))
        self.assertTrue(stat.S_ISFIFO(os.lstat(os.path.join(abimes,
                                                            "000000000002-b.msg")).st_mode))
        self.assertEqual(sorted(os.listdir(spool)), ["damaged"])

        # Refused for good while the user tries it: the user's process cannot
        # set it aside, so root's runner does, and tells the sender once;
        # who took it at once never gets it twice.
        resultat = corvelle("--sendmail", "-f", "auteur@exemple.test", "refuse@exemple.test",
                            "pris@exemple.test", utilisateur="nobody",
                            entree=b"Subject: refus\n\ncorps\n")
        self.assertEqual(resultat.returncode, 0, resultat.stderr)
        self.assertIn("550", resultat.stderr.decode())
        self.assertEqual(corvelle("--outbox", "flush", utilisateur="root").returncode, 0)
        avis = [e for e, _ in self.serveur.messages(attente=5)
                if e["rcpt_tos"] == ["auteur@exemple.test"]]
        self.assertEqual(len(avis), 1)
        self.assertEqual(sum("pris@exemple.test" in e["rcpt_tos"]
                             for e, _ in self.serveur.messages()), 1)
        self.assertEqual(len(os.listdir(os.path.join(spool, "failed"))), 1)
        with open(cible, "rb") as f:
            self.assertEqual(f.read(), octets)


class HuitBits(unittest.TestCase):
    def test_8bit_body_goes_with_8bitmime_and_is_refused_without(self):
        for offert in (True, False):
            with self.subTest(offert=offert):
                reglages = {} if offert else {"smtpd_discard_ehlo_keywords": "8bitmime"}
                postfix = Postfix(RACINE, **reglages)
                self.addCleanup(postfix.arrete)
                programme = Programme(RACINE)
                programme.configure([config_smtp("P", "127.0.0.1", postfix.port)])
                resultat = subprocess.run(
                    [programme.binaire, "--sendmail", "a@exemple.test"],
                    input="Subject: été\n\nUn corps en été.\n".encode(), capture_output=True,
                    env={"PATH": "/usr/bin:/bin", "HOME": programme.dossier, "LANG": "C.UTF-8"},
                    timeout=60)
                # Refused or not, the message is kept: exit 0.
                self.assertEqual(resultat.returncode, 0, resultat.stderr)
                if offert:
                    self.assertEqual(postfix.livres(1), ["a@exemple.test"])
                else:
                    self.assertIn("8BITMIME", resultat.stderr.decode())


class FileAttente(unittest.TestCase):
    """What the relay does not take at once waits in the outbox."""

    def setUp(self):
        self.programme = Programme(RACINE)
        self.env = {"PATH": "/usr/bin:/bin", "HOME": self.programme.dossier, "LANG": "C.UTF-8"}

    def corvelle(self, *arguments, entree=b""):
        return subprocess.run([self.programme.binaire, *arguments], input=entree,
                              capture_output=True, env=self.env, timeout=60)

    def liste(self):
        resultat = self.corvelle("--outbox", "list")
        self.assertEqual(resultat.returncode, 0, resultat.stderr)
        return resultat.stdout.decode()

    def test_a_message_waits_while_the_relay_is_down_and_goes_once_back(self):
        self.programme.configure([config_smtp("S", "127.0.0.1", port_libre())])
        resultat = self.corvelle("--sendmail", "a@exemple.test", entree=b"Subject: x\n\ny\n")
        self.assertEqual((resultat.returncode, resultat.stderr), (0, b""))
        liste = self.liste()
        self.assertRegex(liste, r"\n[0-9a-f-]+  0:00  1  a@exemple\.test\n    \S")
        self.assertEqual(self.corvelle("--sendmail", "-bp").stdout.decode(), liste)

        serveur = Serveur(RACINE, refuse=["refuse@exemple.test"])
        self.addCleanup(serveur.arrete)
        self.programme.configure([config_smtp("S", "127.0.0.1", serveur.port)])
        # Not due yet: its next attempt is a minute after the first.
        self.assertEqual(self.corvelle("--outbox", "run").returncode, 0)
        self.assertEqual(serveur.messages(attente=1), [])
        # A named pipe put there is neither waited on nor sent: moved aside.
        boite = os.path.join(self.programme.dossier, "outbox")  # beside a portable copy
        os.mkfifo(os.path.join(boite, "000000000000-f.msg"))
        for _ in range(2):
            resultat = self.corvelle("--outbox", "flush")
            self.assertEqual(resultat.returncode, 0, resultat.stderr)
        self.assertEqual(len(serveur.messages(attente=2)), 1)
        self.assertEqual(self.liste(), "La file d'attente est vide.\n")
        self.assertTrue(stat.S_ISFIFO(os.lstat(os.path.join(boite, "damaged",
                                                            "000000000000-f.msg")).st_mode))

        # Refused for good: kept in failed/ until retried or removed.
        resultat = self.corvelle("--sendmail", "refuse@exemple.test", entree=b"Subject: x\n\ny\n")
        self.assertEqual(resultat.returncode, 0)
        self.assertIn("550", resultat.stderr.decode())
        liste = self.liste()
        self.assertIn("failed/", liste)
        identifiant = re.search(r"\n([0-9a-f-]+)  ", liste).group(1)
        self.assertEqual(self.corvelle("--outbox", "retry", identifiant).returncode, 0)
        self.assertTrue(self.liste().startswith("Identifiant"), self.liste())
        self.assertEqual(self.corvelle("--outbox", "remove", identifiant).returncode, 0)
        self.assertEqual(self.corvelle("--outbox", "remove", identifiant).returncode, 1)
        self.assertEqual(self.liste(), "La file d'attente est vide.\n")

    def test_a_silent_relay_costs_a_run_one_connection_not_one_per_message(self):
        self.programme.configure([config_smtp("S", "127.0.0.1", port_libre())])
        destinataires = [f"n{n}@exemple.test" for n in range(4)]
        for destinataire in destinataires:
            resultat = self.corvelle("--sendmail", destinataire, entree=b"Subject: x\n\ny\n")
            self.assertEqual(resultat.returncode, 0, resultat.stderr)
        # Takes connections (the kernel completes them) and never says a word;
        # each one waits in its backlog, to be counted.
        muet = socket.create_server(("127.0.0.1", 0), backlog=16)
        self.addCleanup(muet.close)
        port = muet.getsockname()[1]
        self.programme.configure([config_smtp("S", "127.0.0.1", port)], TimeoutSMTP="1")

        def connexions():
            muet.setblocking(False)
            nombre = 0
            while True:
                try:
                    connexion, _ = muet.accept()
                except BlockingIOError:
                    return nombre
                connexion.close()
                nombre += 1

        resultat = self.corvelle("--outbox", "flush")
        self.assertEqual(resultat.returncode, 0, resultat.stderr)
        self.assertEqual(connexions(), 1)
        # Each entry counts the attempt, with the reply that stopped the first.
        tentatives = re.findall(r"  \d+:\d\d  (\d+)  (\S+)\n    (.*)\n", self.liste())
        self.assertEqual(sorted(d for _, d, _ in tentatives), destinataires)
        for nombre, _, reponse in tentatives:
            self.assertEqual(nombre, "2")
            self.assertIn(f"127.0.0.1:{port} within 1 s", reponse)
        # Still waiting, with their back-off: a run now tries none of them.
        self.assertEqual(self.corvelle("--outbox", "run").returncode, 0)
        self.assertEqual(connexions(), 0)
        self.assertEqual(len(re.findall(r"  2  n\d@", self.liste())), len(destinataires))
        # Their time over while it stays silent: given up in the run's one
        # connection, with no session of its own for each failure notice.
        self.programme.configure([config_smtp("S", "127.0.0.1", port)], TimeoutSMTP="1",
                                 DureeAttente="0")
        self.assertEqual(self.corvelle("--outbox", "flush").returncode, 0)
        self.assertEqual(connexions(), 1)
        self.assertEqual(self.liste().count("Avis de non-remise à l'expéditeur non envoyé"),
                         len(destinataires))

    def test_a_refused_or_expired_message_goes_back_to_its_sender_as_a_notice(self):
        serveur = Serveur(RACINE, refuse=["refuse@exemple.test"], differe=["tard@exemple.test"])
        self.addCleanup(serveur.arrete)
        self.programme.configure([config_smtp("S", "127.0.0.1", serveur.port)])

        def envoie(expediteur, sujet, *destinataires):
            resultat = self.corvelle("--sendmail", "-f", expediteur, *destinataires,
                                     entree=f"Subject: {sujet}\n\ncorps\n".encode())
            self.assertEqual(resultat.returncode, 0, resultat.stderr)

        def avis(destinataire):
            recus = [m for e, m in serveur.messages() if e["rcpt_tos"] == [destinataire]]
            for enveloppe, _ in serveur.messages():
                self.assertEqual(enveloppe["mail_from"] == "<>",
                                 enveloppe["rcpt_tos"][0].startswith("auteur"))
            return recus

        def verifie(message, statut, sujet):
            self.assertEqual(message.get_content_type(), "multipart/report")
            self.assertEqual(message.get_param("report-type"), "delivery-status")
            lisible, compte, entetes = message.get_payload()
            self.assertEqual(lisible.get_content_type(), "text/plain")
            self.assertEqual(compte.get_content_type(), "message/delivery-status")
            _, destinataire = compte.get_payload()
            self.assertEqual((destinataire["Action"], destinataire["Status"]), ("failed", statut))
            self.assertIn(statut, destinataire["Diagnostic-Code"])
            self.assertEqual(entetes.get_content_type(), "text/rfc822-headers")
            self.assertIn(f"Subject: {sujet}\r\n".encode(), entetes.get_payload(decode=True))

        # 451: kept for the recipient who did not take it, the reply shown.
        envoie("auteur1@exemple.test", "Plus tard", "tard@exemple.test", "pris@exemple.test")
        self.assertIn("451 4.7.1 <tard@exemple.test>: Greylisted", self.liste())
        # 550: the sender gets a notice, which names the refused recipient
        # alone; the message waits in failed/.
        envoie("auteur2@exemple.test", "Rapport mensuel", "refuse@exemple.test",
               "autre@exemple.test")
        recu, = avis("auteur2@exemple.test")
        verifie(recu, "5.1.1", "Rapport mensuel")
        self.assertEqual(recu["Subject"], "Message non remis")
        # Neither a notice from the null sender nor one the relay refuses: the
        # listing says it did not go.
        envoie("<>", "Avis", "refuse@exemple.test")
        envoie("refuse@exemple.test", "Boucle", "refuse@exemple.test")
        self.assertEqual(len(serveur.messages()), 3)
        self.assertIn("Avis de non-remise à l'expéditeur non envoyé : No recipient accepted",
                      self.liste())
        # 451 and 550 at once: the sender hears of the refused recipient now,
        # the deferred one alone waits.
        envoie("auteur3@exemple.test", "Mixte", "tard@exemple.test", "refuse@exemple.test")
        recu, = avis("auteur3@exemple.test")
        verifie(recu, "5.1.1", "Mixte")
        self.assertEqual(self.liste().count("  tard@exemple.test\n"), 2)
        # Its time over, the message kept is given up as refused.
        self.programme.configure([config_smtp("S", "127.0.0.1", serveur.port)],
                                 DureeAttente="0")
        self.assertEqual(self.corvelle("--outbox", "flush").returncode, 0)
        recu, = avis("auteur1@exemple.test")
        verifie(recu, "4.7.1", "Plus tard")
        # Who took it at once never gets it twice.
        self.assertEqual(
            sum("pris@exemple.test" in e["rcpt_tos"] for e, _ in serveur.messages()), 1)
        liste = self.liste()
        self.assertTrue(liste.startswith("La file d'attente est vide.\n"), liste)
        self.assertEqual(liste.count("@exemple.test\n"), 5)

    def test_an_outcome_that_cannot_be_written_spares_the_others(self):
        self.programme.configure([config_smtp("S", "127.0.0.1", port_libre())])
        for destinataire in ("refuse@exemple.test", "a@exemple.test", "b@exemple.test"):
            self.assertEqual(self.corvelle("--sendmail", "-f", "<>", destinataire,
                                           entree=b"Subject: x\n\ny\n").returncode, 0)
        # failed/ cannot be made: the refused message cannot be set aside.
        with open(os.path.join(self.programme.dossier, "outbox", "failed"), "w"):
            pass
        serveur = Serveur(RACINE, refuse=["refuse@exemple.test"], pipelining=True)
        self.addCleanup(serveur.arrete)
        self.programme.configure([config_smtp("S", "127.0.0.1", serveur.port)])
        for _ in range(2):
            resultat = self.corvelle("--outbox", "flush")
            self.assertEqual(resultat.returncode, 6)
            self.assertIn("failed", resultat.stderr.decode())
        self.assertEqual(sorted(e["rcpt_tos"][0] for e, _ in serveur.messages(attente=2)),
                         ["a@exemple.test", "b@exemple.test"])
        boite = os.path.join(self.programme.dossier, "outbox")
        self.assertEqual(len([n for n in os.listdir(boite) if n.endswith(".msg")]), 1)

    def test_runners_killed_or_side_by_side_deliver_all_in_a_few_sessions(self):
        self.programme.configure([config_smtp("P", "127.0.0.1", port_libre())])
        destinataires = [f"n{n}@exemple.test" for n in range(200)]

        def depose(destinataire):
            return self.corvelle("--sendmail", destinataire,
                                 entree=b"Subject: x\n\ny\n").returncode

        with concurrent.futures.ThreadPoolExecutor(4) as groupe:
            self.assertEqual(set(groupe.map(depose, destinataires)), {0})
        postfix = Postfix(RACINE)
        self.addCleanup(postfix.arrete)
        self.programme.configure([config_smtp("P", "127.0.0.1", postfix.port)])

        def journal(motif):
            with open(postfix.journal, errors="replace") as f:
                return re.findall(motif, f.read())

        commande = [self.programme.binaire, "--outbox", "flush"]
        tue = subprocess.Popen(commande, env=self.env, stdout=subprocess.DEVNULL)
        while len(journal(r"cleanup\[\d+\]: \w+: message-id=")) < 20 and tue.poll() is None:
            time.sleep(0.01)
        tue.kill()
        tue.wait()
        coureurs = [subprocess.Popen(commande, env=self.env, stdout=subprocess.DEVNULL)
                    for _ in range(2)]
        self.assertEqual([c.wait(timeout=120) for c in coureurs], [0, 0])
        self.assertEqual(self.liste(), "La file d'attente est vide.\n")
        livres = postfix.livres(len(destinataires), attente=60)
        self.assertEqual(sorted(set(livres)), sorted(destinataires))
        # Only those in flight at the kill, a window of 8 at most, may go twice.
        self.assertLessEqual(len(livres), len(destinataires) + 8)
        # One session a runner, not one a message.
        self.assertLessEqual(len(journal(r"smtpd\[\d+\]: connect from")), 4)

if __name__ == "__main__":
    unittest.main()
