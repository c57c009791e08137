"""The installed program: the layout `cmake --install` (or the Debian package)
lays out, the manual page, and where an installed copy and a portable copy
keep their files.

CORVELLE_PREFIXE names the prefix to check. With CORVELLE_BUILD as well, that
prefix must lie inside the build folder: it is emptied and installed afresh
from that build first. CORVELLE_VERSION is the project's version."""

import glob
import gzip
import os
import re
import shutil
import struct
import subprocess
import tempfile
import unittest

from outils import Serveur, config_smtp, RS

PREFIXE = os.environ.get("CORVELLE_PREFIXE", "")
BUILD = os.environ.get("CORVELLE_BUILD", "")
VERSION = os.environ.get("CORVELLE_VERSION", "")
RACINE = None


def installe_depuis_le_build():
    prefixe, build = os.path.realpath(PREFIXE), os.path.realpath(BUILD)
    if os.path.commonpath([prefixe, build]) != build or prefixe == build:
        raise RuntimeError(f"{prefixe} is not a folder of the build {build}: not wiping it")
    shutil.rmtree(prefixe, ignore_errors=True)
    cmake = os.environ.get("CORVELLE_CMAKE", "cmake")
    subprocess.run([cmake, "--install", build], check=True, stdout=subprocess.DEVNULL)


def setUpModule():
    global RACINE
    if not PREFIXE:
        raise unittest.SkipTest("CORVELLE_PREFIXE is not set")
    if BUILD:
        installe_depuis_le_build()
    RACINE = tempfile.mkdtemp(prefix="corvelle-installation-")


def tearDownModule():
    if RACINE:
        shutil.rmtree(RACINE, ignore_errors=True)


def chemin(*morceaux):
    return os.path.join(PREFIXE, *morceaux)


def modules_installes():
    return (glob.glob(chemin("lib*", "corvelle", "corvelle-ui.so")) +
            glob.glob(chemin("lib*", "*", "corvelle", "corvelle-ui.so")))


def taille_png(fichier):
    with open(fichier, "rb") as f:
        entete = f.read(24)
    if entete[:8] != b"\x89PNG\r\n\x1a\n":
        raise AssertionError(f"{fichier} is not a PNG")
    return struct.unpack(">II", entete[16:24])


# Ends the program once its compose window is painted: the window benchmark's
# probe, preloaded; the sanitizer runtime need not come first for it.
def sonde_requise(test):
    """A window ends by itself only with the paint probe (CTest names it)."""
    if not os.environ.get("CORVELLE_MESURE"):
        test.skipTest("no paint probe (CORVELLE_MESURE) to end the window")


FIN_APRES_AFFICHAGE = {"QT_QPA_PLATFORM": "offscreen",
                       "LD_PRELOAD": os.environ.get("CORVELLE_MESURE", ""),
                       "ASAN_OPTIONS": "verify_asan_link_order=0"}


def lance(binaire, *arguments, env=None, dossier=None, delai=60):
    environnement = {"PATH": "/usr/bin:/bin", "LANG": "fr_FR.UTF-8"}
    for cle in ("LSAN_OPTIONS", "ASAN_OPTIONS", "UBSAN_OPTIONS"):
        if cle in os.environ:
            environnement[cle] = os.environ[cle]
    environnement.update(env or {})
    return subprocess.run([binaire, *arguments], cwd=dossier or RACINE, env=environnement,
                          capture_output=True, text=True, timeout=delai)


