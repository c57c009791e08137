"""Faults and bad input, end to end: the real program (the sanitizer build in
the test suite) against servers that misbehave, hostile arguments and files,
kills in the middle of a rewrite, and many runs at once."""

import os
import random
import re
import signal
import socket
import subprocess
import tempfile
import time
import unittest

from outils import (ICI, PYTHON, Programme, SansSecret, Serveur, config_smtp, cree_autorite,
                    cree_certificat, dossier_de_module, empreinte, openssl)

AIDE = os.environ.get("CORVELLE_AIDE", "")
RACINE = CERTS = None
TIMEOUT_SMTP = 2
HORODATAGE = r"\d\d/\d\d/\d{4} \d\d:\d\d:\d\d : "
ECHEC = "L'envoi du/des messages s'est terminé anormalement :"


setUpModule, tearDownModule = dossier_de_module(globals(), "corvelle-fiabilite-")


class ServeurPanne(Serveur):
    """serveur_panne.py: one fault, chosen by name."""

    def __init__(self, racine, panne, tls=False, connexions=0, port=0, ca_client=None):
        self.dossier = tempfile.mkdtemp(dir=racine, prefix=f"{panne}-")
        commande = [PYTHON, os.path.join(ICI, "serveur_panne.py"), "--dossier", self.dossier,
                    "--panne", panne, "--connexions", str(connexions), "--port", str(port)]
        if tls:  # True: the suite's certificate; or (certificate, key)
            certificat, cle = CERTS.bon if tls is True else tls
            commande += ["--cert", certificat, "--cle", cle]
        if ca_client:
            commande += ["--ca-client", ca_client]
        self.lance(commande)


class Base(unittest.TestCase):
    def programme(self, port, ssl=False, configs=None, **cles):
        programme = Programme(RACINE)
        cles.setdefault("TimeoutSMTP", str(TIMEOUT_SMTP))
        programme.configure(configs or [config_smtp("Test", "127.0.0.1", port, ssl=ssl)], **cles)
        return programme

    def lance(self, programme, *arguments, code, limite=60, env=None, ca=None):
        """Runs the program; it must end by itself, cleanly, with `code`. The
        limit is a hang guard (the time-outs at stake plus a wide margin)."""
        resultat = programme.lance(*arguments, ca=ca or CERTS.ca, delai=limite, env=env)
        self.assertNotRegex(resultat.stderr, r"Sanitizer|runtime error:|Segmentation|Aborted")
        self.assertEqual(resultat.returncode, code, resultat.stderr)
        return resultat


def recus(serveur):
    return sorted(a for enveloppe, _ in serveur.messages() for a in enveloppe["rcpt_tos"])


