"""A throwaway OpenLDAP directory on loopback for the group expansion tests
(grp:<name>): an Active Directory look-alike, see annuaire/ad.schema and the
data in annuaire/donnees.ldif."""

import ctypes
import os
import shutil
import signal
import socket
import subprocess
import tempfile
import threading
import time
from urllib.parse import quote

from outils import cree_autorite, cree_certificat

ICI = os.path.dirname(os.path.abspath(__file__))
DONNEES = os.path.join(ICI, "annuaire", "donnees.ldif")
SCHEMA_AD = os.path.join(ICI, "annuaire", "ad.schema")
SCHEMAS_DEBIAN = "/etc/ldap/schema"
MODULES = "/usr/lib/ldap"
SLAPD = "/usr/sbin/slapd"
SLAPADD = "/usr/sbin/slapadd"

BASE = "dc=exemple,dc=test"
ADMIN_DN = f"cn=admin,{BASE}"
ADMIN_MOT_DE_PASSE = "admin"
LECTEUR_DN = f"cn=lecteur,{BASE}"
LECTEUR_MOT_DE_PASSE = "lecture"
# A search without paged results gets at most this many entries (the
# administrator excepted); with paged results, there is no limit on the total.
LIMITE = 5

# ldapsearch and the program's libldap would otherwise read the machine's
# /etc/ldap/ldap.conf and ~/.ldaprc.
ENVIRONNEMENT = {"PATH": "/usr/bin:/bin", "LDAPNOINIT": "1"}

CONFIGURATION = """\
include {schemas}/core.schema
include {schemas}/cosine.schema
include {schemas}/inetorgperson.schema
include {schema_ad}

modulepath {modules}
moduleload back_mdb

pidfile {dossier}/slapd.pid
argsfile {dossier}/slapd.args
{tls}
# Passwords are readable by nobody, used only to bind; everything else is
# readable by anyone, bound or not.
access to attrs=userPassword
    by anonymous auth
    by * none
access to *
    by * read

database mdb
# Only the size of the memory map: the file grows with the data. Room for
# generated directories far larger than donnees.ldif.
maxsize 1073741824
suffix "{base}"
rootdn "{admin}"
rootpw {mot_de_passe}
directory {dossier}/donnees
index objectClass eq
index sAMAccountName eq
index memberOf eq
# Large groups must make the client page (size.prtotal: paged results are
# not held to the hard limit); the root DN has no limits.
limits * size.soft={limite} size.hard={limite} size.prtotal=unlimited
"""


TLS = """\
TLSCACertificateFile {ca}
TLSCertificateFile {certificat}
TLSCertificateKeyFile {cle}
"""


def certificats(racine):
    """The test CA and slapd's certificate for 127.0.0.1, made once under
    `racine`: (CA file, certificate file, key file)."""
    dossier = os.path.join(racine, "pki-annuaire")
    if not os.path.exists(os.path.join(dossier, "annuaire.pem")):
        os.makedirs(dossier, exist_ok=True)
        cree_autorite(dossier, "ca")
        cree_certificat(dossier, "ca", "annuaire")
    return tuple(os.path.join(dossier, nom) for nom in ("ca.pem", "annuaire.pem", "annuaire.key"))


def port_libre():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def meurt_avec_le_parent():
    """In the child: slapd gets SIGTERM if the test process dies without
    cleaning up, so no server outlives a crashed run."""
    PR_SET_PDEATHSIG = 1
    ctypes.CDLL(None, use_errno=True).prctl(PR_SET_PDEATHSIG, signal.SIGTERM)


