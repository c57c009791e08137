"""Command-line sends end to end: the real program against real SMTP servers,
checked on what the servers received."""

import os
import pty
import re
import signal
import socket
import subprocess
import time
import unittest

from outils import Programme, Relais, Serveur, config_smtp, dossier_de_module

RACINE = CERTS = None


setUpModule, tearDownModule = dossier_de_module(globals(), "corvelle-e2e-")


def adresses(entete):
    return sorted(a.addr_spec for a in entete.addresses) if entete else []


class Base(unittest.TestCase):
    mode = "plain"
    ssl = False
    serveur_kwargs = {}

    def setUp(self):
        certificat = CERTS.bon if self.mode in ("starttls", "tls") else None
        self.serveur = Serveur(RACINE, self.mode, certificat=certificat, **self.serveur_kwargs)
        self.addCleanup(self.serveur.arrete)
        self.programme = Programme(RACINE)
        self.programme.configure([config_smtp("Test", "127.0.0.1", self.serveur.port, ssl=self.ssl)])

    def envoie(self, *arguments, code=0, **options):
        resultat = self.programme.lance(*arguments, ca=CERTS.ca, **options)
        self.assertEqual(resultat.returncode, code, resultat.stderr)
        return resultat


class Messages(Base):
    def test_text_html_attachment_headers_and_blind_copies(self):
        binaire = bytes(range(256)) * 20
        self.programme.ecrit("donnees.bin", binaire)
        self.programme.configure([config_smtp("Test", "127.0.0.1", self.serveur.port)],
                                 ImportanceParDéfaut="2", SensibilitéParDéfaut="3")
        self.envoie('/a:bob,"Martin, Alice" <alice@ailleurs.test>', "/cc:carl", "/cci:dora,eve,bob@EXEMPLE.TEST",
                    "/o:Rapport", "/ct:Ligne 1§.point§.§Fin", "/ch:<p>Bonjour</p>",
                    "/rep:retour@exemple.test", "/pj:donnees.bin", "/arl", "/l")
        [(enveloppe, message)] = self.serveur.messages()
        self.assertEqual(enveloppe["mail_from"], "robot@exemple.test")
        # Bob, in To and Bcc, gets one copy.
        self.assertEqual(sorted(enveloppe["rcpt_tos"]),
                         ["alice@ailleurs.test", "bob@exemple.test", "carl@exemple.test",
                          "dora@exemple.test", "eve@exemple.test"])
        self.assertEqual(message["To"].addresses[0].display_name, "Martin, Alice")
        self.assertEqual(adresses(message["To"]), ["alice@ailleurs.test", "bob@exemple.test"])
        self.assertEqual(adresses(message["Cc"]), ["carl@exemple.test"])
        self.assertIsNone(message["Bcc"])
        self.assertNotIn(b"dora", enveloppe["brut"])
        self.assertNotRegex(enveloppe["brut"], rb"(?<!\r)\n", "a bare LF")
        self.assertEqual(message["Reply-To"].addresses[0].addr_spec, "retour@exemple.test")
        self.assertIn("robot@exemple.test", message["Disposition-Notification-To"])
        self.assertIn("robot@exemple.test", message["Return-Receipt-To"])
        self.assertEqual((message["Importance"], message["Sensitivity"]),
                         ("high", "Company-Confidential"))
        self.assertTrue(message["X-Mailer"].startswith("Corvelle v"))
        self.assertEqual(message["MIME-Version"], "1.0")
        self.assertIsNotNone(message["Date"].datetime)
        self.assertTrue(message["Message-ID"].endswith("@exemple.test>"), message["Message-ID"])
        self.assertEqual([p.get_content_type() for p in message.iter_parts()],
                         ["multipart/alternative", "application/octet-stream"])
        # Lines starting with a dot keep it: the data's own end is never mistaken.
        texte = message.get_body(("plain",)).get_content()
        self.assertEqual(texte.replace("\r\n", "\n").rstrip("\n"), "Ligne 1\n.point\n.\nFin")
        self.assertIn("<p>Bonjour</p>", message.get_body(("html",)).get_content())
        [piece] = message.iter_attachments()
        self.assertEqual((piece.get_filename(), piece.get_payload(decode=True)),
                         ("donnees.bin", binaire))
        self.assertRegex(self.programme.journal(),
                         r"^\d\d/\d\d/\d{4} \d\d:\d\d:\d\d : Le message 'Rapport' a été envoyé à "
                         r"5 destinataire\(s\) en 1 envoi\(s\)\.\.\.\n$")

    def test_accented_texts_survive_each_charset(self):
        sujet = "Réunion d'été à Noël"
        corps = "Chère équipe, ça marche : àâçéèêëîïôùûü ÀÉ ÿ"
        for charset in ("Iso-8859-1", "Utf-8"):
            self.envoie("/a:bob", f"/o:{sujet}", f"/ct:{corps}", f"/en:{charset}")
        self.envoie("/a:bob", "/o:Coût 5 € – œuvre", "/ct:y", "/en:Iso-8859-1")
        recus = self.serveur.messages()
        for (_, message), charset in zip(recus, ("iso-8859-1", "utf-8")):
            self.assertEqual(message["Subject"], sujet)
            partie = message.get_body(("plain",))
            self.assertEqual(partie.get_content_charset(), charset)
            self.assertEqual(partie.get_content().rstrip("\r\n"), corps)
        self.assertEqual(recus[2][1]["Subject"], "Coût 5 € – œuvre")

    def test_large_body_file_arrives_whole_in_each_batch(self):
        # Above 4 MiB a body is written while it is sent, for each batch: lone
        # dots, trailing spaces and accents fall across every reading boundary.
        # A character Latin-1 lacks, at the very end only, still turns the
        # whole body to UTF-8.
        lignes = "".join(f"Ligne {i} : déjà vu, à côté {('x' if i % 2 else 'e') * (i % 131)}"
                         + (" \n.\n" if i % 7 == 0 else "\n") for i in range(55000))
        for fin, charset in (("Fin.", "iso-8859-1"), ("Prix : 5 €", "utf-8")):
            self.programme.ecrit("corps.txt", lignes + fin)
            self.envoie("/a:bob,carl", "/o:x", "/ctf:corps.txt", "/en:Iso-8859-1", "/nde:1")
            recus = self.serveur.messages()[-2:]
            self.assertEqual([e["rcpt_tos"] for e, _ in recus],
                             [["bob@exemple.test"], ["carl@exemple.test"]])
            for _, message in recus:
                partie = message.get_body(("plain",))
                self.assertEqual(partie.get_content_charset(), charset)
                texte = partie.get_content().replace("\r\n", "\n").rstrip("\n")
                self.assertTrue(texte == lignes + fin, "the body does not read back whole")

    def test_html_only_body_gets_a_text_version(self):
        self.envoie("/a:bob", "/o:x", "/ch:<b>Bonjour</b>§tout le monde &amp; x < y")
        [(_, message)] = self.serveur.messages()
        texte = message.get_body(("plain",)).get_content()
        self.assertEqual(texte.replace("\r\n", "\n").rstrip("\n"), "Bonjour\ntout le monde &amp; x < y")

    def test_wildcard_attachments_go_once_on_every_batch(self):
        # More files than the program may hold open at once. Names: on disk,
        # then as received; a name that is not UTF-8 is read as Windows-1252.
        noms = {"ç.txt": "ç.txt", os.fsdecode(b"caf\xe9.txt"): "café.txt"}
        noms.update({f"{i:02d}.txt": f"{i:02d}.txt" for i in range(80)})
        for disque, nom in noms.items():
            self.programme.ecrit(f"pj/{disque}", f"contenu de {nom}\n")
        self.programme.ecrit("pj/autre.pdf", "non")
        self.envoie("/a:u1,u2,u3", "/o:x", "/ct:y", "/pj:pj/*.txt", "/nde:1", descripteurs=64)
        recus = self.serveur.messages()
        self.assertEqual(len(recus), 3)
        self.assertEqual(len({e["connexion"] for e, _ in recus}), 1, "batches share one session")
        for _, message in recus:
            pieces = {p.get_filename(): p.get_payload(decode=True) for p in message.iter_attachments()}
            self.assertEqual(pieces, {n: f"contenu de {n}\n".encode() for n in noms.values()})


    def test_extra_headers_go_out_encoded_and_owned_or_malformed_ones_stop_the_run(self):
        for entete in ("Subject: autre", "from: x@exemple.test", "Content-Type: text/html",
                       "Message-ID: <a@b>", "Reply-To: x@exemple.test", "X Ticket: 1",
                       "Sans deux-points", "X-Ticket: 1\r\nBcc: espion@ailleurs.test"):
            with self.subTest(entete=entete):
                refus = self.envoie("/a:bob", "/o:x", "/ct:y", f"/ent:{entete}", code=1)
                self.assertIn("/ent:", refus.stderr + refus.stdout)
        self.assertEqual(self.serveur.messages(), [])
        self.envoie("/a:bob", "/o:x", "/ct:y", '/ent:"X-Ticket: 4521"', "--header",
                    "X-Priority: 1", "/ent:X-Note: Été chaud à Noël")
        [(_, message)] = self.serveur.messages()
        self.assertEqual(message["X-Ticket"], "4521")
        # The program's own X-Priority gives way; the value that is not ASCII
        # goes out encoded and reads back whole.
        self.assertEqual(message.get_all("X-Priority"), ["1"])
        self.assertEqual(str(message["X-Note"]), "Été chaud à Noël")
        self.assertIn(b"X-Note: =?", self.serveur.messages()[0][0]["brut"])

    def test_auto_submitted_unless_the_setting_or_the_run_says_otherwise(self):
        self.envoie("/a:bob", "/o:x", "/ct:y")
        self.envoie("/a:bob", "/o:x", "/ct:y", "/ent:Auto-Submitted: no")
        self.programme.configure([config_smtp("Test", "127.0.0.1", self.serveur.port)],
                                 AutoSubmitted="0")
        self.envoie("/a:bob", "/o:x", "/ct:y")
        self.assertEqual([m.get_all("Auto-Submitted") for _, m in self.serveur.messages()],
                         [["auto-generated"], ["no"], None])

    def test_envelope_sender_and_ehlo_name_as_the_server_sees_them(self):
        self.programme.configure([config_smtp("Test", "127.0.0.1", self.serveur.port,
                                              ehlo="relais.exemple.test",
                                              enveloppe="retours@exemple.test")])
        self.envoie("/a:bob", "/o:x", "/ct:y")
        # /ee: wins over the configuration's; the report mail goes the same way.
        self.envoie("/a:bob", "/o:x", "/ct:y", "/ee:rebonds@exemple.test", "/r", "/l")
        self.assertIn("'x'", self.programme.journal())
        self.envoie("/a:bob", "/o:x", "/ct:y", "/ee:pas une adresse", code=5)
        recus = self.serveur.messages()
        self.assertEqual([(e["mail_from"], e["ehlo"]) for e, _ in recus],
                         [("retours@exemple.test", "relais.exemple.test"),
                          ("rebonds@exemple.test", "relais.exemple.test"),
                          ("rebonds@exemple.test", "relais.exemple.test")])
        self.assertEqual({m["From"].addresses[0].addr_spec for _, m in recus},
                         {"robot@exemple.test"})
        # Without a name of its own: the host's full name, when it has one.
        self.programme.configure([config_smtp("Test", "127.0.0.1", self.serveur.port)])
        self.envoie("/a:bob", "/o:x", "/ct:y")
        try:
            nom = socket.getaddrinfo(socket.gethostname(), None,
                                     flags=socket.AI_CANONNAME)[0][3].rstrip(".")
        except OSError:
            nom = ""
        if "." in nom:
            self.assertEqual(self.serveur.messages()[-1][0]["ehlo"], nom)


