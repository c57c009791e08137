"""Command-line sends end to end: the real program against real SMTP servers,
checked on what the servers received."""

import os
import re
import shutil
import tempfile
import time
import unittest

from outils import Certificats, Programme, Serveur, config_smtp, US

RACINE = None
CERTS = None


def setUpModule():
    global RACINE, CERTS
    RACINE = tempfile.mkdtemp(prefix="corvelle-e2e-")
    CERTS = Certificats(os.path.join(RACINE, "certs"))


def tearDownModule():
    shutil.rmtree(RACINE, ignore_errors=True)


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
    def test_text_html_headers_and_blind_copies(self):
        self.envoie("/a:bob,Alice Martin <alice@ailleurs.test>", "/cc:carl", "/cci:dora,eve",
                    "/o:Rapport", "/ct:Ligne 1§Ligne 2", "/ch:<p>Bonjour</p>", "/rep:retour@exemple.test",
                    "/arl", "/l")
        [(enveloppe, message)] = self.serveur.messages()
        self.assertEqual(enveloppe["mail_from"], "robot@exemple.test")
        self.assertEqual(sorted(enveloppe["rcpt_tos"]),
                         ["alice@ailleurs.test", "bob@exemple.test", "carl@exemple.test",
                          "dora@exemple.test", "eve@exemple.test"])
        self.assertEqual(adresses(message["To"]), ["alice@ailleurs.test", "bob@exemple.test"])
        self.assertEqual(adresses(message["Cc"]), ["carl@exemple.test"])
        self.assertIsNone(message["Bcc"])
        self.assertNotIn(b"dora", enveloppe["brut"])
        self.assertEqual(message["Reply-To"].addresses[0].addr_spec, "retour@exemple.test")
        self.assertIn("robot@exemple.test", message["Disposition-Notification-To"])
        self.assertIn("robot@exemple.test", message["Return-Receipt-To"])
        self.assertTrue(message["X-Mailer"].startswith("Corvelle v"))
        self.assertEqual(message.get_content_type(), "multipart/alternative")
        texte = message.get_body(("plain",)).get_content()
        self.assertEqual(texte.replace("\r\n", "\n").rstrip("\n"), "Ligne 1\nLigne 2")
        self.assertIn("<p>Bonjour</p>", message.get_body(("html",)).get_content())
        self.assertRegex(self.programme.journal(),
                         r"^\d\d/\d\d/\d{4} \d\d:\d\d:\d\d : Le message 'Rapport' a été envoyé à "
                         r"5 destinataire\(s\) en 1 envoi\(s\)\.\.\.\n$")

    def test_accented_texts_survive_each_charset(self):
        sujet = "Réunion d'été à Noël"
        corps = "Chère équipe, ça marche : àâçéèêëîïôùûü ÀÉ ÿ"
        for charset in ("Iso-8859-1", "Utf-8"):
            self.envoie("/a:bob", f"/o:{sujet}", f"/ct:{corps}", f"/en:{charset}")
        # Characters that Latin-1 cannot hold still arrive.
        self.envoie("/a:bob", "/o:Coût 5 € – œuvre", "/ct:Prix : 5 € – Жжж œ", "/en:Iso-8859-1")
        recus = self.serveur.messages()
        self.assertEqual(len(recus), 3)
        for (_, message), charset in zip(recus[:2], ("iso-8859-1", "utf-8")):
            self.assertEqual(message["Subject"], sujet)
            partie = message.get_body(("plain",))
            self.assertEqual(partie.get_content_charset(), charset)
            self.assertEqual(partie.get_content().rstrip("\r\n"), corps)
        _, dernier = recus[2]
        self.assertEqual(dernier["Subject"], "Coût 5 € – œuvre")
        self.assertEqual(dernier.get_body(("plain",)).get_content().rstrip("\r\n"),
                         "Prix : 5 € – Жжж œ")

    def test_html_only_body_gets_a_text_version(self):
        self.envoie("/a:bob", "/o:x", "/ch:<b>Bonjour</b>§tout le monde &amp; x < y")
        [(_, message)] = self.serveur.messages()
        texte = message.get_body(("plain",)).get_content()
        self.assertEqual(texte.replace("\r\n", "\n").rstrip("\n"), "Bonjour\ntout le monde &amp; x < y")

    def test_wildcard_attachments_go_once_on_every_batch(self):
        # More files than the program may hold open at once.
        noms = ["ç.txt"] + [f"{i:02d}.txt" for i in range(80)]
        for nom in noms:
            self.programme.ecrit(f"pj/{nom}", f"contenu de {nom}\n")
        self.programme.ecrit("pj/autre.pdf", "non")
        self.envoie("/a:u1,u2,u3", "/o:x", "/ct:y", "/pj:pj/*.txt", "/nde:1", descripteurs=64)
        recus = self.serveur.messages()
        self.assertEqual(len(recus), 3)
        self.assertEqual(len({e["connexion"] for e, _ in recus}), 1, "batches share one session")
        for _, message in recus:
            pieces = {p.get_filename(): p.get_payload(decode=True) for p in message.iter_attachments()}
            self.assertEqual(pieces, {n: f"contenu de {n}\n".encode() for n in noms})