class Annuaire:
    """One slapd on 127.0.0.1 with donnees.ldif loaded, in a fresh folder
    under `racine`. ferme() stops it and removes its folder. Also a context
    manager.

    Like a real Active Directory, it offers StartTLS on ldap:// with a
    certificate from the CA in self.ca (None with tls=False: no TLS at all).
    `ldaps` adds an ldaps:// port, `ldapi` a local socket. Paged searches
    get pages of the size asked for, whatever it is."""

    def __init__(self, racine, donnees=DONNEES, tls=True, ldaps=False, ldapi=False):
        self.dossier = tempfile.mkdtemp(dir=racine, prefix="annuaire-")
        self.ca, self.port_ldaps = None, None
        self._ldaps, self._ldapi = ldaps, ldapi
        self.configuration = os.path.join(self.dossier, "slapd.conf")
        self.journal_chemin = os.path.join(self.dossier, "slapd.log")
        self.processus = None
        self.trace = None
        try:
            configuration_tls = ""
            if tls:
                self.ca, certificat, cle = certificats(racine)
                configuration_tls = TLS.format(ca=self.ca, certificat=certificat, cle=cle)
            self._prepare(donnees, configuration_tls)
        except BaseException:
            self.ferme()
            raise

    def _prepare(self, donnees, tls):
        with open(self.configuration, "w") as f:
            f.write(CONFIGURATION.format(schemas=SCHEMAS_DEBIAN, schema_ad=SCHEMA_AD,
                                         modules=MODULES, dossier=self.dossier, base=BASE,
                                         admin=ADMIN_DN, mot_de_passe=ADMIN_MOT_DE_PASSE,
                                         limite=LIMITE, tls=tls))
        os.mkdir(os.path.join(self.dossier, "donnees"))
        chargement = subprocess.run([SLAPADD, "-q", "-f", self.configuration, "-l", donnees],
                                    capture_output=True, text=True, env=ENVIRONNEMENT)
        if chargement.returncode != 0:
            raise RuntimeError(f"slapadd failed: {chargement.stderr}")
        # A port found free can be taken before slapd binds it: try another.
        for essai in range(3):
            self.port = port_libre()
            if self._ldaps:
                self.port_ldaps = port_libre()
            try:
                self.demarre()
                break
            except RuntimeError:
                if essai == 2:
                    raise

    @property
    def uri(self):
        return f"ldap://127.0.0.1:{self.port}/"

    @property
    def uri_ldaps(self):
        return f"ldaps://127.0.0.1:{self.port_ldaps}/"

    @property
    def uri_ldapi(self):
        return "ldapi://" + quote(os.path.join(self.dossier, "ldapi"), safe="")

    def _ecoutes(self):
        return " ".join([self.uri] + ([self.uri_ldaps] if self._ldaps else [])
                        + ([self.uri_ldapi] if self._ldapi else []))

    def demarre(self, attente=10.0):
        self.trace = open(self.journal_chemin, "a")
        # -d keeps slapd in the foreground, so that it is our child to stop;
        # "stats" logs each connection, bind and search with its filter and
        # result, which is what a failing test needs to see.
        self.processus = subprocess.Popen(
            [SLAPD, "-d", "stats", "-f", self.configuration, "-h", self._ecoutes()],
            stdin=subprocess.DEVNULL, stdout=self.trace, stderr=subprocess.STDOUT,
            env=ENVIRONNEMENT, preexec_fn=meurt_avec_le_parent)
        fin = time.monotonic() + attente
        while True:
            if self.processus.poll() is not None:
                code = self.processus.returncode
                self._oublie()
                raise RuntimeError(f"slapd stopped (code {code}) on port {self.port}: "
                                   f"see {self.journal_chemin}")
            if self.repond():
                return
            if time.monotonic() >= fin:
                self.arrete()
                raise RuntimeError(f"slapd did not answer on port {self.port}")
            time.sleep(0.05)

    def repond(self):
        """Whether our slapd answers on the port (not something else that
        took it first: that one may accept and stay silent)."""
        try:
            resultat = subprocess.run(
                ["ldapsearch", "-x", "-LLL", "-H", self.uri, "-o", "nettimeout=1", "-l", "1",
                 "-b", "", "-s", "base", "(objectClass=*)", "namingContexts"],
                capture_output=True, text=True, env=ENVIRONNEMENT, timeout=3)
        except subprocess.TimeoutExpired:
            return False
        return resultat.returncode == 0 and f"namingContexts: {BASE}" in resultat.stdout

    def arrete(self):
        if self.processus is None:
            return
        self.processus.terminate()
        try:
            self.processus.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.processus.kill()
            self.processus.wait()
        self._oublie()

    def _oublie(self):
        self.processus = None
        if self.trace:
            self.trace.close()
            self.trace = None

    def ferme(self):
        self.arrete()
        shutil.rmtree(self.dossier, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exception):
        self.ferme()


class Relais:
    """A relay on loopback to the directory on `port_annuaire` that records
    every byte either way (octets()). With `passes`, it passes the first
    `passes` client requests and then swallows every request: a server that
    stops answering mid-run (plain LDAP only: requests are read as BER)."""

    def __init__(self, port_annuaire, passes=None):
        self._ecoute = socket.socket()
        self._ecoute.bind(("127.0.0.1", 0))
        self._ecoute.listen(5)
        self.port = self._ecoute.getsockname()[1]
        self._cible, self._passes = port_annuaire, passes
        self._capture, self._verrou, self._clients = bytearray(), threading.Lock(), []
        threading.Thread(target=self._accepte, daemon=True).start()

    def _accepte(self):
        while True:
            try:
                client, _ = self._ecoute.accept()
            except OSError:
                return
            serveur = socket.create_connection(("127.0.0.1", self._cible))
            threading.Thread(target=self._relaie, args=(serveur, client), daemon=True).start()
            fil = threading.Thread(target=self._relaie, args=(client, serveur, self._passes),
                                   daemon=True)
            with self._verrou:
                self._clients.append(fil)
            fil.start()

    def _relaie(self, source, destination, passes=None):
        # Each LDAP request is one BER sequence: 0x30, its length, its content.
        tampon, passees = b"", 0
        try:
            while donnees := source.recv(65536):
                with self._verrou:
                    self._capture += donnees
                if passes is None:
                    destination.sendall(donnees)
                    continue
                tampon += donnees
                while len(tampon) >= 2:
                    longueur, entete = tampon[1], 2
                    if longueur & 0x80:
                        octets = longueur & 0x7F
                        if len(tampon) < 2 + octets:
                            break
                        longueur, entete = int.from_bytes(tampon[2:2 + octets], "big"), 2 + octets
                    if len(tampon) < entete + longueur:
                        break
                    message, tampon = tampon[:entete + longueur], tampon[entete + longueur:]
                    if passees < passes:
                        destination.sendall(message)
                    passees += 1
        except OSError:
            pass
        finally:
            # Either end closing ends both ways: the other thread wakes up.
            for extremite in (source, destination):
                try:
                    extremite.shutdown(socket.SHUT_RDWR)
                except OSError:
                    pass

    def octets(self):
        """Every byte relayed, once the clients have closed their connections
        (the program has ended): nothing it sent can be missing."""
        with self._verrou:
            clients = list(self._clients)
        for fil in clients:
            fil.join(timeout=10)
        with self._verrou:
            return bytes(self._capture)

    def ferme(self):
        self._ecoute.close()
