"""Shared pieces of the end-to-end tests: a test CA, test servers, and a copy
of the program in a fresh folder with its own configuration."""

import base64
import email
import email.policy
import hashlib
import json
import os
import resource
import shutil
import signal
import socket
import ssl
import subprocess
import tempfile
import threading
import time

ICI = os.path.dirname(os.path.abspath(__file__))
PYTHON = "/usr/bin/python3"  # the system interpreter has aiosmtpd
SERVEUR = os.path.join(ICI, "serveur_smtp.py")
BINAIRE = os.environ.get("CORVELLE_BIN", "")
US, RS = "\x1f", "\x1e"


def openssl(*arguments, dossier):
    subprocess.run(["openssl", *arguments], cwd=dossier, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def cree_autorite(dossier, nom):
    openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
            "-subj", f"/CN={nom}", "-keyout", f"{nom}.key", "-out", f"{nom}.pem", dossier=dossier)


def cree_certificat(dossier, autorite, nom):
    """A server certificate for 127.0.0.1 and localhost signed by `autorite`."""
    with open(os.path.join(dossier, f"{nom}.ext"), "w") as f:
        f.write("subjectAltName=IP:127.0.0.1,DNS:localhost\n")
    openssl("req", "-newkey", "rsa:2048", "-nodes", "-subj", "/CN=127.0.0.1",
            "-keyout", f"{nom}.key", "-out", f"{nom}.csr", dossier=dossier)
    openssl("x509", "-req", "-in", f"{nom}.csr", "-CA", f"{autorite}.pem", "-CAkey",
            f"{autorite}.key", "-CAcreateserial", "-days", "2", "-extfile", f"{nom}.ext",
            "-out", f"{nom}.pem", dossier=dossier)
    return os.path.join(dossier, f"{nom}.pem"), os.path.join(dossier, f"{nom}.key")


class Certificats:
    """The test CA and a server certificate it signed."""

    def __init__(self, dossier):
        os.makedirs(dossier, exist_ok=True)
        cree_autorite(dossier, "ca")
        self.ca = os.path.join(dossier, "ca.pem")
        self.bon = cree_certificat(dossier, "ca", "serveur")


class Serveur:
    """One test server process; messages land in self.dossier."""

    def __init__(self, racine, mode="plain", certificat=None, auth=False, refuse=(), altere=None,
                 oauth=None, mecanismes=None, pipelining=False, differe=()):
        self.dossier = tempfile.mkdtemp(dir=racine, prefix=f"{mode}-")
        commande = [PYTHON, SERVEUR, "--dossier", self.dossier, "--mode", mode]
        if oauth:  # the file of the tokens it takes
            commande += ["--oauth", oauth]
        if mecanismes:
            commande += ["--mecanismes", mecanismes]
        if certificat:
            commande += ["--cert", certificat[0], "--cle", certificat[1]]
        if auth:
            commande.append("--auth")
        if pipelining:
            commande.append("--pipelining")
        for adresse in refuse:
            commande += ["--refuse", adresse]
        for adresse in differe:
            commande += ["--differe", adresse]
        if altere:
            commande += ["--altere", *altere]
        self.lance(commande)

    def lance(self, commande):
        """Starts the server and waits for its "PRET <port>" line."""
        # The server's own chatter (TLS alerts the tests provoke) goes to a file.
        self.trace = open(os.path.join(self.dossier, "serveur.log"), "w")
        self.processus = subprocess.Popen(commande, stdout=subprocess.PIPE, stderr=self.trace,
                                          text=True)
        ligne = self.processus.stdout.readline().split()
        if not ligne or ligne[0] != "PRET":
            raise RuntimeError(f"test server did not start: {ligne}")
        self.port = int(ligne[1])

    def arrete(self):
        self.processus.kill()
        self.processus.wait()
        self.processus.stdout.close()
        self.trace.close()

    def messages(self, attente=0.0):
        """Messages received, in order: (envelope dict, parsed message)."""
        fin = time.time() + attente
        while True:
            noms = sorted(n for n in os.listdir(self.dossier) if n.endswith(".json"))
            if noms or time.time() >= fin:
                break
            time.sleep(0.05)
        recus = []
        for nom in noms:
            with open(os.path.join(self.dossier, nom)) as f:
                enveloppe = json.load(f)
            with open(os.path.join(self.dossier, nom[:-5] + ".eml"), "rb") as f:
                brut = f.read()
            enveloppe["brut"] = brut
            recus.append((enveloppe, email.message_from_bytes(brut, policy=email.policy.default)))
        return recus

    def lignes(self, nom):
        """The records of the JSON-lines log `nom` the server keeps, in order."""
        chemin = os.path.join(self.dossier, nom)
        if not os.path.exists(chemin):
            return []
        with open(chemin) as f:
            return [json.loads(ligne) for ligne in f]