class Serveurs(Base):
    """A server that fails at one point of the dialogue fails the batches it
    hits; the dispatch goes on with the next batch (a new connection when the
    old one is gone), and the run ends with code 5 and one line per failed
    batch, in the log with /l and on standard error without it."""

    def echoue(self, panne, destinataires, envoyes, details, ssl=False, tls=False, connexions=0,
               limite=30, pj=None):
        for journal in (True, False):
            with self.subTest(panne=panne, journal=journal):
                serveur = ServeurPanne(RACINE, panne, tls=tls, connexions=connexions)
                self.addCleanup(serveur.arrete)
                programme = self.programme(serveur.port, ssl=ssl)
                arguments = ["/a:" + destinataires, "/o:Panne", "/ct:y", "/nde:1"]
                if pj:
                    arguments.append("/pj:" + pj)
                # Without a log, the SMTP dialogue too: every reply line on the terminal.
                arguments.append("/l:journal.log" if journal else "/trace")
                resultat = self.lance(programme, *arguments, code=5, limite=limite)
                if journal:
                    # Logged, and still one line on standard error for cron.
                    self.assertRegex(resultat.stderr,
                                     "^Corvelle - Erreur : " + re.escape(ECHEC) + "[^\n]*\n$")
                    texte = programme.journal("journal.log")
                    self.assertRegex(texte, "^" + HORODATAGE + re.escape(ECHEC) + "\n")
                else:
                    texte = resultat.stderr
                    self.assertIn(ECHEC, texte)
                self.assertNotIn("a été envoyé", texte)
                # Nothing a server says may drive the terminal or break a line.
                self.assertNotRegex(texte, "[\x00-\x09\x0b-\x1f\x7f-\x9f]")
                lignes = [ligne for ligne in texte.split("\n") if ligne.startswith(" - ")]
                self.assertEqual(len(lignes), len(details), texte)
                for ligne, detail in zip(lignes, details):
                    self.assertRegex(ligne, detail)
                    # Whom it did not reach, to send to them again.
                    self.assertRegex(ligne, r" \(destinataires : [a-z]+@exemple\.test\)$")
                self.assertEqual(recus(serveur), envoyes)
                if tls:
                    self.assertTrue(all(e["tls"] for e, _ in serveur.messages()))

    def test_each_point_of_failure(self):
        # Larger than the pipe and socket buffers: the writer is still at work
        # when the server goes, and must be stopped, not left blocked.
        gros = os.path.join(tempfile.mkdtemp(dir=RACINE, prefix="gros-"), "gros.bin")
        with open(gros, "wb") as f:
            f.truncate(16 << 20)
        deux = ["avant@exemple.test", "zulu@exemple.test"]
        refus = [r"550 5\.1\.1 <refus@exemple\.test>: Recipient address rejected",
                 r"451 4\.7\.1 <tempo@exemple\.test>: try again later"]
        for panne, destinataires, envoyes, details, options in (
                # Every connection: each batch tries a second one, then fails.
                ("accueil-421", "avant,zulu", [], [r"421 4\.3\.2 Service temporairement indisponible"] * 2,
                 {}),
                ("coupe-rcpt", "avant,panne,zulu", deux, [r"Connection lost waiting for the server's reply"], {}),
                ("coupe-donnees", "panne,zulu", ["zulu@exemple.test"], [r"Connection lost while sending"],
                 {"pj": gros}),
                # The server has every byte, but never said it took the message:
                # the batch is a failure, not a success.
                ("coupe-fin-donnees", "avant,panne,zulu", deux, [r"Connection lost waiting"], {}),
                ("refus", "avant,refus,tempo,zulu", deux, refus, {}),
                # Pipelined: its verdict comes with the next batch's replies.
                ("refus-fin", "avant,panne,zulu", deux, [r"Message refused: 554 5\.7\.1"], {}),
                # Escape sequences and a bare CR, shown rather than obeyed.
                ("echappements", "avant,panne,zulu", deux,
                 [r"550 5\.7\.1 \\x1B\]2;pirate\\x07\\x1B\[2J\\u009B2J refused\\rforged "], {}),
                # The whole reply would take 100 s: the time-out ends the wait.
                ("goutte", "avant,panne,zulu", deux, [r"No answer from the server within 2000 ms"],
                 {"limite": TIMEOUT_SMTP * 3 + 30}),
                # A host that is down: one wait for the connection, not the
                # whole opening's allowance.
                ("sourd", "avant", [], [r"No connection to 127\.0\.0\.1 port \d+ within 2000 ms"], {}),
                # Implicit TLS fails on the garbage, STARTTLS finds no greeting
                # to read: nothing is sent, and never in clear.
                ("charabia", "avant,zulu", [],
                 [r"^ - Implicit TLS: .*wrong version number; then STARTTLS: "] * 2,
                 {"ssl": True, "limite": TIMEOUT_SMTP * 4 + 30}),
                ("coupe-poignee", "avant", [], [r"^ - Implicit TLS: .*SSL_connect.*; then STARTTLS: "],
                 {"ssl": True}),
                ("coupe-rcpt", "avant,panne,zulu", deux, [r"^ - Connection lost waiting for the server's reply"],
                 {"ssl": True, "tls": True})):
            self.echoue(panne, destinataires, envoyes, details, **options)


    def test_a_server_that_closes_or_stalls_mid_run_loses_no_batch(self):
        # 421 on a pipelined run, or as the greeting: the batch it hit goes
        # again on a new connection; with BDAT, so do those in flight after it. PIPELINING offered but the rest of each
        # group dropped: one time-out, then one command at a time.
        noms = [f"d{i}" for i in range(7)]
        for panne, connexions, vues in (("ferme-421", 1, 2), ("ferme-421-bdat", 1, 2),
                                        ("faux-pipelining", 0, 2),
                                        ("accueil-421", 1, 1)):
            with self.subTest(panne=panne):
                serveur = ServeurPanne(RACINE, panne, connexions=connexions)
                self.addCleanup(serveur.arrete)
                programme = self.programme(serveur.port)
                self.lance(programme, "/a:" + ",".join(noms), "/o:x", "/ct:y", "/nde:1", code=0,
                           limite=TIMEOUT_SMTP * 3 + 30)
                self.assertEqual(recus(serveur), [f"{n}@exemple.test" for n in noms])
                connexions_vues = {c["connexion"] for c in serveur.lignes("commandes.log")}
                self.assertEqual(len(connexions_vues), vues)

    @unittest.skipUnless(os.geteuid() == 0, "port 587 is open to root only")
    def test_ssl_on_587_to_a_server_that_speaks_tls_first(self):
        # STARTTLS finds no greeting: implicit TLS, once, after one time-out.
        serveur = ServeurPanne(RACINE, "aucune", tls=True, port=587)
        self.addCleanup(serveur.arrete)
        programme = self.programme(587, ssl=True)
        self.lance(programme, "/a:bob", "/o:x", "/ct:y", code=0, limite=TIMEOUT_SMTP * 2 + 30)
        [(enveloppe, _)] = serveur.messages()
        self.assertTrue(enveloppe["tls"])