class Lots(Base):
    def lots(self, nb_dest, repartition, a=0, cc=0, cci=0):
        self.programme.configure([config_smtp("Test", "127.0.0.1", self.serveur.port)],
                                 RépartitionDestinataires="-1" if repartition else "0",
                                 NbDest=str(nb_dest))
        champs = []
        for parametre, prefixe, nombre in (("/a:", "a", a), ("/cc:", "c", cc), ("/cci:", "z", cci)):
            if nombre:
                champs.append(parametre + ",".join(f"{prefixe}{i:02d}" for i in range(nombre)))
        self.envoie(*champs, "/o:lots", "/ct:x")
        resultat = []
        recus = self.serveur.messages()
        # The batches share one session and one built message, yet each is a
        # message of its own.
        self.assertEqual(len({m["Message-ID"] for _, m in recus}), len(recus))
        self.assertEqual(len({e["connexion"] for e, _ in recus}), 1)
        for enveloppe, message in recus:
            to, cc_ = len(adresses(message["To"])), len(adresses(message["Cc"]))
            self.assertIsNone(message["Bcc"])
            resultat.append((to, cc_, len(enveloppe["rcpt_tos"]) - to - cc_))
        return resultat

    def test_spreading_15_to_and_5_copies(self):
        self.assertEqual(self.lots(10, True, a=15, cc=5), [(7, 3, 0), (8, 2, 0)])

    def test_kinds_one_after_the_other_without_spreading(self):
        self.assertEqual(self.lots(10, False, a=15, cc=5, cci=3), [(10, 0, 0), (5, 0, 0), (0, 5, 3)])

    def test_spreading_fills_with_blind_copies_first(self):
        self.assertEqual(self.lots(10, True, a=1, cc=1, cci=19), [(0, 0, 10), (0, 1, 9), (1, 0, 0)])

    def test_no_limit_sends_once(self):
        self.assertEqual(self.lots(0, True, a=15, cc=5, cci=3), [(15, 5, 3)])


class Refus(Base):
    serveur_kwargs = {"refuse": ["b@exemple.test"]}

    def test_refused_recipient_fails_with_its_reply_in_the_log(self):
        self.envoie("/a:a,b,c", "/o:x", "/ct:y", "/nde:2", "/l", code=5)
        journal = self.programme.journal().split("\n")
        self.assertRegex(journal[0], r" : L'envoi du/des messages s'est terminé anormalement :$")
        self.assertRegex(journal[1], r"^ - .*550 5\.1\.1 <b@exemple\.test>: Recipient address rejected")
        self.assertEqual(len(self.serveur.messages()), 1)  # the other batch still went


class Tls(Base):
    ssl = True

    def chiffre_de_bout_en_bout(self, mode):
        for certificat, code, attendus in ((CERTS.bon, 0, 1), (CERTS.mauvais, 5, 0)):
            serveur = Serveur(RACINE, mode, certificat=certificat)
            self.addCleanup(serveur.arrete)
            self.programme.configure([config_smtp("Tls", "127.0.0.1", serveur.port, ssl=True)])
            self.envoie("/a:bob", "/o:secret", "/ct:y", code=code)
            recus = serveur.messages()
            self.assertEqual(len(recus), attendus, certificat)
            self.assertTrue(all(e["tls"] for e, _ in recus))

    def test_implicit_tls(self):
        self.chiffre_de_bout_en_bout("tls")

    def test_starttls(self):
        self.chiffre_de_bout_en_bout("starttls")

    def test_never_falls_back_to_plain(self):
        self.envoie("/a:bob", "/o:secret", "/ct:y", code=5)  # the plain server of setUp
        self.assertEqual(self.serveur.messages(), [])


class Authentification(Base):
    serveur_kwargs = {"auth": True}

    def test_login_and_plain(self):
        for mode, mot_de_passe, code in ((2, "s3cret é", 0), (3, "s3cret é", 0), (2, "faux", 5)):
            self.programme.configure([config_smtp("A", "127.0.0.1", self.serveur.port, auth=mode,
                                                  utilisateur="jean", mot_de_passe=mot_de_passe)])
            self.envoie("/a:bob", "/o:x", "/ct:y", code=code)
        self.assertEqual([e["utilisateur"] for e, _ in self.serveur.messages()], ["jean", "jean"])


