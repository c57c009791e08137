"""The mail transaction against a real Postfix smtpd: what goes on the wire
in each mode it can offer, and what it delivered."""

import os
import re
import shutil
import tempfile
import unittest

from outils import Programme, config_smtp
from postfix import Postfix, RelaisSMTP

RACINE = None


def setUpModule():
    global RACINE
    RACINE = tempfile.mkdtemp(prefix="corvelle-postfix-")
    os.chmod(RACINE, 0o755)  # the postfix user walks down to its data folder


def tearDownModule():
    shutil.rmtree(RACINE, ignore_errors=True)


class Transaction(unittest.TestCase):
    def instance(self, refuse=(), **reglages):
        postfix = Postfix(RACINE, refuse=refuse, **reglages)
        self.postfix = postfix
        self.addCleanup(postfix.arrete)
        relais = RelaisSMTP(postfix.port)
        self.addCleanup(relais.ferme)
        programme = Programme(RACINE)
        programme.configure([config_smtp("P", "127.0.0.1", relais.port)])
        return postfix, relais, programme

    def envoie(self, programme, *arguments, code=0):
        resultat = programme.lance(*arguments, "/o:x", "/ct:y")
        self.assertEqual(resultat.returncode, code, resultat.stderr + self.journal())
        return resultat

    def journal(self):
        """The end of the server's log, to tell its faults from ours."""
        with open(self.postfix.journal) as f:
            return "\npostfix:\n" + f.read()[-3000:]

    def test_one_transcript_per_mode(self):
        # The replies each group waits for before the next goes: with DATA,
        # the verdict on a message comes with the next group's replies; with
        # BDAT, whole transactions go before any verdict is read, and the
        # last message takes QUIT in its own write.
        for reglages, fin, groupe, attendues in (
                ({}, "BDAT", True, (0, 0)),
                ({"smtpd_discard_ehlo_keywords": "chunking"}, "DATA", True, (4, 4)),
                ({"smtpd_discard_ehlo_keywords": "pipelining, chunking"}, "DATA", False, None)):
            with self.subTest(fin=fin, groupe=groupe):
                postfix, relais, programme = self.instance(**reglages)
                self.envoie(programme, "/a:a,b,c", "/nde:2")
                self.assertEqual(postfix.livres(3), ["a@exemple.test", "b@exemple.test",
                                                     "c@exemple.test"])
                commandes = relais.commandes()
                verbes = [c.split()[0].upper() for c, _ in commandes]
                self.assertEqual(verbes, ["EHLO", "MAIL", "RCPT", "RCPT", fin, "MAIL", "RCPT", fin,
                                          "QUIT"])
                self.assertRegex(commandes[1][0], r"^MAIL FROM:<robot@exemple\.test> SIZE=\d+$")
                # Pipelined, the envelope and DATA or BDAT go before any reply.
                for debut, fin_groupe in ((1, 5), (5, 8)):
                    vues = [n for _, n in commandes[debut:fin_groupe]]
                    self.assertEqual(len(set(vues)), 1 if groupe else len(vues), commandes)
                if groupe:
                    # One round trip a message.
                    vues = [n for _, n in commandes]
                    self.assertEqual((vues[5] - vues[1], vues[8] - vues[5]), attendues, commandes)

    def test_refused_recipients_and_the_others(self):
        postfix, relais, programme = self.instance(refuse=["b@exemple.test"],
                                                   smtpd_discard_ehlo_keywords="chunking")
        self.envoie(programme, "/a:a,b,c", "/l", code=5)
        self.assertEqual(postfix.livres(2), ["a@exemple.test", "c@exemple.test"])
        self.assertRegex(programme.journal(), r"\n - Sent to 2 of 3 recipients; refused: "
                                              r"b@exemple\.test: 554 5\.7\.1 <b@exemple\.test>")
        # Nobody left: no message content goes.
        avant = len(relais.commandes())
        self.envoie(programme, "/a:b", code=5)
        verbes = [c.split()[0].upper() for c, _ in relais.commandes()[avant:]]
        self.assertEqual(verbes, ["EHLO", "MAIL", "RCPT", "DATA", "RSET", "QUIT"])
        self.assertEqual(postfix.livres(3, attente=1), ["a@exemple.test", "c@exemple.test"])

    def test_a_recipient_limit_splits_the_batch_on_the_same_session(self):
        # 452 after 100 recipients: those accepted get the message, the others
        # a new transaction of at most 100, then the next batch goes.
        postfix, relais, programme = self.instance(smtpd_recipient_limit="100")
        tous = [f"r{n:03d}@exemple.test" for n in range(300)]
        self.envoie(programme, "/a:" + ",".join(tous), "/nde:150")
        self.assertEqual(postfix.livres(300), tous)
        verbes = [c.split()[0].upper() for c, _ in relais.commandes()]
        self.assertEqual((verbes.count("EHLO"), verbes.count("MAIL")), (1, 4))

    def test_a_streamed_message_declares_its_size(self):
        # With an attachment the message is written while it goes: its size,
        # estimated, is declared, so a server too small for it refuses at
        # MAIL and no content is sent.
        postfix, relais, programme = self.instance(message_size_limit="20000")
        piece = programme.ecrit("piece.bin", os.urandom(30000))
        resultat = programme.lance("/a:bob", "/o:x", "/ct:y", "/pj:" + piece)
        self.assertEqual(resultat.returncode, 5, resultat.stderr)
        self.assertIn("552 5.3.4", resultat.stderr)
        [mail] = [c for c, _ in relais.commandes() if c.startswith("MAIL")]
        self.assertTrue(41000 <= int(re.search(r" SIZE=(\d+)$", mail)[1]) <= 45000, mail)
        self.assertLess(len(relais.octets()), 5000)

    def test_dsn_and_smtputf8_parameters(self):
        postfix, relais, programme = self.instance()
        self.envoie(programme, "/a:josé@exemple.test", "/ar")
        # The success notice to the sender is the server honouring NOTIFY.
        self.assertEqual(postfix.livres(2), ["josé@exemple.test", "robot@exemple.test"])
        [mail] = [c for c, _ in relais.commandes() if c.startswith("MAIL")]
        self.assertRegex(mail, r" SMTPUTF8 RET=HDRS ENVID=\S+$")
        [rcpt] = [c for c, _ in relais.commandes() if c.startswith("RCPT")]
        self.assertEqual(rcpt, "RCPT TO:<josé@exemple.test> NOTIFY=SUCCESS,FAILURE")

    def test_what_the_server_does_not_take_is_never_sent(self):
        postfix, relais, programme = self.instance(smtputf8_enable="no", message_size_limit="2000")
        for arguments, raison in ((["/a:josé@exemple.test"], "(no SMTPUTF8)"),
                                  (["/a:bob", "/ct:" + "x" * 5000], "is larger than the server")):
            resultat = programme.lance(*arguments, "/o:x", *([] if len(arguments) > 1 else ["/ct:y"]))
            self.assertEqual(resultat.returncode, 5, resultat.stderr)
            self.assertIn(raison, resultat.stderr, self.journal())
        self.assertEqual([c for c, _ in relais.commandes() if c.startswith("MAIL")], [])
        self.assertEqual(postfix.livres(1, attente=1), [])


if __name__ == "__main__":
    unittest.main()
