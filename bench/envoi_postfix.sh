#!/usr/bin/env bash
# 1,000 messages of 10 recipients (/nde:10) to a real Postfix smtpd (PIPELINING
# and CHUNKING, tests/acceptance/postfix.py) through latence.py at D = 40 ms,
# against ten msmtp processes in parallel (xargs -P10, one session each message).
# Every program named in CORVELLE_COMPARE (space-separated paths; the Release
# build by default) is timed in alternation with the others, ROUNDS times (3 by
# default); medians with their spread (min-max) are printed.
# DELAI sets D (in ms; 0 for the server's own pace). Target at 40 ms:
# corvelle >= 100 msg/s and >= 3 x the ten msmtp processes.
set -euo pipefail
source "$(dirname "$0")/commun.sh"
dossier_travail
if [ -z "${CORVELLE_COMPARE:-}" ]; then
    construit
    CORVELLE_COMPARE="$root/build/src/corvelle"
fi
cd "$work"
ecrit_lettre 200
/usr/bin/python3 -B - "$root" "$work" "${ROUNDS:-3}" "${DELAI:-40}" $CORVELLE_COMPARE <<'PY'
import json, os, shutil, statistics, subprocess, sys, time
racine, work, rounds, delai, *programmes = sys.argv[1:]
sys.path.insert(0, os.path.join(racine, "tests", "acceptance"))
from postfix import Postfix

os.chmod(work, 0o755)  # the postfix user walks down to its data folder
postfix = Postfix(work)
proxy = subprocess.Popen([sys.executable, os.path.join(racine, "bench", "latence.py"), "--cible",
                          f"127.0.0.1:{postfix.port}", "--delai", delai, "--compte",
                          os.path.join(work, "tours.json")], stdout=subprocess.PIPE, text=True)
port = int(proxy.stdout.readline().split()[1])
us = "\x1f"
with open(os.path.join(work, "msmtprc"), "w") as f:
    f.write(f"account default\nhost 127.0.0.1\nport {port}\nfrom bench@example.test\n"
            "auth off\ntls off\n")
copies = []
for n, programme in enumerate(programmes):
    dossier = os.path.join(work, f"c{n}")
    os.mkdir(dossier)
    shutil.copy(programme, os.path.join(dossier, "corvelle"))
    with open(os.path.join(dossier, "Corvelle.ini"), "w", encoding="utf-8") as f:
        f.write("[Configuration]\nConfigsSMTP=" + us.join(["Bench", "127.0.0.1", "0", str(port), "0",
                                                           "", "", ""]) +
                "\nExpéditeurParDéfaut=Bench <bench@example.test>\nSuffixe=example.test\n"
                "NbDest=25\nTimeoutSMTP=10\n")
    copies.append((programme, dossier))

livres = 0
def passe(commande, messages, cwd):
    global livres
    debut = time.monotonic()
    subprocess.run(commande, cwd=cwd, check=True, shell=isinstance(commande, str),
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    duree = time.monotonic() - debut
    livres += messages * 10
    if len(postfix.livres(livres, attente=120)) < livres:
        sys.exit(f"bench: postfix did not deliver {livres} recipients")
    return messages / duree

debits = {}
msmtp = ("ls lots | head -200 | xargs -P10 -I{} sh -c "
         "'n=$(basename {} .eml); msmtp -C msmtprc $(sed -n \"$((n + 1))p\" lots.txt) < lots/{}'")
for _ in range(int(rounds)):
    for programme, dossier in copies:
        debits.setdefault(programme, []).append(passe(
            ["./corvelle", f"/a:fic:{work}/destinataires.txt", "/nde:10", "/o:Lettre",
             f"/ctf:{work}/corps.txt"], 1000, dossier))
    debits.setdefault("msmtp -P10", []).append(passe(msmtp, 200, work))
proxy.terminate()
postfix.arrete()
print(f"D = {delai} ms, real Postfix smtpd, {rounds} rounds in alternation")
for nom, valeurs in debits.items():
    print(f"{nom:50s} median {statistics.median(valeurs):7.1f} msg/s "
          f"(min {min(valeurs):.1f}, max {max(valeurs):.1f})")
m = statistics.median(debits["msmtp -P10"])
ok = True
for programme, _ in copies:
    c = statistics.median(debits[programme])
    bon = c >= 100 and c >= 3 * m
    ok = ok and bon
    print(f"{programme}: {c:.1f} msg/s = {c / m:.1f} x msmtp -P10 (targets >= 100 msg/s, >= 3 x): "
          f"{'OK' if bon else 'MISSED'}")
sys.exit(0 if ok else 1)
PY