class Entrees(Base):
    """Hostile arguments and files: never a header or an SMTP command more,
    and binary files end the run with a message that names them."""

    def setUp(self):
        self.serveur = ServeurPanne(RACINE, "aucune")
        self.addCleanup(self.serveur.arrete)

    def verifie_serveur(self, rcpt_attendus):
        """Every command the server saw is one a client sends, and the
        injected texts reached neither the envelope nor a header of its own."""
        commandes = [c["ligne"] for c in self.serveur.lignes("commandes.log")]
        for commande in commandes:
            self.assertIn(commande[:4].upper(), {"EHLO", "MAIL", "RCPT", "DATA", "QUIT", "RSET"},
                          commande)
            self.assertNotIn("evil", commande.lower())
        self.assertEqual(sum(c[:4].upper() == "RCPT" for c in commandes), rcpt_attendus, commandes)
        entetes_permises = {"from", "to", "cc", "reply-to", "subject", "date", "message-id",
                            "mime-version", "x-mailer", "importance", "x-priority",
                            "auto-submitted", "content-type", "content-transfer-encoding"}
        for enveloppe, message in self.serveur.messages():
            self.assertNotIn("evil", " ".join(enveloppe["rcpt_tos"] + [enveloppe["mail_from"]]))
            self.assertLessEqual({k.lower() for k in message.keys()}, entetes_permises,
                                 enveloppe["brut"][:600])
            for partie in message.walk():
                for cle, valeur in partie.items():
                    self.assertNotRegex(str(valeur), r"[\r\n\x00]", cle)
                    self.assertNotRegex(cle, r"^X-(Inj|Evil)", cle)

    def test_each_argument_is_one_parameter(self):
        # Quotes, slashes and parameter names inside one argument stay in its
        # value: nothing in a subject or a body adds a recipient or a file.
        programme = self.programme(self.serveur.port)
        secret = programme.ecrit("secret.txt", "secret")
        sujet = f'Disk full on "srv1" /cci:evil@x.test /pj:"{secret}" /o:Disk full'
        corps = '{"path": "/api/orders", "status": 500}'
        self.lance(programme, "/a:ops", "/o:" + sujet, "/ct:" + corps,
                   '/de:"Dupont, Jean" <jean@exemple.test>', code=0)
        [(enveloppe, message)] = self.serveur.messages()
        self.assertEqual(enveloppe["rcpt_tos"], ["ops@exemple.test"])
        self.assertEqual(re.sub(r"\s+", " ", message["Subject"]), sujet)
        self.assertEqual(message["From"], '"Dupont, Jean" <jean@exemple.test>')
        self.assertEqual(message.get_content().strip(), corps)
        self.assertEqual(list(message.iter_attachments()), [])
        self.verifie_serveur(rcpt_attendus=1)

    def test_endless_body_file_is_a_command_line_error(self):
        programme = self.programme(self.serveur.port)
        self.lance(programme, "/a:bob", "/o:x", "/ctf:/dev/zero", "/l:journal.log", code=1)
        self.assertRegex(programme.journal("journal.log"),
                         "^" + HORODATAGE + re.escape(
                             "Le fichier contenant le corps du message ('/dev/zero') est trop "
                             "volumineux (plus de 256 Mio)... L'outil va être fermé.") + "\n$")
        self.assertEqual(self.serveur.messages(), [])

    def test_line_breaks_in_every_field(self):
        programme = self.programme(self.serveur.port)
        programme.ecrit("pj/a\r\nX-Inj: pj.txt", "contenu")
        programme.ecrit("pj/b\nX-Inj: pj2.txt", "contenu")
        saut = "\r\nX-Inj: 1\r\nRCPT TO:<evil@x.test>"
        faux = "\r\n01/01/2020 00:00:00 : Le message 'y' a été envoyé"
        cas = [
            (0, ["/a:bob", "/o:Objet" + saut, "/ct:y"]),
            (0, ["/a:bob", "/o:Objet\nX-Inj: 1", "/ct:y"]),
            (0, ["/a:bob", "/o:x" + faux, "/ct:y"]),
            (4, ["/a:bob", "/o:x", "/ct:y", "/pj:absent" + faux]),
            (1, ["/a:bob", "/o:x", "/ctf:absent" + faux]),
            (5, ["/a:bob" + saut, "/o:x", "/ct:y"]),
            (5, ["/a:bob>" + saut, "/o:x", "/ct:y"]),
            (5, ["/a:bob", "/cc:carl>\nRCPT TO:<evil@x.test", "/o:x", "/ct:y"]),
            (5, ["/a:bob", "/cci:dora>\rRCPT TO:<evil@x.test", "/o:x", "/ct:y"]),
            (5, ["/a:bob", "/de:robot@exemple.test" + saut, "/o:x", "/ct:y"]),
            (5, ["/a:bob", "/de:robot@exemple.test>" + saut, "/o:x", "/ct:y"]),
            (5, ["/a:bob", "/rep:r@exemple.test" + saut, "/o:x", "/ct:y"]),
            (0, ["/a:bob", "/en:utf-8" + saut, "/o:x", "/ct:y"]),
            (0, ["/a:bob", "/pj:pj/a\r\nX-Inj: pj.txt,pj/b\nX-Inj: pj2.txt", "/o:x", "/ct:y"]),
            # A body that ends the data early would smuggle commands in.
            (0, ["/a:bob", "/o:x", "/ct:y\r\n.\r\nRCPT TO:<evil@x.test>\r\nDATA\r\n"]),
            (0, ["/a:bob", "/o:x", "/ct:y\n.\nRCPT TO:<evil@x.test>\n"]),
        ]
        for code, arguments in cas:
            with self.subTest(arguments=arguments):
                self.lance(programme, "/l", *arguments, code=code)
        # One run, one record: a value, even in an error, cannot add one.
        self.assertEqual(len(re.findall("(?m)^" + HORODATAGE, programme.journal())), len(cas))
        envoyes = sum(code == 0 for code, _ in cas)
        self.assertEqual(len(self.serveur.messages()), envoyes)
        self.verifie_serveur(rcpt_attendus=envoyes)
        sujets = [m["Subject"] for _, m in self.serveur.messages()][:2]
        self.assertEqual([re.sub(r"\s+", " ", s) for s in sujets],
                         ["Objet X-Inj: 1 RCPT TO:<evil@x.test>", "Objet X-Inj: 1"])
        noms = [p.get_filename() for _, m in self.serveur.messages() for p in m.iter_attachments()]
        self.assertEqual([re.sub(r"\s+", " ", n) for n in noms],
                         ["a X-Inj: pj.txt", "b X-Inj: pj2.txt"])
        for _, message in self.serveur.messages()[-2:]:
            self.assertIn("RCPT TO:<evil@x.test>", message.get_content())

    def test_line_breaks_and_nul_in_a_recipient_file_and_the_profile(self):
        # One NUL makes a file binary, as any garbage would.
        programme = self.programme(self.serveur.port)
        programme.ecrit("dest.txt", "bob\rRCPT TO:<evil@x.test>\ncarl\n")
        self.lance(programme, "/a:fic:dest.txt", "/o:x", "/ct:y", code=5)
        programme.ecrit("nul.txt", b"bob\x00RCPT TO:<evil@x.test>\ncarl\n")
        resultat = self.lance(programme, "/a:bob,fic:nul.txt", "/o:x", "/ct:y", code=3)
        self.assertEqual(resultat.stderr.strip(),
                         "Corvelle - Attention : Une erreur (321) est survenue lors de la "
                         "récupération des membres du fichier 'nul.txt'... L'outil va être fermé.")
        # A NUL in the profile would have become a space in the sender's name.
        # That it is left intact is ProfilTest's.
        ini = os.path.join(programme.dossier, "Corvelle.ini")
        with open(ini, "ab") as f:
            f.write("RéponseParDéfaut=r@exemple.test\x00X-Inj: 1\n".encode())
        resultat = self.lance(programme, "/a:bob", "/o:x", "/ct:y", code=6)
        self.assertIn("Une erreur (321) est survenue lors de l'initialisation de l'application",
                      resultat.stderr)
        self.assertIn(f"Invalid file format (not a text file: {ini})", resultat.stderr)
        self.assertEqual(self.serveur.messages(), [])
        self.verifie_serveur(rcpt_attendus=0)

    def test_translation_of_garbage_or_none_for_the_language(self):
        # An unreadable translation leaves the French texts, and the send goes.
        programme = self.programme(self.serveur.port, Langue="Bruit")
        programme.ecrit("Bruit.lng", random.Random(7).randbytes(64 * 1024))
        resultat = self.lance(programme, "/a:bob", "/o:x", "/ct:y", code=0)
        self.assertIn("Le message 'x' a été envoyé", resultat.stdout)
        # Looked for by the system's language, it matches no language.
        programme.configure([config_smtp("Test", "127.0.0.1", self.serveur.port)])
        resultat = self.lance(programme, "/a:bob", "/o:x", "/ct:y", code=0,
                              env={"LANG": "de_DE.UTF-8"})
        self.assertIn("No translation file corresponding to the language", resultat.stderr)
        self.assertIn("Le message 'x' a été envoyé", resultat.stdout)
        self.assertEqual(len(self.serveur.messages()), 2)

    def echecs(self, resultat, chemin, nombre):
        lignes = [ligne for ligne in resultat.stderr.split("\n") if ligne.startswith(" - ")]
        self.assertEqual(len(lignes), nombre, resultat.stderr)
        for ligne in lignes:
            self.assertIn(f'"{chemin}"', ligne)

    def test_attachment_that_fails_to_read(self):
        # It opens, then every read fails (EIO), as on a failing disk: the
        # batches fail, naming it, and no message goes cut short.
        serveur = Serveur(RACINE)
        self.addCleanup(serveur.arrete)
        programme = self.programme(serveur.port)
        programme.ecrit("a.txt", "a\n")
        resultat = self.lance(programme, "/a:bob,carl", "/o:x", "/ct:y",
                              "/pj:a.txt,/proc/self/mem", "/nde:1", code=5)
        self.echecs(resultat, "/proc/self/mem", 2)
        self.assertEqual(serveur.messages(), [])

    def test_attachment_changed_between_batches(self):
        # The server changes the file as the first batch arrives: the next
        # batches fail, naming it, rather than go without it or with other bytes.
        contenu = bytes(range(256)) * 64
        for action in ("supprime", "tronque", "remplace"):
            with self.subTest(action=action):
                chemin = os.path.join(tempfile.mkdtemp(dir=RACINE, prefix="pj-"), "rapport.pdf")
                with open(chemin, "wb") as f:
                    f.write(contenu)
                serveur = Serveur(RACINE, altere=(action, chemin))
                self.addCleanup(serveur.arrete)
                programme = self.programme(serveur.port)
                resultat = self.lance(programme, "/a:bob,carl,dora", "/o:x", "/ct:y",
                                      f"/pj:{chemin}", "/nde:1", code=5)
                self.echecs(resultat, chemin, 2)
                [(enveloppe, message)] = serveur.messages()
                self.assertEqual(enveloppe["rcpt_tos"], ["bob@exemple.test"])
                [piece] = message.iter_attachments()
                self.assertEqual(piece.get_payload(decode=True), contenu)


