"""A private Postfix smtpd for the tests (PIPELINING, CHUNKING, DSN, SMTPUTF8,
SIZE), delivering to the discard transport, and a relay that records the
dialogue between the program and it."""

import os
import re
import socket
import subprocess
import tempfile
import time

from outils import Relais

MAIN_CF = """compatibility_level = 3.6
queue_directory = {T}/spool
data_directory = {T}/data
command_directory = /usr/sbin
daemon_directory = /usr/lib/postfix/sbin
mail_owner = postfix
setgid_group = postdrop
inet_interfaces = 127.0.0.1
inet_protocols = ipv4
myhostname = test.local
mydestination =
alias_maps =
alias_database =
relay_domains = *
mynetworks = 127.0.0.0/8
smtpd_relay_restrictions = permit_mynetworks, reject
smtpd_recipient_restrictions = check_recipient_access texthash:{T}/etc/refus, permit_mynetworks
default_transport = discard
relay_transport = discard
local_transport = discard
smtputf8_enable = yes
maillog_file = /dev/stdout
message_size_limit = 10240000
"""

MASTER_CF = """127.0.0.1:{port} inet n - n - - smtpd
pickup    unix  n - n 60 1 pickup
cleanup   unix  n - n -  0 cleanup
qmgr      unix  n - n 300 1 qmgr
rewrite   unix  - - n -  - trivial-rewrite
bounce    unix  - - n -  0 bounce
defer     unix  - - n -  0 bounce
trace     unix  - - n -  0 bounce
verify    unix  - - n -  1 verify
flush     unix  n - n 1000? 0 flush
proxymap  unix  - - n -  - proxymap
showq     unix  n - n -  - showq
error     unix  - - n -  - error
retry     unix  - - n -  - error
discard   unix  - - n -  - discard
anvil     unix  - - n -  1 anvil
scache    unix  - - n -  1 scache
postlog   unix-dgram n - n - 1 postlogd
"""


def port_libre():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def accueille(port, delai):
    """Whether an smtpd greets on the port within `delai` seconds."""
    try:
        with socket.create_connection(("127.0.0.1", port), delai) as s:
            s.settimeout(delai)
            accueil = s.recv(512)
            s.sendall(b"QUIT\r\n")
            return accueil.startswith(b"220")
    except OSError:
        return False


def attend_accueil(port, journal, delai=90):
    """Waits for a greeting, not merely a listening master: the master may
    hold its smtpd back for a while (it throttles a service whose process
    failed), and a test would then see a silent server."""
    fin = time.time() + delai
    while time.time() < fin:
        if accueille(port, max(1, min(10, fin - time.time()))):
            return
        time.sleep(0.2)
    with open(journal) as f:
        raise RuntimeError(f"no smtpd greets on port {port}:\n" + f.read()[-2000:])


class Postfix:
    """One instance; `reglages` are main.cf lines added last, `refuse` the
    addresses its RCPT refuses."""

    def __init__(self, racine, refuse=(), **reglages):
        self.racine = tempfile.mkdtemp(dir=racine, prefix="postfix-")
        os.chmod(self.racine, 0o755)  # the postfix user walks down to its data
        for dossier in ("etc", "data", "spool"):
            os.makedirs(os.path.join(self.racine, dossier))
        subprocess.run(["chown", "postfix", os.path.join(self.racine, "data")], check=True)
        self.port = port_libre()
        main = MAIN_CF.format(T=self.racine)
        main += "".join(f"{cle} = {valeur}\n" for cle, valeur in reglages.items())
        self.ecrit("main.cf", main)
        self.ecrit("master.cf", MASTER_CF.format(port=self.port))
        self.ecrit("refus", "".join(f"{a} REJECT unknown user\n" for a in refuse))
        self.journal = os.path.join(self.racine, "postfix.log")
        with open(self.journal, "w") as sortie:
            self.processus = subprocess.Popen(["postfix", "-c", self.etc, "start-fg"],
                                              stdout=sortie, stderr=subprocess.STDOUT)
        attend_accueil(self.port, self.journal)

    @property
    def etc(self):
        return os.path.join(self.racine, "etc")

    def ecrit(self, nom, texte):
        with open(os.path.join(self.racine, "etc", nom), "w") as f:
            f.write(texte)

    def arrete(self):
        try:
            subprocess.run(["postfix", "-c", self.etc, "stop"], stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, timeout=30)
        except subprocess.TimeoutExpired:
            pass  # the kill below ends the master anyway
        try:
            self.processus.wait(20)
        except subprocess.TimeoutExpired:
            self.processus.kill()
            self.processus.wait()

    def livres(self, nombre, attente=20):
        """The recipients the discard transport delivered to, once there are
        `nombre` of them (or the wait is over)."""
        fin = time.time() + attente
        while True:
            with open(self.journal, errors="replace") as f:
                texte = f.read()
            adresses = sorted(re.findall(r"discard\[\d+\]: \w+: to=<([^>]*)>.*status=sent",
                                         texte))
            if len(adresses) >= nombre or time.time() >= fin:
                return adresses
            time.sleep(0.1)


class RelaisSMTP(Relais):
    """A relay that reads back the commands of the dialogue it recorded."""

    def commandes(self):
        """The client's command lines (BDAT and DATA content left out), and
        for each, how many server replies had come before it was sent."""
        lignes, reponses, contenu, reste, data = [], 0, False, 0, False
        with self.verrou:
            evenements = list(self.evenements)
        tampon = b""
        for sens, octets in evenements:
            if sens == "S":
                reponses += octets.count(b"\r\n")
                # The content follows DATA only once the server said 354.
                contenu = contenu or (data and b"\n354" in b"\n" + octets)
                continue
            tampon += octets
            while tampon:
                if reste:
                    pris = min(reste, len(tampon))
                    tampon, reste = tampon[pris:], reste - pris
                    continue
                if b"\r\n" not in tampon:
                    break
                ligne, tampon = tampon.split(b"\r\n", 1)
                if contenu:
                    contenu = ligne != b"."
                    continue
                texte = ligne.decode("utf-8", "replace")
                lignes.append((texte, reponses))
                mots = texte.split()
                data = mots[:1] == ["DATA"]
                if mots[:1] == ["BDAT"]:
                    reste = int(mots[1])
        return lignes
