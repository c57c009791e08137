#!/usr/bin/env bash
# One message with STARTTLS and AUTH PLAIN across a link of D = 40 ms (DELAI=
# another) to the acceptance suite's server offering PIPELINING as relays do
# (serveur_smtp.py --mode starttls --auth --pipelining): the round trips the
# client waits for, as latence.py counts them, and the wall time in units of D.
# The proxy listens on the submission port, 587, where corvelle asks for
# STARTTLS first (exit 2 when that port is taken). Every program named in
# CORVELLE_COMPARE (space-separated paths; the Release build by default) sends
# ROUNDS times (5 by default), in alternation with the others.
# Target: 7 round trips, the floor (greeting, EHLO, STARTTLS, TLS handshake,
# EHLO, AUTH with MAIL, RCPT and DATA, the content with QUIT), in the median
# run. The server sends no TLS session tickets: no client waits for them, but
# the proxy would count one more turn whenever they reach it between the
# client's Finished and its EHLO, which a busy machine makes likely.
set -euo pipefail
source "$(dirname "$0")/commun.sh"
dossier_travail
if [ -z "${CORVELLE_COMPARE:-}" ]; then
    construit
    CORVELLE_COMPARE="$root/build/src/corvelle"
fi
cd "$work"
ecrit_lettre 0
/usr/bin/python3 -B - "$root" "$work" "${ROUNDS:-5}" "${DELAI:-40}" $CORVELLE_COMPARE <<'PY'
import json, os, shutil, statistics, subprocess, sys, time
racine, work, rounds, delai, *programmes = sys.argv[1:]
acceptance = os.path.join(racine, "tests", "acceptance")
sys.path.insert(0, acceptance)
from outils import Certificats, chiffre
from serveur_smtp import MOT_DE_PASSE, UTILISATEUR

lances = []
def demarre(commande, quoi):
    """Starts a helper that prints "PRET <port>" once it listens."""
    processus = subprocess.Popen(commande, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                 text=True)
    ligne = processus.stdout.readline().split()
    if not ligne or ligne[0] != "PRET":
        processus.kill()
        for autre in lances:
            autre.kill()
        print(f"bench: {quoi} did not start", file=sys.stderr)
        sys.exit(2)
    lances.append(processus)
    return processus, int(ligne[1])

certs = Certificats(os.path.join(work, "certs"))
recus = os.path.join(work, "recus")
sans_tickets = (f"import sys; sys.path.insert(0, {acceptance!r}); import serveur_smtp as s; "
                "tls = s.contexte_tls\n"
                "def contexte(*a):\n    c = tls(*a); c.num_tickets = 0; return c\n"
                "s.contexte_tls = contexte; s.principal()")
serveur, port = demarre([sys.executable, "-c", sans_tickets, "--dossier", recus, "--mode",
                         "starttls", "--auth", "--pipelining", "--cert", certs.bon[0], "--cle",
                         certs.bon[1]], "the STARTTLS server")
compte = os.path.join(work, "tours.json")
proxy, _ = demarre([sys.executable, os.path.join(racine, "bench", "latence.py"), "--cible",
                    f"127.0.0.1:{port}", "--delai", delai, "--ecoute", "127.0.0.1:587",
                    "--compte", compte], "the latency proxy on port 587")

us = "\x1f"
copies = []
for n, programme in enumerate(programmes):
    dossier = os.path.join(work, f"c{n}")
    os.mkdir(dossier)
    shutil.copy(programme, os.path.join(dossier, "corvelle"))
    with open(os.path.join(dossier, "Corvelle.ini"), "w", encoding="utf-8") as f:
        f.write("[Configuration]\nConfigsSMTP=" +
                us.join(["Bench", "127.0.0.1", "-1", "587", "3", "", UTILISATEUR,
                         chiffre(MOT_DE_PASSE)]) +
                "\nExpéditeurParDéfaut=Bench <bench@example.test>\nSuffixe=example.test\n"
                "NbDest=25\nTimeoutSMTP=10000\n")
    copies.append((programme, dossier))

def connexions():
    try:
        with open(compte) as f:
            return json.load(f)
    except FileNotFoundError:
        return {"connexions": 0, "par_connexion": []}

envoyes = 0
def envoie(dossier):
    """Wall time and turns of one send, checked delivered over TLS as the user."""
    global envoyes
    avant = connexions()["connexions"]
    debut = time.monotonic()
    fin = subprocess.run(["./corvelle", "/a:bob@example.test", "/o:Sauvegarde",
                          f"/ctf:{work}/corps.txt"], cwd=dossier, capture_output=True, text=True,
                         env=dict(os.environ, CURL_CA_BUNDLE=certs.ca))
    duree = time.monotonic() - debut
    if fin.returncode != 0:
        sys.exit(f"bench: {dossier}/corvelle failed: {fin.stderr}")
    # The proxy writes its counts once both ends of the connection closed.
    for _ in range(50):
        if (etat := connexions())["connexions"] > avant:
            break
        time.sleep(0.1)
    else:
        sys.exit("bench: the proxy saw no connection end")
    envoyes += 1
    noms = sorted(n for n in os.listdir(recus) if n.endswith(".json"))
    with open(os.path.join(recus, noms[-1])) as f:
        enveloppe = json.load(f)
    if len(noms) != envoyes or not enveloppe["tls"] or enveloppe["utilisateur"] != UTILISATEUR:
        sys.exit(f"bench: message {envoyes} not received over TLS as {UTILISATEUR}: {enveloppe}")
    return duree, etat["par_connexion"][-1]

mesures = {}
try:
    for _ in range(int(rounds)):
        for programme, dossier in copies:
            mesures.setdefault(programme, []).append(envoie(dossier))
finally:
    proxy.terminate()
    serveur.kill()

d = float(delai)
print(f"one message, STARTTLS + AUTH PLAIN, D = {delai} ms, {rounds} rounds in alternation")
ok = True
for programme, valeurs in mesures.items():
    durees = [duree * 1000 for duree, _ in valeurs]
    tours = sorted(t for _, t in valeurs)
    bon = statistics.median(tours) <= 7
    ok = ok and bon
    mediane = statistics.median(durees)
    print(f"{programme}: median {mediane:.0f} ms (min {min(durees):.0f}, max {max(durees):.0f}) "
          f"= {mediane / d:.1f} x D; round trips median {statistics.median(tours):g} "
          f"(runs: {' '.join(map(str, tours))}) (target 7): {'OK' if bon else 'MISSED'}")
sys.exit(0 if ok else 1)
PY