class Secrets(SansSecret, Base):
    MOT_DE_PASSE = "Faux-Mdp-9zQ!"

    def test_refused_password_is_in_no_log_stream_or_report(self):
        serveur = Serveur(RACINE, "plain", auth=True)  # refuses all but its own password
        self.addCleanup(serveur.arrete)
        for mode in (2, 3):
            programme = self.programme(0, configs=[config_smtp(
                "A", "127.0.0.1", serveur.port, auth=mode, utilisateur="jean",
                mot_de_passe=self.MOT_DE_PASSE)])
            resultat = self.lance(programme, "/a:bob", "/o:x", "/ct:y", "/l:journal.log", "/r",
                                  code=5)
            journal = programme.journal("journal.log")
            self.assertIn("535", journal)
            self.sans_secret(journal, "log")
            # The report could not go either (the same login): said on stderr.
            self.assertIn("Corvelle : le compte rendu n'a pas pu être envoyé par courrier : ",
                          resultat.stderr)
            self.sans_secret(resultat.stderr, "stderr with /l /r")
            resultat = self.lance(programme, "/a:bob", "/o:x", "/ct:y", "/trace", code=5)
            self.assertIn(ECHEC, resultat.stderr)
            # The dialogue is traced, the login masked.
            self.assertRegex(resultat.stderr, r"\n> AUTH (LOGIN|PLAIN) \*{4}\n(< 334 .*\n> \*{4}\n)*< 535 ")
            self.sans_secret(resultat.stderr, "stderr")
        self.assertEqual(serveur.messages(), [])

    def test_report_mail_of_a_refused_login_holds_no_password(self):
        # The first connection refuses the login, the report's is let in.
        serveur = ServeurPanne(RACINE, "auth-refus", connexions=1)
        self.addCleanup(serveur.arrete)
        programme = self.programme(0, configs=[config_smtp(
            "A", "127.0.0.1", serveur.port, auth=3, utilisateur="jean",
            mot_de_passe=self.MOT_DE_PASSE)])
        resultat = self.lance(programme, "/a:bob", "/o:x", "/ct:y", "/r", code=5)
        self.sans_secret(resultat.stderr, "stderr")
        [(enveloppe, rapport)] = serveur.messages(attente=2)
        self.assertEqual(enveloppe["rcpt_tos"], ["robot@exemple.test"])
        self.assertIn("535 5.7.8", rapport.get_content())
        self.sans_secret(enveloppe["brut"].decode("utf-8", "replace"), "report mail")
        # The password did go to the server: the checks above had it in play.
        self.assertEqual({a["mot_de_passe"] for a in serveur.lignes("auth.log")},
                         {self.MOT_DE_PASSE})

    def test_log_is_created_user_only(self):
        # Even with a umask that would let everybody read it; the profile's
        # mode is ProfilTest's.
        serveur = Serveur(RACINE)
        self.addCleanup(serveur.arrete)
        programme = self.programme(serveur.port)
        resultat = programme.lance("/a:bob", "/o:x", "/ct:y", "/l:journal.log", umask=0)
        self.assertEqual(resultat.returncode, 0, resultat.stderr)
        self.assertEqual(os.stat(os.path.join(programme.dossier, "journal.log")).st_mode & 0o777,
                         0o600)

    def test_certificate_checks_cannot_be_switched_off(self):
        dossier = tempfile.mkdtemp(dir=RACINE, prefix="autosigne-")
        openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                "-subj", "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1,DNS:localhost",
                "-keyout", "autosigne.key", "-out", "autosigne.pem", dossier=dossier)
        autosigne = (os.path.join(dossier, "autosigne.pem"), os.path.join(dossier, "autosigne.key"))
        # Names such a switch could have; none of them may have any effect.
        interrupteurs = {"SSLVerify": "0", "VerifySSL": "0", "VerifierCertificat": "0",
                         "VérifierCertificat": "0", "VérificationCertificat": "0",
                         "SSL_VERIFYPEER": "0", "SSL_VERIFYHOST": "0",
                         "CURLOPT_SSL_VERIFYPEER": "0", "IgnorerCertificat": "-1",
                         "CertificatsNonVérifiés": "-1", "Insecure": "-1", "NoCertCheck": "-1"}
        for mode in ("tls", "starttls"):
            serveur = Serveur(RACINE, mode, certificat=autosigne)
            self.addCleanup(serveur.arrete)
            configs = [config_smtp("Tls", "127.0.0.1", serveur.port, ssl=True)]
            for cles in ({}, interrupteurs):
                programme = self.programme(0, configs=configs, **cles)
                resultat = self.lance(programme, "/a:bob", "/o:x", "/ct:y", code=5)
                self.assertIn(ECHEC, resultat.stderr)
                self.assertEqual(serveur.messages(), [], (mode, cles))
            # The same server, once its certificate is trusted: the refusal
            # above was the certificate's.
            self.lance(programme, "/a:bob", "/o:x", "/ct:y", code=0, ca=autosigne[0])
            self.assertEqual(len(serveur.messages()), 1)