class Lots(Base):
    def lots(self, repartition, a=0, cc=0, cci=0):
        self.programme.configure([config_smtp("Test", "127.0.0.1", self.serveur.port)],
                                 RépartitionDestinataires="-1" if repartition else "0", NbDest="10")
        champs = []
        for parametre, prefixe, nombre in (("/a:", "a", a), ("/cc:", "c", cc), ("/cci:", "z", cci)):
            if nombre:
                champs.append(parametre + ",".join(f"{prefixe}{i:02d}" for i in range(nombre)))
        avant = len(self.serveur.messages())
        self.envoie(*champs, "/o:lots", "/ct:x")
        resultat = []
        recus = self.serveur.messages()[avant:]
        # The batches share one session and one built message, yet each is a
        # message of its own.
        self.assertEqual(len({m["Message-ID"] for _, m in recus}), len(recus))
        self.assertEqual(len({e["connexion"] for e, _ in recus}), 1)
        for enveloppe, message in recus:
            to, cc_ = len(adresses(message["To"])), len(adresses(message["Cc"]))
            self.assertIsNone(message["Bcc"])
            resultat.append((to, cc_, len(enveloppe["rcpt_tos"]) - to - cc_))
        return resultat

    def test_both_settings_of_the_batches(self):
        # How batches are cut is a unit test; here, the settings reach it.
        self.assertEqual(self.lots(True, a=15, cc=5), [(7, 3, 0), (8, 2, 0)])
        self.assertEqual(self.lots(False, a=15, cc=5, cci=3), [(10, 0, 0), (5, 0, 0), (0, 5, 3)])