class Echecs(Base):
    def test_silent_server_times_out(self):
        muet = Serveur(RACINE, "muet")
        self.addCleanup(muet.arrete)
        self.programme.configure([config_smtp("M", "127.0.0.1", muet.port)], TimeoutSMTP="1")
        debut = time.time()
        self.envoie("/a:bob", "/o:x", "/ct:y", "/l", code=5)
        self.assertLess(time.time() - debut, 30)
        self.assertIn(" - ", self.programme.journal())

    def test_log_folder_one_level_missing_is_created_two_are_an_error(self):
        un = os.path.join(self.programme.dossier, "journaux", "envoi.log")
        self.envoie("/a:bob", "/o:x", "/ct:y", f"/l:{un}")
        with open(un, encoding="utf-8") as journal:
            self.assertIn("a été envoyé", journal.read())
        self.assertEqual(os.stat(un).st_mode & 0o777, 0o600)
        deux = os.path.join(self.programme.dossier, "a", "b", "envoi.log")
        resultat = self.envoie("/a:bob", "/o:x", "/ct:y", f"/l:{deux}")
        self.assertIn("Une erreur (53) est survenue durant le traitement", resultat.stderr)

    def test_exit_codes_of_each_kind_of_error(self):
        self.programme.ecrit("liste.txt", "fic:manquant.txt\n")
        cas = [
            (1, ["/A:bob"], "Paramètre '/A:' inconnu... L'outil va être fermé."),
            (1, ["/a:", "/o:x"], "Le paramètre /a: a été invoqué"),
            (1, ["/a:bob", "/o:x", "/ct:a", "/ctf:liste.txt"], "plusieurs paramètres /ct: ou /ctf:"),
            (1, ["/a:bob", "/o:x", "/ctf:vide.txt"], "Une erreur (62)"),
            (1, ["/a:bob", "/o:x", "/ct:y", "/nde:0"], "/nde:"),
            (1, ["/a:bob", "/o:x", "/ct:y", "/conf:inconnue"], "/conf"),
            (2, ["/a:grp:Ventes", "/o:x", "/ct:y"], "impossible lorsque l'accès"),
            (3, ["/a:fic:liste.txt", "/o:x", "/ct:y"], "Aucun destinataire"),
            (4, ["/a:bob", "/o:x", "/ct:y", "/pj:absent.pdf"], "absent.pdf' est introuvable"),
        ]
        self.programme.ecrit("vide.txt", b"")
        for code, arguments, message in cas:
            resultat = self.envoie(*arguments, code=code)
            self.assertIn(message, resultat.stderr, arguments)
        self.assertEqual(self.serveur.messages(), [])
        # With /iep the missing attachment is reported and the message goes.
        resultat = self.envoie("/a:bob", "/o:x", "/ct:y", "/pj:absent.pdf", "/iep")
        self.assertIn("introuvable", resultat.stderr)
        self.assertEqual(len(self.serveur.messages()), 1)

    def test_recipient_files_nest_and_cycle(self):
        self.programme.ecrit("equipe.txt", "bob\r\nfic:autres.txt\r\n\r\n  carl  \r\n",
                             encodage="utf-16")
        self.programme.ecrit("autres.txt", "dora\nfic:equipe.txt\nBob\nbob@exemple.test\n")
        self.envoie("/a:fic:equipe.txt,fic:inconnu.txt", "/o:x", "/ct:y", "/l")
        [(enveloppe, _)] = self.serveur.messages()
        self.assertEqual(enveloppe["rcpt_tos"], ["Bob@exemple.test", "bob@exemple.test",
                                                 "carl@exemple.test", "dora@exemple.test"])
        self.assertIn("Le fichier de destinataires 'inconnu.txt' est introuvable",
                      self.programme.journal())

    def test_report_mail_goes_to_the_sender(self):
        self.envoie("/a:bob", "/o:Sauvegarde", "/ct:y", "/r")
        recus = self.serveur.messages(attente=2)
        self.assertEqual(len(recus), 2)
        enveloppe, rapport = recus[1]
        self.assertEqual(enveloppe["rcpt_tos"], ["robot@exemple.test"])
        self.assertEqual(rapport["Subject"], "Notification logiciel Corvelle...")
        self.assertIn("Le message 'Sauvegarde' a été envoyé", rapport.get_content())


if __name__ == "__main__":
    unittest.main()