class Confiance(Base):
    """What one configuration trusts instead of the run's authorities: its CA
    file, or one pinned certificate; and the client certificate it shows."""

    def setUp(self):
        # An internal relay's authority, which the run (CURL_CA_BUNDLE, the
        # suite's CA) does not trust.
        dossier = tempfile.mkdtemp(dir=RACINE, prefix="privee-")
        cree_autorite(dossier, "privee")
        self.ca = os.path.join(dossier, "privee.pem")
        self.relais = cree_certificat(dossier, "privee", "relais")
        self.client = cree_certificat(dossier, "privee", "client")
        os.chmod(self.client[1], 0o600)

    def essai(self, serveur, code, **tls):
        programme = self.programme(0, configs=[config_smtp(
            "Relais", "127.0.0.1", serveur.port, ssl=True, auth=3, utilisateur="jean",
            mot_de_passe="s3cret", **tls)])
        return self.lance(programme, "--smtp", "test", "Relais", "--to", "bob@exemple.test",
                          code=code)

    def commandes(self, serveur):
        return [c["ligne"].split()[0] for c in serveur.lignes("commandes.log")]

    def test_ca_file_and_pinned_certificate(self):
        serveur = ServeurPanne(RACINE, "aucune", tls=self.relais)
        self.addCleanup(serveur.arrete)
        juste = empreinte(self.relais[0])
        # Refused without the CA file: the certificate shown, nothing sent.
        refus = self.essai(serveur, 5)
        recue = "SHA256:" + juste[7:].replace(":", "").lower()
        for detail in ("subject CN=127.0.0.1", "issuer CN=privee", "expires 20", recue):
            self.assertIn(detail, refus.stdout + refus.stderr)
        self.assertEqual(self.commandes(serveur), [])
        # The pin alone is trusted, instead of any authority; copied as
        # openssl prints it.
        self.essai(serveur, 0, ca=self.ca)
        self.essai(serveur, 0, empreinte=juste)
        self.assertEqual(self.commandes(serveur).count("AUTH"), 2)
        # Another pin refuses even a certificate the CA file vouches for,
        # during the handshake: no command, no AUTH, no message.
        faux = "SHA256:" + "ab" * 32
        avant = len(self.commandes(serveur))
        refus = self.essai(serveur, 5, ca=self.ca, empreinte=faux)
        self.assertRegex(refus.stdout + refus.stderr,
                         f"expected {faux}, received SHA256:[0-9a-f]{{64}}")
        self.assertEqual(len(self.commandes(serveur)), avant)
        self.assertEqual(len(serveur.messages()), 2)

    def test_client_certificate(self):
        serveur = ServeurPanne(RACINE, "aucune", tls=CERTS.bon, ca_client=self.ca)
        self.addCleanup(serveur.arrete)
        self.essai(serveur, 5)
        self.essai(serveur, 0, certificat=self.client[0], cle=self.client[1])
        # A key every user may read is refused before anything connects.
        os.chmod(self.client[1], 0o644)
        refus = self.essai(serveur, 5, certificat=self.client[0], cle=self.client[1])
        self.assertIn(f"chmod 600 {self.client[1]}", refus.stdout + refus.stderr)
        self.assertEqual(len(serveur.messages()), 1)