class Disposition(unittest.TestCase):
    def test_program_module_translations_and_manual_in_their_folders(self):
        programme = chemin("bin", "corvelle")
        self.assertTrue(os.access(programme, os.X_OK), programme)
        self.assertEqual(len(modules_installes()), 1, modules_installes())
        self.assertTrue(os.path.isfile(chemin("share", "corvelle", "English.lng")))
        with gzip.open(chemin("share", "man", "man1", "corvelle.1.gz"), "rt") as f:
            self.assertTrue(f.readline().startswith(".\\\""))
        self.assertTrue(os.path.isfile(chemin("share", "doc", "corvelle", "CHANGELOG.md")))
        with open(chemin("share", "doc", "corvelle", "copyright"), encoding="utf-8") as f:
            copyright = f.read()
        self.assertRegex(copyright, r"(?m)^Copyright: 2026 The Corvelle developers$")
        self.assertRegex(copyright, r"(?m)^License: Expat$")
        # Nothing the program writes itself comes with the installation.
        self.assertNotIn("Corvelle.ini", os.listdir(chemin("bin")))

    def test_menu_entry_and_icons_of_every_size(self):
        entree = chemin("share", "applications", "corvelle.desktop")
        resultat = subprocess.run(["desktop-file-validate", entree], capture_output=True,
                                  text=True)
        self.assertEqual(resultat.returncode, 0, resultat.stdout + resultat.stderr)
        with open(entree, encoding="utf-8") as f:
            lignes = f.read().splitlines()
        self.assertIn("Exec=corvelle", lignes)
        self.assertIn("Icon=corvelle", lignes)

        hicolor = chemin("share", "icons", "hicolor")
        self.assertTrue(os.path.isfile(os.path.join(hicolor, "scalable", "apps", "corvelle.svg")))
        pngs = glob.glob(os.path.join(hicolor, "*x*", "apps", "corvelle.png"))
        self.assertGreaterEqual(len(pngs), 4, pngs)
        for png in pngs:
            dossier = os.path.basename(os.path.dirname(os.path.dirname(png)))
            cote = int(dossier.split("x")[0])
            self.assertEqual(taille_png(png), (cote, cote), png)


    def test_bash_completes_parameters_and_file_names(self):
        dossier = tempfile.mkdtemp(dir=RACINE)
        for nom in ("rapport.txt", "rapport.pdf", "equipe.txt"):
            open(os.path.join(dossier, nom), "w").close()
        os.mkdir(os.path.join(dossier, "apercus"))
        script = ('source "$1"; shift; for ligne; do COMP_LINE=$ligne COMP_POINT=${#ligne} '
                  'COMP_WORDS=(corvelle) COMP_CWORD=0; _corvelle; '
                  'printf "%s\\n" "${COMPREPLY[@]}" | LC_ALL=C sort | tr "\\n" "|"; echo; done')
        lignes = ["corvelle /ct", "corvelle --dr", "corvelle /a:x /pj:a.pdf,rap",
                  "corvelle /a:bob,fic:eq", "corvelle /ctf:rapport.t", "corvelle /apercu:"]
        resultat = subprocess.run(
            ["bash", "-c", script, "completion",
             chemin("share", "bash-completion", "completions", "corvelle"), *lignes],
            cwd=dossier, capture_output=True, text=True, check=True)
        # bash replaces only what follows the last colon of the argument.
        self.assertEqual(resultat.stdout.splitlines(),
                         ["/ct:|/ctf:|", "--dry-run|", "a.pdf,rapport.pdf|a.pdf,rapport.txt|",
                          "equipe.txt|", "rapport.txt|", "apercus/|"])


class Manuel(unittest.TestCase):
    page = None

    @classmethod
    def setUpClass(cls):
        cls.page = chemin("share", "man", "man1", "corvelle.1.gz")
        rendu = subprocess.run(["man", "-l", cls.page], capture_output=True, text=True,
                               env={**os.environ, "MANWIDTH": "100", "MAN_KEEP_FORMATTING": ""})
        # Without bold and underlining, as a pipe gets it.
        cls.texte = re.sub(r".\x08", "", rendu.stdout)

    def test_renders_without_a_warning(self):
        with gzip.open(self.page, "rt", encoding="utf-8") as f:
            source = f.read()
        resultat = subprocess.run(["groff", "-man", "-Tutf8", "-ww", "-z"], input=source,
                                  capture_output=True, text=True)
        self.assertEqual(resultat.returncode, 0)
        self.assertEqual(resultat.stderr, "")
        for titre in ("NAME", "SYNOPSIS", "OPTIONS", "EXIT STATUS", "FILES", "EXAMPLES"):
            self.assertRegex(self.texte, rf"(?m)^{titre}$")

    def test_documents_every_parameter_and_exit_status_of_the_help(self):
        aide = lance(chemin("bin", "corvelle"), "--help").stdout
        parametres = set(re.findall(r"(?<![\w<>/])/(?:[a-z]+:?|@:|\?)", aide))
        self.assertGreaterEqual(len(parametres), 20, parametres)
        for parametre in sorted(parametres):
            self.assertIn(parametre, self.texte)
        codes = re.search(r"(?ms)^Codes de sortie :\n(.*?)\n\n", aide).group(1)
        statuts = self.texte.split("EXIT STATUS", 1)[1].split("\nFILES", 1)[0]
        for code in re.findall(r"(?m)^\s+(\d)\s", codes):
            self.assertRegex(statuts, rf"(?m)^\s+{code}\s")
        for sujet in ("fic:", "grp:", "crontab", "/nde:50", " /r "):
            self.assertIn(sujet, self.texte)

    def test_carries_the_project_version(self):
        if not VERSION:
            self.skipTest("CORVELLE_VERSION is not set")
        with gzip.open(self.page, "rt", encoding="utf-8") as f:
            self.assertIn(f'"Corvelle {VERSION}"', f.read())