class RelaisLent(Relais):
    """A link with latency: each reply of the server reaches the program late."""

    def transmet(self, sens, octets, cible):
        if sens == "S":
            time.sleep(0.05)
        cible.sendall(octets)


class Progression(Base):
    serveur_kwargs = {"pipelining": True}

    def setUp(self):
        super().setUp()
        self.relais = RelaisLent(self.serveur.port)
        self.addCleanup(self.relais.ferme)
        self.programme.configure([config_smtp("Test", "127.0.0.1", self.relais.port)], NbDest="1")

    def demarre(self, nombre, *arguments, terminal):
        """Starts a send of one message to `nombre` recipients, one a batch,
        its standard error a pseudo-terminal or a pipe; returns the process
        and what reads its standard error."""
        destinataires = "/a:" + ",".join(f"d{i:03d}" for i in range(nombre))
        maitre, esclave = pty.openpty() if terminal else os.pipe()
        processus = subprocess.Popen(
            [self.programme.binaire, destinataires, "/o:Avancement", "/ct:Corps entier", *arguments],
            cwd=self.programme.dossier, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
            stderr=esclave, env={"PATH": "/usr/bin:/bin", "HOME": self.programme.dossier,
                                 "LANG": "fr_FR.UTF-8"})
        os.close(esclave)
        self.addCleanup(os.close, maitre)

        def erreurs():
            lu = b""
            while True:
                try:
                    octets = os.read(maitre, 4096)
                except OSError:  # the terminal's other side closed
                    break
                if not octets:
                    break
                lu += octets
            return lu.decode()
        return processus, erreurs

    def sortie_erreur(self, nombre, *arguments, terminal):
        processus, erreurs = self.demarre(nombre, *arguments, terminal=terminal)
        texte = erreurs()
        self.assertEqual(processus.wait(60), 0, texte)
        return texte

    def test_progress_line_on_a_terminal_or_when_asked_only(self):
        ligne = self.sortie_erreur(40, terminal=True)
        # Redrawn in place, ending on the whole count and a clean line.
        self.assertGreater(ligne.count("\r"), 1, ligne)
        self.assertRegex(ligne, r"\r40/40 envois, 40/40 destinataires, \d+ msg/s, "
                                r"reste 0:00 *\r?\n$")
        self.assertEqual(self.sortie_erreur(40, "--no-progress", terminal=True), "")
        self.assertEqual(self.sortie_erreur(40, "/l", terminal=True), "")
        self.assertEqual(self.sortie_erreur(40, terminal=False), "")
        # Forced, it shows even a quick send.
        self.assertRegex(self.sortie_erreur(3, "/l", "--progress", terminal=False),
                         r"\r3/3 envois, 3/3 destinataires, .*\n$")
        self.assertEqual(len(self.serveur.messages()), 40 * 4 + 3)

    def test_interrupted_send_ends_its_transaction_and_names_who_got_nothing(self):
        # Part of it went: even with --sysexits no EX_TEMPFAIL, since running
        # the same command again would reach those recipients twice.
        for arret, options, code in ((signal.SIGINT, (), 5), (signal.SIGTERM, ("--sysexits",), 5)):
            with self.subTest(arret=arret):
                avant = len(self.serveur.messages())
                processus, erreurs = self.demarre(200, "/l", *options, terminal=False)
                while len(self.serveur.messages()) < avant + 5 and processus.poll() is None:
                    time.sleep(0.02)
                processus.send_signal(arret)
                self.assertEqual(processus.wait(30), code, erreurs())
                recus = self.serveur.messages()[avant:]
                self.assertLess(len(recus), 100)
                livres = [a for e, m in recus for a in e["rcpt_tos"]]
                # Whole messages only, each to one recipient.
                for _, message in recus:
                    self.assertEqual(message.get_content().strip(), "Corps entier")
                dernier = self.programme.journal().splitlines()[-1]
                self.assertIn(f"Envoi arrêté à la demande après {len(recus)} envoi(s) : "
                              f"{200 - len(recus)} destinataire(s) sur 200", dernier)
                restants = re.findall(r"d\d{3}@exemple\.test", dernier)
                self.assertEqual(sorted(livres + restants),
                                 [f"d{i:03d}@exemple.test" for i in range(200)])
        # Each session said goodbye.
        self.assertEqual(self.relais.octets().count(b"\r\nQUIT\r\n"), 2)