class Attente(Base):
    """/attente (--queue): a batch the relay cannot take now waits in the
    outbox, built as it was sent, and --outbox run sends it later; a refusal
    stays a failure. --sysexits: 75 when the whole failure may pass later."""

    def boite(self, programme):
        resultat = self.lance(programme, "--outbox", "list", code=0)
        return resultat.stdout

    def test_relay_down_then_back_the_batch_goes_once_as_it_was(self):
        with socket.socket() as s:  # nobody listens there
            s.bind(("127.0.0.1", 0))
            ferme = s.getsockname()[1]
        programme = self.programme(ferme)
        piece = bytes(range(256)) * 40
        programme.ecrit("rapport.bin", piece)
        envoi = ["/a:ops", "/o:RAID dégradé", "/ct:Disque 2 absent", "/pj:rapport.bin", "/l"]
        self.lance(programme, *envoi, code=5)
        self.lance(programme, *envoi, "--sysexits", code=75)
        self.assertEqual(self.boite(programme), "La file d'attente est vide.\n")

        resultat = self.lance(programme, *envoi, "--queue", "--sysexits", code=0)
        self.assertEqual(resultat.stderr, "")
        ligne = programme.journal().splitlines()[-1]
        self.assertRegex(ligne, r"^ ~ gardé dans la file d'attente sous [0-9a-f-]+ : .*connect.* "
                                r"\(destinataires : ops@exemple\.test\)$")
        identifiant = re.search(r"sous ([0-9a-f-]+) ", ligne).group(1)
        # Tried once: the reply it had, due again after the first back-off.
        self.assertRegex(self.boite(programme), rf"\n{identifiant}  0:00  1  ops@exemple\.test\n"
                                                r"    [^\n]*connect[^\n]*\n")

        serveur = Serveur(RACINE)
        self.addCleanup(serveur.arrete)
        programme.configure([config_smtp("Test", "127.0.0.1", serveur.port)])
        self.lance(programme, "--outbox", "run", code=0)
        self.assertEqual(serveur.messages(attente=1), [])
        for commande in ("flush", "run"):
            self.lance(programme, "--outbox", commande, code=0)
        [(enveloppe, message)] = serveur.messages(attente=2)
        self.assertEqual((enveloppe["mail_from"], enveloppe["rcpt_tos"]),
                         ("robot@exemple.test", ["ops@exemple.test"]))
        self.assertEqual(message["Subject"], "RAID dégradé")
        self.assertEqual(message.get_body(("plain",)).get_content().strip(), "Disque 2 absent")
        [jointe] = message.iter_attachments()
        self.assertEqual((jointe.get_filename(), jointe.get_payload(decode=True)),
                         ("rapport.bin", piece))
        self.assertEqual(self.boite(programme), "La file d'attente est vide.\n")

    def test_a_refusal_stays_a_failure_and_only_what_may_pass_later_waits(self):
        serveur = ServeurPanne(RACINE, "refus")
        self.addCleanup(serveur.arrete)
        programme = self.programme(serveur.port)
        self.lance(programme, "/a:tempo,refus,bob", "/nde:1", "/o:x", "/ct:y", "/attente", "/r",
                   "--sysexits", code=5)
        # The report mail went (the server takes the sender): the refusal, and
        # the batch kept, each with whom it did not reach yet.
        self.assertEqual(recus(serveur), ["bob@exemple.test", "robot@exemple.test"])
        rapport = serveur.messages()[-1][1].get_content()
        self.assertRegex(rapport, r"\n - [^\n]*: 550 [^\n]*\(destinataires : refus@exemple\.test\)")
        self.assertRegex(rapport, r"\n ~ gardé dans la file d'attente sous [0-9a-f-]+ : [^\n]*451 "
                                  r"[^\n]*\(destinataires : tempo@exemple\.test\)")
        self.assertRegex(self.boite(programme),
                         r"\n[0-9a-f-]+  0:00  1  tempo@exemple\.test\n    [^\n]*451 [^\n]*\n$")


