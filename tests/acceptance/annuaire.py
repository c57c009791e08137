"""A throwaway slapd on loopback, an Active Directory look-alike
(annuaire/ad.schema, annuaire/donnees.ldif), for the grp:<name> tests."""

import ctypes
import os
import shutil
import signal
import socket
import subprocess
import tempfile
import time
from urllib.parse import quote

from outils import Relais, cree_autorite, cree_certificat

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
# Entries a search gets without paging (the administrator has no limit).
LIMITE = 5
# Not the machine's /etc/ldap/ldap.conf nor ~/.ldaprc.
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
# Passwords only bind; all else is readable by anyone.
access to attrs=userPassword
    by anonymous auth
    by * none
access to *
    by * read

database mdb
# The memory map only: room for generated directories.
maxsize 1073741824
suffix "{base}"
rootdn "{admin}"
rootpw {mot_de_passe}
directory {dossier}/donnees
index objectClass eq
index sAMAccountName eq
index memberOf eq
# Large groups make the client page: paged results escape the hard limit.
limits * size.soft={limite} size.hard={limite} size.prtotal=unlimited
"""

TLS = """\
TLSCACertificateFile {ca}
TLSCertificateFile {certificat}
TLSCertificateKeyFile {cle}
"""


def certificats(racine):
    """(CA, certificate, key) for 127.0.0.1, made once under `racine`."""
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
    # No slapd outlives a crashed run (PR_SET_PDEATHSIG).
    ctypes.CDLL(None, use_errno=True).prctl(1, signal.SIGTERM)


class Annuaire:
    """slapd on 127.0.0.1 in a fresh folder under `racine`, with StartTLS by
    the CA in self.ca unless tls=False; `ldaps` adds an ldaps:// port,
    `ldapi` a local socket. ferme() stops it and removes its folder."""

    def __init__(self, racine, donnees=DONNEES, tls=True, ldaps=False, ldapi=False):
        self.dossier = tempfile.mkdtemp(dir=racine, prefix="annuaire-")
        self.ca, self.port_ldaps, self.processus, self.trace = None, None, None, None
        self.configuration = os.path.join(self.dossier, "slapd.conf")
        self.journal_chemin = os.path.join(self.dossier, "slapd.log")
        try:
            configuration_tls = ""
            if tls:
                self.ca, certificat, cle = certificats(racine)
                configuration_tls = TLS.format(ca=self.ca, certificat=certificat, cle=cle)
            with open(self.configuration, "w") as f:
                f.write(CONFIGURATION.format(
                    schemas=SCHEMAS_DEBIAN, schema_ad=SCHEMA_AD, modules=MODULES,
                    dossier=self.dossier, base=BASE, admin=ADMIN_DN,
                    mot_de_passe=ADMIN_MOT_DE_PASSE, limite=LIMITE, tls=configuration_tls))
            os.mkdir(os.path.join(self.dossier, "donnees"))
            chargement = subprocess.run([SLAPADD, "-q", "-f", self.configuration, "-l", donnees],
                                        capture_output=True, text=True, env=ENVIRONNEMENT)
            if chargement.returncode != 0:
                raise RuntimeError(f"slapadd failed: {chargement.stderr}")
            # A port found free can be taken before slapd binds it: try another.
            for essai in range(3):
                self.port = port_libre()
                self.port_ldaps = port_libre() if ldaps else None
                try:
                    self.demarre([self.uri] + [self.uri_ldaps] * ldaps + [self.uri_ldapi] * ldapi)
                    break
                except RuntimeError:
                    if essai == 2:
                        raise
        except BaseException:
            self.ferme()
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

    def demarre(self, ecoutes, attente=10.0):
        self.trace = open(self.journal_chemin, "a")
        # In the foreground, our child to stop; "stats" logs what a failure needs.
        self.processus = subprocess.Popen(
            [SLAPD, "-d", "stats", "-f", self.configuration, "-h", " ".join(ecoutes)],
            stdin=subprocess.DEVNULL, stdout=self.trace, stderr=subprocess.STDOUT,
            env=ENVIRONNEMENT, preexec_fn=meurt_avec_le_parent)
        fin = time.monotonic() + attente
        while not self.repond():
            if self.processus.poll() is not None or time.monotonic() >= fin:
                code = self.processus.poll()
                self.arrete()
                raise RuntimeError(f"slapd on port {self.port} stopped (code {code}) or did "
                                   f"not answer: see {self.journal_chemin}")
            time.sleep(0.05)

    def repond(self):
        # Our slapd, not something else that took the port and stays silent.
        try:
            resultat = subprocess.run(
                ["ldapsearch", "-x", "-LLL", "-H", self.uri, "-o", "nettimeout=1", "-l", "1",
                 "-b", "", "-s", "base", "(objectClass=*)", "namingContexts"],
                capture_output=True, text=True, env=ENVIRONNEMENT, timeout=3)
        except subprocess.TimeoutExpired:
            return False
        return resultat.returncode == 0 and f"namingContexts: {BASE}" in resultat.stdout

    def arrete(self):
        if self.processus is not None:
            self.processus.terminate()
            try:
                self.processus.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.processus.kill()
                self.processus.wait()
        if self.trace:
            self.trace.close()
        self.processus = self.trace = None

    def ferme(self):
        self.arrete()
        shutil.rmtree(self.dossier, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exception):
        self.ferme()


class RelaisMuet(Relais):
    """A relay that passes the first `passes` plain-LDAP requests of each
    connection and swallows the later ones: a server that stops answering
    mid-run."""

    def __init__(self, port_annuaire, passes):
        self.passes, self.etats = passes, {}
        super().__init__(port_annuaire)

    def transmet(self, sens, octets, cible):
        if sens == "S":
            return cible.sendall(octets)
        # Each LDAP request is one BER sequence: 0x30, its length, its content.
        etat = self.etats.setdefault(cible, [b"", 0])
        etat[0] += octets
        while len(etat[0]) >= 2:
            longueur, entete = etat[0][1], 2
            if longueur & 0x80:
                taille = longueur & 0x7F
                if len(etat[0]) < 2 + taille:
                    break
                longueur, entete = int.from_bytes(etat[0][2:2 + taille], "big"), 2 + taille
            if len(etat[0]) < entete + longueur:
                break
            message, etat[0] = etat[0][:entete + longueur], etat[0][entete + longueur:]
            if etat[1] < self.passes:
                cible.sendall(message)
            etat[1] += 1