class Tls(Base):
    ssl = True

    def test_implicit_tls_or_starttls_never_plain(self):
        # Certificates that must be refused are in test_fiabilite.Secrets.
        for mode in ("tls", "starttls"):
            serveur = Serveur(RACINE, mode, certificat=CERTS.bon)
            self.addCleanup(serveur.arrete)
            self.programme.configure([config_smtp("Tls", "127.0.0.1", serveur.port, ssl=True)])
            self.envoie("/a:bob", "/o:secret", "/ct:y")
            [(enveloppe, _)] = serveur.messages()
            self.assertTrue(enveloppe["tls"], mode)
        # The plain server of setUp offers no TLS: nothing goes in clear.
        self.programme.configure([config_smtp("Test", "127.0.0.1", self.serveur.port, ssl=True)])
        self.envoie("/a:bob", "/o:secret", "/ct:y", code=5)
        self.assertEqual(self.serveur.messages(), [])


class Authentification(Base):
    # As the relays people log in to do: AUTH PLAIN then goes with the first
    # group of commands. A refused login, AUTH alone, is in test_fiabilite.Secrets.
    serveur_kwargs = {"auth": True, "pipelining": True}

    def test_login_plain_and_pop3_before_smtp(self):
        for mode in (2, 3):
            self.programme.configure([config_smtp("A", "127.0.0.1", self.serveur.port, auth=mode,
                                                  utilisateur="jean", mot_de_passe="s3cret é")])
            self.envoie("/a:bob", "/o:x", "/ct:y")
        self.assertEqual([e["utilisateur"] for e, _ in self.serveur.messages()], ["jean", "jean"])
        # Mode 1 logs in to the POP3 server, then sends without AUTH.
        pop, libre = Serveur(RACINE, "pop3"), Serveur(RACINE)
        self.addCleanup(pop.arrete)
        self.addCleanup(libre.arrete)
        for mot_de_passe, code in (("s3cret é", 0), ("faux", 5)):
            self.programme.configure([config_smtp("P", "127.0.0.1", libre.port, auth=1,
                                                  pop=f"127.0.0.1:{pop.port}", utilisateur="jean",
                                                  mot_de_passe=mot_de_passe)])
            resultat = self.envoie("/a:bob", "/o:x", "/ct:y", code=code)
        self.assertIn("-ERR bad login", resultat.stderr)
        with open(os.path.join(pop.dossier, "pop3.log")) as f:
            self.assertEqual(f.read(), "jean\n")
        self.assertEqual([e["utilisateur"] for e, _ in libre.messages()], [None])
        # A server that offers no AUTH never gets the message without the login.
        self.programme.configure([config_smtp("S", "127.0.0.1", libre.port, auth=3,
                                              utilisateur="jean", mot_de_passe="x")])
        resultat = self.envoie("/a:bob", "/o:x", "/ct:y", code=5)
        self.assertIn("offers no authentication", resultat.stderr)
        self.assertEqual(len(libre.messages()), 1)


