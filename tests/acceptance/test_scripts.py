"""The program as scripts and cron run it: a preview that sends nothing, bodies
from standard input, what goes to which standard stream, a display that cannot
show windows, English under an English locale, another language's notice, and
lists separated by semicolons."""

import email
import email.policy
import glob
import os
import re
import shutil
import socket
import tempfile
import unittest

from outils import BINAIRE, ICI, US, Programme, Relais, Serveur, config_smtp, dossier_de_module

RACINE = None


setUpModule, tearDownModule = dossier_de_module(globals(), "corvelle-scripts-", certificats=False)


def affichage_x_libre():
    """A display number no X server listens on, by path or abstract socket."""
    with open("/proc/net/unix") as f:
        sockets = f.read()
    return next(n for n in range(55, 100) if f"/tmp/.X11-unix/X{n}\n" not in sockets
                and not os.path.exists(f"/tmp/.X11-unix/X{n}"))


def lots_apercu(sortie):
    """(recipients of the envelope, parsed message) for each batch a preview
    printed: its MAIL FROM and RCPT TO lines, an empty line, the message."""
    lots = []
    for bloc in re.split(r"(?m)^(?=MAIL FROM:<)", sortie)[1:]:
        enveloppe, message = bloc.split("\n\n", 1)
        rcpt = [re.fullmatch(r"RCPT TO:<(.*)>", l).group(1) for l in enveloppe.splitlines()[1:]]
        lots.append((rcpt, email.message_from_string(message, policy=email.policy.default)))
    return lots


def parties(message):
    """Type and content of each part; line ends aside, as a preview read as
    text has LF where the server stored CR LF."""
    return [(p.get_content_type(), p.get_content().replace("\r\n", "\n")) for p in message.walk()
            if not p.is_multipart()]