def dossier_de_module(espace, prefixe, certificats=True):
    """setUpModule and tearDownModule of a test module: a scratch folder,
    RACINE, and the test certificates, CERTS, in the module's globals."""
    def prepare():
        espace["RACINE"] = tempfile.mkdtemp(prefix=prefixe)
        if certificats:
            espace["CERTS"] = Certificats(os.path.join(espace["RACINE"], "certs"))

    def range_():
        shutil.rmtree(espace["RACINE"], ignore_errors=True)

    return prepare, range_


# The optional fields an administrator sets, in their stored order.
CHAMPS_ADMINISTRATEUR = ("ehlo", "enveloppe", "ca", "empreinte", "certificat", "cle",
                         "certificat_oauth", "cle_oauth")


def config_smtp(nom, serveur, port, ssl=False, auth=0, pop="", utilisateur="", mot_de_passe="",
                oauth=(), **administrateur):
    """`oauth`: (token URL or tenant, client id, scope, token command); the
    password command field before them stays empty. `administrateur`: the
    fields after them, by their names in CHAMPS_ADMINISTRATEUR."""
    champs = [nom, serveur, "-1" if ssl else "0", str(port), str(auth), pop, utilisateur,
              chiffre(mot_de_passe)]
    if oauth or administrateur:
        champs += ["", *(oauth or ("",) * 4)]
    if administrateur:
        champs += [administrateur.pop(champ, "") for champ in CHAMPS_ADMINISTRATEUR]
        assert not administrateur, administrateur
    return US.join(champs)


def empreinte(certificat):
    """The SHA-256 of a PEM certificate's DER, as `openssl x509 -fingerprint` prints it."""
    with open(certificat) as f:
        der = ssl.PEM_cert_to_DER_cert(f.read())
    return "SHA256:" + ":".join("%02X" % b for b in hashlib.sha256(der).digest())


def chiffre(clair):
    octets = clair.encode("utf-8")
    n = len(octets)
    return "".join("%02X" % ((((b << 4) | (b >> 4)) & 0xFF) ^ ((255 - (n - j)) % 256))
                   for j, b in enumerate(octets, start=1))


def formes(mot_de_passe, utilisateur="jean"):
    """The password as typed, scrambled as stored, and in base64 as AUTH sends it."""
    return [mot_de_passe, chiffre(mot_de_passe),
            base64.b64encode(mot_de_passe.encode()).decode(),
            base64.b64encode(f"\0{utilisateur}\0{mot_de_passe}".encode()).decode()]


class SansSecret:
    """For a test case whose MOT_DE_PASSE must show in no output."""

    def sans_secret(self, texte, quoi):
        for forme in formes(self.MOT_DE_PASSE):
            self.assertNotIn(forme, texte, quoi)