class Echecs(Base):
    def test_silent_server_times_out(self):
        muet = Serveur(RACINE, "muet")
        self.addCleanup(muet.arrete)
        self.programme.configure([config_smtp("M", "127.0.0.1", muet.port)], TimeoutSMTP="1")
        debut = time.time()
        self.envoie("/a:bob", "/o:x", "/ct:y", "/l", code=5)
        self.assertLess(time.time() - debut, 30)
        self.assertIn(f" - No greeting from 127.0.0.1:{muet.port} within 1 s",
                      self.programme.journal())

    def test_log_folder_one_level_missing_is_created_two_are_an_error(self):
        un = os.path.join(self.programme.dossier, "journaux", "envoi.log")
        self.envoie("/a:bob", "/o:x", "/ct:y", f"/l:{un}")
        with open(un, encoding="utf-8") as journal:
            self.assertIn("a été envoyé", journal.read())
        # A log that cannot be written says why, and what it was to record.
        deux = os.path.join(self.programme.dossier, "a", "b")
        for journal, debut in (
                (os.path.join(deux, "envoi.log"), f"Le dossier du journal ('{deux}') ne peut pas "
                                                  "être créé : No such file or directory."),
                # A folder where not even root may create a file.
                ("/sys/corvelle.log", "Le journal ('/sys/corvelle.log') ne peut pas être écrit : ")):
            resultat = self.envoie("/a:bob", "/o:x", "/ct:y", f"/l:{journal}")
            self.assertTrue(resultat.stderr.startswith("Corvelle - Attention : " + debut),
                            resultat.stderr)
            self.assertIn(" Ce qu'il devait consigner :\nLe message 'x' a été envoyé à 1 ",
                          resultat.stderr)
        self.assertEqual(len(self.serveur.messages(attente=2)), 3)

    def test_exit_codes_of_each_kind_of_error(self):
        # Each command-line error and its text is a unit test; here, how one ends the run.
        self.programme.ecrit("liste.txt", "fic:manquant.txt\n")
        os.mkdir(os.path.join(self.programme.dossier, "dossier"))
        cas = [
            (1, ["/A:bob"], "Paramètre '/A:' inconnu... L'outil va être fermé."),
            (2, ["/a:grp:Ventes", "/o:x", "/ct:y"], "impossible lorsque l'accès"),
            (3, ["/a:fic:liste.txt", "/o:x", "/ct:y"], "Aucun destinataire"),
            (4, ["/a:bob", "/o:x", "/ct:y", "/pj:absent.pdf"], "absent.pdf' est introuvable"),
            (4, ["/a:bob", "/o:x", "/ct:y", "/pj:dossier"], "dossier' est introuvable"),
            # No arguments asks for the compose window, and there is no display.
            (6, [], "(voir --help)"),
        ]
        for code, arguments, message in cas:
            resultat = self.envoie(*arguments, code=code)
            self.assertIn(message, resultat.stderr, arguments)
        self.assertEqual(self.serveur.messages(), [])
        # With /iep the missing attachment is reported and the message goes.
        resultat = self.envoie("/a:bob", "/o:x", "/ct:y", "/pj:absent.pdf", "/iep")
        self.assertIn("introuvable", resultat.stderr)
        self.assertEqual(len(self.serveur.messages()), 1)

    def test_settings_out_of_range_fail_the_send_naming_them(self):
        port = self.serveur.port
        for config, cles, raison in (
                (config_smtp("T", "127.0.0.1/x", port), {}, 'Invalid SMTP server name: "127.0.0.1/x"'),
                (config_smtp("T", "127.0.0.1", port, auth=9), {}, "Invalid authentication mode 9"),
                (config_smtp("T", "127.0.0.1", port), {"ImportanceParDéfaut": "7"},
                 "Invalid importance 7")):
            self.programme.configure([config], **cles)
            resultat = self.envoie("/a:bob", "/o:x", "/ct:y", code=5)
            self.assertIn(" - " + raison, resultat.stderr)
        self.assertEqual(self.serveur.messages(), [])

    def test_report_mail_goes_to_the_sender(self):
        # A line break in a value is shown, not followed: the report tells
        # one send in one paragraph.
        self.envoie("/a:bob", "/o:Sauvegarde\r\nLe message 'x' a été envoyé", "/ct:y", "/r")
        recus = self.serveur.messages(attente=2)
        self.assertEqual(len(recus), 2)
        enveloppe, rapport = recus[1]
        self.assertEqual(enveloppe["rcpt_tos"], ["robot@exemple.test"])
        self.assertEqual(rapport["Subject"], "Notification logiciel Corvelle...")
        self.assertIn("Le message 'Sauvegarde\\r\\nLe message 'x' a été envoyé' a été envoyé",
                      rapport.get_content())


if __name__ == "__main__":
    unittest.main()