class Scripts(unittest.TestCase):
    def setUp(self):
        self.serveur = Serveur(RACINE)
        self.addCleanup(self.serveur.arrete)
        self.relais = Relais(self.serveur.port)
        self.addCleanup(self.relais.ferme)
        self.programme = Programme(RACINE)
        self.programme.configure([config_smtp("Test", "127.0.0.1", self.relais.port)])

    def lance(self, *arguments, code=0, **options):
        resultat = self.programme.lance(*arguments, **options)
        self.assertEqual(resultat.returncode, code, resultat.stdout + resultat.stderr)
        return resultat

    def test_preview_runs_no_password_command(self):
        # It connects to nothing: a locked vault must not stop it.
        self.programme.configure([config_smtp("Test", "127.0.0.1", self.relais.port, auth=3,
                                              utilisateur="u") + US + "echo verrou >&2; exit 3"])
        self.lance("/a:ana", "/o:x", "/ct:y", "/apercu")

    def test_preview_builds_the_batches_a_send_would_and_sends_nothing(self):
        self.programme.ecrit("piece.txt", "contenu joint\n")
        envoi = ["/a:ana,bob,carl", "/cci:dora", "/o:Sauvegarde", "/ct:Tout va bien",
                 "/pj:piece.txt", "/nde:2", "/l"]
        apercu = self.lance(*envoi, "/apercu", "/r")
        self.assertEqual(self.relais.fils, [], "the preview connected to the server")
        lots = lots_apercu(apercu.stdout)
        self.assertEqual(apercu.stderr, "")
        self.assertIn("rien n'a été envoyé", self.programme.journal())

        self.lance(*envoi)
        recus = self.serveur.messages(attente=5)
        self.assertEqual(len(lots), len(recus))
        self.assertEqual(len(lots), 2)
        for (rcpt, message), (enveloppe, recu) in zip(lots, recus):
            self.assertEqual(rcpt, enveloppe["rcpt_tos"])
            for entete in ("From", "To", "Cc", "Subject", "X-Mailer"):
                self.assertEqual(str(message[entete]), str(recu[entete]), entete)
            self.assertEqual(parties(message), parties(recu))
            # The blind copy is in an envelope, never in a message.
            self.assertNotIn("dora", message.as_string())
        self.assertIn("dora@exemple.test", [r for rcpt, _ in lots for r in rcpt])

        # Into a folder: one file per batch, never over one already there.
        dossier = os.path.join(self.programme.dossier, "apercus")
        os.mkdir(dossier)
        resultat = self.lance(*envoi, "/apercu:apercus")
        noms = sorted(os.listdir(dossier))
        self.assertEqual(noms, ["corvelle-001.eml", "corvelle-002.eml"])
        self.assertIn(os.path.join(dossier, noms[0]) + "\nMAIL FROM:<robot@exemple.test>\n",
                      resultat.stdout)
        with open(os.path.join(dossier, noms[0]), "rb") as f:
            self.assertEqual(email.message_from_bytes(f.read())["Subject"], "Sauvegarde")
        self.lance(*envoi, "/apercu:apercus", code=5)
        self.assertIn("File exists", self.programme.journal())
        self.assertEqual(len(self.serveur.messages()), 2)

        # A file that cannot be written whole (a full disk) leaves nothing.
        shutil.rmtree(dossier)
        os.mkdir(dossier)
        self.programme.ecrit("gros.bin", bytes(256 * 1024))
        self.lance(*envoi, "/pj:gros.bin", "/apercu:apercus", code=5, taille_fichiers=128 * 1024)
        self.assertEqual(os.listdir(dossier), [])
        self.assertIn("could not be written: File too large", self.programme.journal())

    def test_bodies_from_standard_input_and_an_empty_one(self):
        self.lance("/a:bob", "/o:Texte", "/ctf:-", entree="Ligne 1\nDeuxième ligne\n")
        self.lance("/a:bob", "/o:HTML", "/chf:-", entree="<p>Bonjour</p>")
        [(_, texte), (_, html)] = self.serveur.messages(attente=5)
        self.assertEqual(texte.get_content().replace("\r\n", "\n"),
                         "Ligne 1\nDeuxième ligne\n\n")
        self.assertIn("<p>Bonjour</p>", html.get_body(("html",)).get_content())
        self.assertIn("Bonjour", html.get_body(("plain",)).get_content())

        resultat = self.lance("/a:bob", "/o:Vide", "/ctf:-", code=1, entree="")
        self.assertIn("Le fichier contenant le corps du message ('-') est vide", resultat.stderr)
        self.assertEqual(len(self.serveur.messages()), 2)

    def test_each_stream_gets_its_kind_and_a_logged_failure_still_one_line(self):
        succes = self.lance("/a:bob", "/o:Bonjour", "/ct:Salut")
        self.assertEqual(succes.stderr, "")
        self.assertRegex(succes.stdout, r"^Corvelle - Information : Le message 'Bonjour'")
        # Quiet on success when the outcome goes to the log.
        succes = self.lance("/a:bob,fic:absent.txt", "/o:Bonjour", "/ct:Salut", "/l")
        self.assertEqual(succes.stdout, "")
        self.assertEqual(succes.stderr, "")
        self.assertIn("absent.txt' est introuvable", self.programme.journal())

        erreur = self.lance("/a:bob", "/l", "/o:", "/ct:x", code=1)
        self.assertEqual(erreur.stderr, "Corvelle - Erreur : Le paramètre contenant l'objet du "
                                        "message (/o:) est manquant... L'outil va être fermé.\n")

    def test_english_under_an_english_locale(self):
        shutil.copy(os.path.join(ICI, "..", "..", "translations", "English.lng"),
                    self.programme.dossier)
        anglais = {"LANG": "en_US.UTF-8"}
        for demande in ("--help", "-h"):
            aide = self.lance(demande, env=anglais)
            self.assertIn("/apercu:<folder>", aide.stdout)
            self.assertNotIn("destinataires", aide.stdout)
        resultat = self.lance("/a:bob,fic:absent.txt", "/o:Hello", "/ct:Hi", env=anglais)
        self.assertRegex(resultat.stdout, r"^Corvelle - Information: The message 'Hello' was sent")
        self.assertRegex(resultat.stderr, r"^Corvelle - Warning: The recipient file 'absent.txt'")
        resultat = self.lance(env=anglais, code=6)
        self.assertEqual(resultat.stderr, "Corvelle - Error: No graphical display for the compose "
                                          "window. Start the program with parameters to send "
                                          "from the command line (see --help).\n")

    def test_a_language_without_translation_gets_its_notice_once_on_stderr(self):
        allemand = {"LANG": "de_DE.UTF-8"}
        premier = self.lance("/a:bob", "/o:Cron", "/ct:x", "/l", env=allemand)
        self.assertEqual(premier.stdout, "")
        self.assertTrue(premier.stderr.startswith("Corvelle - Information : First, thank you"),
                        premier.stderr[:80])
        self.assertIn("Aucun fichier de traduction", premier.stderr)
        for demande in (("/a:bob", "/o:Cron", "/ct:x", "/l"), ("--smtp", "list")):
            suivant = self.lance(*demande, env=allemand)
            self.assertEqual(suivant.stderr, "")
            self.assertNotIn("thank you", suivant.stdout)
        self.assertEqual(len(self.serveur.messages(attente=5)), 2)

    def test_a_display_that_cannot_show_windows_is_no_display(self):
        # The window module beside the program, as an installed copy finds it:
        # Qt ended the process on such a display once the message had gone.
        shutil.copy(os.path.join(os.path.dirname(BINAIRE), "corvelle-ui.so"),
                    self.programme.dossier)
        fenetre = ("Corvelle - Erreur : L'affichage graphique '{}' ne répond pas ou ne peut pas "
                   "montrer de fenêtres. Lancez le programme avec des paramètres pour un envoi en "
                   "ligne de commande (voir --help).\n")
        # A stale DISPLAY, as a closed SSH session leaves it.
        eteint = {"DISPLAY": f":{affichage_x_libre()}"}
        resultat = self.lance("/a:bob", "/o:Bonjour", "/ct:Salut", env=eteint)
        self.assertEqual(resultat.stderr, "")
        self.assertRegex(resultat.stdout, r"^Corvelle - Information : Le message 'Bonjour'")
        self.assertEqual(len(self.serveur.messages(attente=5)), 1)
        resultat = self.lance(env=eteint, code=6)
        self.assertEqual(resultat.stderr, fenetre.format(eteint["DISPLAY"]))

        # A Wayland compositor that answers, but no Qt plugin for it.
        if glob.glob("/usr/lib/*/qt6/plugins/platforms/libqwayland*"):
            self.skipTest("Qt's Wayland plugin is installed")
        dossier = tempfile.mkdtemp(dir=RACINE)
        compositeur = socket.socket(socket.AF_UNIX)
        self.addCleanup(compositeur.close)
        compositeur.bind(os.path.join(dossier, "wayland-1"))
        compositeur.listen()
        wayland = {"WAYLAND_DISPLAY": "wayland-1", "XDG_RUNTIME_DIR": dossier}
        resultat = self.lance("/a:bob", "/o:Bonjour", "/ct:Salut", env=wayland)
        self.assertRegex(resultat.stdout, r"^Corvelle - Information : Le message 'Bonjour'")
        self.assertEqual(len(self.serveur.messages(attente=5)), 2)
        resultat = self.lance(env=wayland, code=6)
        self.assertTrue(resultat.stderr.endswith(fenetre.format("wayland-1")), resultat.stderr)

    def test_semicolon_lists_are_counted_deduplicated_and_batched(self):
        self.programme.ecrit("equipe.txt", "eve@exemple.test; ana@exemple.test\n")
        resultat = self.lance('/a:"ana@exemple.test; bob@exemple.test"',
                              "/cc:bob@exemple.test;carl,fic:equipe.txt", "/o:Liste", "/ct:x",
                              "/nde:2")
        self.assertIn("à 4 destinataire(s) en 2 envoi(s)", resultat.stdout)
        recus = self.serveur.messages(attente=5)
        self.assertEqual(sorted(r for enveloppe, _ in recus for r in enveloppe["rcpt_tos"]),
                         ["ana@exemple.test", "bob@exemple.test", "carl@exemple.test",
                          "eve@exemple.test"])


if __name__ == "__main__":
    unittest.main()