class Installe(unittest.TestCase):
    """The installed program keeps its files in the per-user folder."""

    def setUp(self):
        self.dossier = tempfile.mkdtemp(dir=RACINE)
        self.xdg = os.path.join(self.dossier, "xdg")
        self.maison = os.path.join(self.dossier, "maison")
        os.makedirs(self.maison)
        self.utilisateur = os.path.join(self.xdg, "Tavrin", "Corvelle")
        self.programme = chemin("bin", "corvelle")

    def lance(self, *arguments, langue="fr_FR.UTF-8", **env):
        return lance(self.programme, *arguments, dossier=self.dossier,
                     env={"XDG_CONFIG_HOME": self.xdg, "HOME": self.maison, "LANG": langue,
                          **env})

    def test_version_and_help_on_standard_output(self):
        # One version: the project's, which the package and the manual carry.
        for demande in ("--version", "-V"):
            version = self.lance(demande)
            self.assertEqual((version.returncode, version.stdout, version.stderr),
                             (0, f"Corvelle {VERSION}\n", ""))
        titre = "Corvelle v" + ".".join(VERSION.split(".")[:2])
        for demande in ("--help", "-h", "/?"):
            aide = self.lance(demande)
            self.assertEqual((aide.returncode, aide.stderr), (0, ""))
            self.assertTrue(aide.stdout.startswith(titre), aide.stdout[:80])
            self.assertIn("/cci:<liste>", aide.stdout)
            # The interface language, from the installed translation.
            aide = self.lance(demande, langue="en_US.UTF-8")
            self.assertEqual((aide.returncode, aide.stderr), (0, ""))
            premieres = aide.stdout.split("\n")[:3]
            self.assertTrue(premieres[0].startswith(titre), aide.stdout[:80])
            self.assertEqual(premieres[1:], ["", "Corvelle sends a message through an SMTP "
                                                 "server, from its compose window"])
            self.assertIn("/cci:<list>", aide.stdout)
        self.assertFalse(os.path.exists(chemin("bin", "Corvelle.ini")))

    def test_first_start_creates_the_configuration_in_the_user_folder_in_english(self):
        resultat = self.lance("/a:quelqu.un", "/ct:Texte", langue="en_US.UTF-8")
        self.assertEqual(resultat.returncode, 1, resultat.stderr)
        # The English file was found in the installed data folder.
        self.assertIn("The parameter holding the message subject (/o:) is missing",
                      resultat.stderr)
        configuration = os.path.join(self.utilisateur, "Corvelle.ini")
        self.assertTrue(os.path.isfile(configuration))
        self.assertNotIn("Corvelle.ini", os.listdir(chemin("bin")))
        self.assertEqual(os.listdir(self.maison), [])

    def test_send_logs_in_the_user_folder(self):
        serveur = Serveur(self.dossier)
        self.addCleanup(serveur.arrete)
        os.makedirs(self.utilisateur)
        with open(os.path.join(self.utilisateur, "Corvelle.ini"), "w", encoding="utf-8") as f:
            f.write("[Configuration]\nConfigsSMTP=" +
                    RS.join([config_smtp("Test", "127.0.0.1", serveur.port)]) +
                    "\nSuffixe=exemple.test\nExpéditeurParDéfaut=Robot <robot@exemple.test>\n")
        resultat = self.lance("/a:bob", "/o:Installé", "/ct:Bonjour", "/l")
        self.assertEqual(resultat.returncode, 0, resultat.stderr)
        [(enveloppe, _)] = serveur.messages(attente=5)
        self.assertEqual(enveloppe["rcpt_tos"], ["bob@exemple.test"])
        with open(os.path.join(self.utilisateur, "Corvelle.log"), encoding="utf-8") as f:
            self.assertIn("Installé", f.read())
        self.assertNotIn("Corvelle.log", os.listdir(chemin("bin")))

    def test_compose_window_from_the_installed_module(self):
        # Leaves once the window is painted; a missing translation would stop
        # it on a message box, hence the English locale and the time limit.
        sonde_requise(self)
        resultat = self.lance(langue="en_US.UTF-8", **FIN_APRES_AFFICHAGE)
        self.assertEqual(resultat.returncode, 0, resultat.stderr)
        self.assertNotIn("windows unavailable", resultat.stderr)


