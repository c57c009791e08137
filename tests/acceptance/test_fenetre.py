"""Sends from the compose window, driven by aide_fenetre over a slow link to
a real server: the window stays alive, Stop and closing end the send cleanly."""

import os
import re
import subprocess
import unittest

from outils import Programme, Serveur, config_smtp, dossier_de_module
from test_envoi import RelaisLent

RACINE = None
AIDE = os.environ["CORVELLE_AIDE_FENETRE"]

setUpModule, tearDownModule = dossier_de_module(globals(), "corvelle-fenetre-", certificats=False)


class Envoi(unittest.TestCase):
    def setUp(self):
        self.serveur = Serveur(RACINE, pipelining=True)
        self.addCleanup(self.serveur.arrete)
        self.relais = RelaisLent(self.serveur.port)
        self.addCleanup(self.relais.ferme)
        self.programme = Programme(RACINE)
        self.programme.configure([config_smtp("Test", "127.0.0.1", self.relais.port)], NbDest="1")

    def aide(self, action):
        destinataires = ", ".join(f"d{i:03d}" for i in range(200))
        resultat = subprocess.run(
            [AIDE, self.programme.dossier, destinataires, "5", action], capture_output=True,
            text=True, timeout=180,
            env={"PATH": "/usr/bin:/bin", "HOME": self.programme.dossier, "LANG": "fr_FR.UTF-8",
                 "QT_QPA_PLATFORM": "offscreen"})
        self.assertEqual(resultat.returncode, 0, resultat.stdout + resultat.stderr)
        sortie = {}
        for ligne in resultat.stdout.splitlines():
            cle, _, valeur = ligne.partition(" ")
            sortie.setdefault(cle, []).append(valeur)
        return sortie

    def test_stop_or_closing_ends_the_send_cleanly_and_the_window_stays_alive(self):
        for action in ("arret", "fermeture"):
            with self.subTest(action=action):
                avant = len(self.serveur.messages())
                sortie = self.aide(action)
                # The interface thread never waited on the link (200 batches
                # over it take 10 s); the form could not be touched meanwhile.
                self.assertLess(int(sortie["ecart"][0]), 2000)
                self.assertEqual(sortie["desactives"], ["1"])
                self.assertRegex(sortie["progression"][0],
                                 r"^\d+/200 envois, \d+/200 destinataires, \d+ msg/s, reste ")
                recus = self.serveur.messages()[avant:]
                self.assertLess(len(recus), 100)
                for _, message in recus:
                    self.assertEqual(message.get_content().strip(), "Corps entier")
                boites = sortie["boite"]
                if action == "fermeture":
                    self.assertIn("Un envoi est en cours", boites.pop(0))
                    self.assertEqual(sortie["visible"], ["0"])
                else:
                    self.assertEqual(sortie["visible"], ["1"])
                # The outcome box, as a send that failed shows it, names who
                # did not get the message.
                self.assertEqual(len(boites), 1, boites)
                self.assertIn(f"Envoi arrêté à la demande après {len(recus)} envoi(s) : "
                              f"{200 - len(recus)} destinataire(s) sur 200", boites[0])
                livres = [a for e, _ in recus for a in e["rcpt_tos"]]
                restants = re.findall(r"d\d{3}@exemple\.test", boites[0])
                self.assertEqual(sorted(livres + restants),
                                 [f"d{i:03d}@exemple.test" for i in range(200)])
        # Each session said goodbye.
        self.assertEqual(self.relais.octets().count(b"\r\nQUIT\r\n"), 2)


if __name__ == "__main__":
    unittest.main()