class Charge(Base):
    def test_fifty_sends_at_once(self):
        serveur = Serveur(RACINE)
        self.addCleanup(serveur.arrete)
        programme = self.programme(serveur.port)
        env = {"PATH": "/usr/bin:/bin", "HOME": programme.dossier, "LANG": "fr_FR.UTF-8"}
        processus = [subprocess.Popen([programme.binaire, f"/a:d{i:02d}", f"/o:Charge {i:02d}",
                                       "/ct:y", "/l:journal.log"],
                                      cwd=programme.dossier, env=env, stdout=subprocess.PIPE,
                                      stderr=subprocess.PIPE, text=True)
                     for i in range(50)]
        for p in processus:
            _, erreurs = p.communicate(timeout=240)
            self.assertEqual(p.returncode, 0, erreurs)
        self.assertEqual(recus(serveur), [f"d{i:02d}@exemple.test" for i in range(50)])
        # Whole records under concurrent appends are the next test's; here,
        # each run logged its own send.
        sujets = re.findall(r"(?m)^" + HORODATAGE + r"Le message 'Charge (\d\d)' a été envoyé",
                            programme.journal("journal.log"))
        self.assertEqual(sorted(sujets), [f"{i:02d}" for i in range(50)])


class Crash(Base):
    def test_killed_while_rewriting_the_profile(self):
        dossier = tempfile.mkdtemp(dir=RACINE, prefix="profil-")
        ini = os.path.join(dossier, "Corvelle.ini")
        hasard = random.Random(11)
        versions = set()
        for _ in range(60):
            ecrivain = subprocess.Popen([AIDE, "profil-ecrit", ini], stderr=subprocess.PIPE)
            time.sleep(hasard.uniform(0.02, 0.4))
            ecrivain.send_signal(signal.SIGKILL)
            ecrivain.communicate()
            if not os.path.exists(ini):
                continue  # killed before its first file was in place
            verification = subprocess.run([AIDE, "profil-verifie", ini], capture_output=True,
                                          text=True, timeout=60)
            self.assertEqual(verification.returncode, 0, verification.stderr)
            versions.add(verification.stdout.strip())
        # Kills landed after rewrites of both kinds, so old and new were seen.
        self.assertEqual(versions, {"0", "1"})
        # A kill between creating the temporary file and renaming it leaves
        # that file beside the profile, never in its place.
        for nom in os.listdir(dossier):
            self.assertRegex(nom,
                             r"^(Corvelle\.ini|\.Corvelle\.ini\.corvelle-[A-Za-z0-9]{6}\.tmp)$")

    def test_two_hundred_processes_append_to_one_log(self):
        dossier = tempfile.mkdtemp(dir=RACINE, prefix="journal-")
        journal = os.path.join(dossier, "Corvelle.log")
        depart = os.path.join(dossier, "depart")
        processus = [subprocess.Popen([AIDE, "journal", journal, f"p{i:03d}", depart])
                     for i in range(200)]
        time.sleep(1)
        open(depart, "w").close()
        for p in processus:
            self.assertEqual(p.wait(timeout=120), 0)
        with open(journal, encoding="utf-8") as f:
            texte = f.read()
        enregistrements = re.split(r"(?m)^(?=" + HORODATAGE + ")", texte)
        self.assertEqual(enregistrements.pop(0), "")
        self.assertEqual(len(enregistrements), 200)
        vus = set()
        for enregistrement in enregistrements:
            m = re.match(HORODATAGE + r"Enregistrement (p\d{3}) :\n", enregistrement)
            self.assertIsNotNone(m, enregistrement[:200])
            ident = m.group(1)
            attendu = "".join(f" - {ident} ligne {i} {'x' * 60}\n" for i in range(100))
            self.assertEqual(enregistrement[m.end():], attendu, ident)
            vus.add(ident)
        self.assertEqual(len(vus), 200)


if __name__ == "__main__":
    unittest.main()