class Mailer(unittest.TestCase):
    """The system mailer package, installed: root sends through the
    machine's settings, which the send leaves as they were."""

    REGLAGES = "/etc/corvelle/Corvelle.ini"

    def test_sendmail_t_as_root_through_the_machine_settings(self):
        if PREFIXE != "/usr" or os.getuid() != 0 or os.path.exists(self.REGLAGES):
            self.skipTest("needs the installed package, root and no machine settings yet")
        dossier = tempfile.mkdtemp(dir=RACINE)
        serveur = Serveur(dossier)
        self.addCleanup(serveur.arrete)
        os.makedirs(os.path.dirname(self.REGLAGES), exist_ok=True)
        with open(self.REGLAGES, "w", encoding="utf-8") as f:
            f.write("[Configuration]\nConfigsSMTP=" +
                    RS.join([config_smtp("Relais", "127.0.0.1", serveur.port)]) +
                    "\nExpéditeurParDéfaut=Machine <machine@exemple.test>\n")
        self.addCleanup(shutil.rmtree, os.path.dirname(self.REGLAGES))
        avant = os.stat(self.REGLAGES).st_mtime_ns
        resultat = subprocess.run(["/usr/sbin/sendmail", "-t"],
                                  input="To: ops@exemple.test\nSubject: RAID\n\ndegraded\n",
                                  capture_output=True, text=True, timeout=60,
                                  env={"PATH": "/usr/bin:/bin", "HOME": dossier})
        self.assertEqual((resultat.returncode, resultat.stdout, resultat.stderr), (0, "", ""))
        [(enveloppe, message)] = serveur.messages(attente=5)
        self.assertEqual((enveloppe["mail_from"], enveloppe["rcpt_tos"]),
                         ("machine@exemple.test", ["ops@exemple.test"]))
        self.assertEqual(os.stat(self.REGLAGES).st_mtime_ns, avant)
        mailq = subprocess.run(["/usr/bin/mailq"], capture_output=True, text=True,
                               env={"PATH": "/usr/bin:/bin", "HOME": dossier, "LANG": "C"})
        self.assertEqual((mailq.returncode, mailq.stdout), (0, "Mail queue is empty\n"))


class Portable(unittest.TestCase):
    """A copy outside the prefix keeps its files beside itself."""

    def setUp(self):
        self.dossier = tempfile.mkdtemp(dir=RACINE)
        self.copie = os.path.join(self.dossier, "corvelle")
        shutil.copy(chemin("bin", "corvelle"), self.copie)
        self.xdg = os.path.join(self.dossier, "xdg")
        os.makedirs(self.xdg)

    def lance(self, *arguments, **env):
        return lance(self.copie, *arguments, dossier=self.dossier,
                     env={"XDG_CONFIG_HOME": self.xdg, "HOME": self.dossier, **env})

    def test_window_module_beside_the_copy_else_the_installed_one(self):
        sonde_requise(self)
        [installe] = modules_installes()
        a_cote = os.path.join(self.dossier, "corvelle-ui.so")
        for attendu in (installe, a_cote):
            if attendu == a_cote:
                shutil.copy(installe, a_cote)
            # The loader names each library it loads.
            resultat = self.lance(LD_DEBUG="files", **FIN_APRES_AFFICHAGE)
            self.assertEqual(resultat.returncode, 0, resultat.stderr[-2000:])
            self.assertNotIn("windows unavailable", resultat.stderr)
            self.assertIn(f"file={attendu} [0];  dynamically loaded", resultat.stderr)


if __name__ == "__main__":
    unittest.main()