class Programme:
    """A copy of the program in a fresh folder (a portable copy keeps its
    configuration and log beside itself)."""

    def __init__(self, racine):
        self.dossier = tempfile.mkdtemp(dir=racine, prefix="prog-")
        self.binaire = os.path.join(self.dossier, "corvelle")
        shutil.copy(BINAIRE, self.binaire)

    def configure(self, configs, **cles):
        lignes = ["[Configuration]", "ConfigsSMTP=" + RS.join(configs)]
        cles.setdefault("Suffixe", "exemple.test")
        cles.setdefault("TimeoutSMTP", "10")
        cles.setdefault("ExpéditeurParDéfaut", "Robot <robot@exemple.test>")
        lignes += [f"{cle}={valeur}" for cle, valeur in cles.items()]
        with open(os.path.join(self.dossier, "Corvelle.ini"), "w", encoding="utf-8") as f:
            f.write("\n".join(lignes) + "\n")

    def lance(self, *arguments, ca=None, delai=60, env=None, descripteurs=None, umask=-1,
              entree=None, taille_fichiers=None):
        environnement = {"PATH": "/usr/bin:/bin", "HOME": self.dossier, "LANG": "fr_FR.UTF-8",
                         **(env or {})}
        if ca:
            environnement["CURL_CA_BUNDLE"] = ca

        def limites():
            if descripteurs:  # at most this many open files, as `ulimit -n` sets
                resource.setrlimit(resource.RLIMIT_NOFILE, (descripteurs,) * 2)
            if taille_fichiers:  # `ulimit -f`: a write past it fails as on a full disk
                signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
                resource.setrlimit(resource.RLIMIT_FSIZE, (taille_fichiers,) * 2)

        return subprocess.run([self.binaire, *arguments], cwd=self.dossier, env=environnement,
                              capture_output=True, text=True, timeout=delai,
                              preexec_fn=limites if descripteurs or taille_fichiers else None,
                              umask=umask, input=entree)

    def journal(self, nom="Corvelle.log"):
        chemin = os.path.join(self.dossier, nom)
        if not os.path.exists(chemin):
            return ""
        with open(chemin, encoding="utf-8") as f:
            return f.read()

    def ecrit(self, nom, contenu, encodage="utf-8"):
        chemin = os.path.join(self.dossier, nom)
        os.makedirs(os.path.dirname(chemin), exist_ok=True)
        with open(chemin, "wb") as f:
            f.write(contenu if isinstance(contenu, bytes) else contenu.encode(encodage))
        return chemin


class GuichetJetons(Serveur):
    """The test OAuth2 token endpoint: grants `jeton-N` to one client and
    secret; the tokens it granted are listed in self.jetons."""

    def __init__(self, racine, certificat, client, secret, duree=3600, goutte=False,
                 certificat_client=None):
        self.dossier = tempfile.mkdtemp(dir=racine, prefix="jetons-")
        self.jetons = os.path.join(self.dossier, "jetons.txt")
        self.lance([PYTHON, os.path.join(ICI, "serveur_jetons.py"), "--dossier", self.dossier,
                    "--cert", certificat[0], "--cle", certificat[1], "--client", client,
                    "--secret", secret, "--duree", str(duree)] + ["--goutte"] * goutte
                   + (["--certificat-client", certificat_client] if certificat_client else []))
        self.url = f"https://127.0.0.1:{self.port}/locataire/token"

    def requetes(self):
        return self.lignes("requetes.log")


class Relais:
    """Between the program and a server on loopback: relays every byte and
    records it, in the order seen, as ("C" client or "S" server, bytes)."""

    def __init__(self, port_serveur):
        self.port_serveur = port_serveur
        self.evenements = []
        self.verrou = threading.Lock()
        self.fils = []
        self.ecoute = socket.socket()
        self.ecoute.bind(("127.0.0.1", 0))
        self.ecoute.listen(8)
        self.port = self.ecoute.getsockname()[1]
        threading.Thread(target=self.accepte, daemon=True).start()

    def accepte(self):
        while True:
            try:
                client, _ = self.ecoute.accept()
            except OSError:
                return
            serveur = socket.create_connection(("127.0.0.1", self.port_serveur))
            for source, cible, sens in ((client, serveur, "C"), (serveur, client, "S")):
                fil = threading.Thread(target=self.pompe, args=(source, cible, sens), daemon=True)
                with self.verrou:
                    self.fils.append(fil)
                fil.start()

    def transmet(self, sens, octets, cible):
        """What goes on to the other end; a relay that misbehaves changes it."""
        cible.sendall(octets)

    def pompe(self, source, cible, sens):
        try:
            while octets := source.recv(65536):
                with self.verrou:
                    self.evenements.append((sens, octets))
                self.transmet(sens, octets, cible)
        except OSError:
            pass
        finally:
            # Either end closing ends both ways: the other thread wakes up.
            for s in (source, cible):
                try:
                    s.shutdown(socket.SHUT_RDWR)
                except OSError:
                    pass

    def octets(self):
        """Every byte relayed, once the program has closed its connections."""
        with self.verrou:
            fils = list(self.fils)
        for fil in fils:
            fil.join(timeout=10)
        with self.verrou:
            return b"".join(octets for _, octets in self.evenements)

    def ferme(self):
        self.ecoute.close()
