#!/usr/bin/env bash
# One message with a 1 KB text body, from a cold process start to its exit,
# sent to postfix's smtp-sink on loopback, against other command-line senders.
# Targets: corvelle at most 1.15 times the floor below (an empty program paying
# the same library loading; median of paired rounds), and below msmtp's,
# sendemail's and swaks's. curl, which only uploads a ready-made message and
# loads far fewer libraries, is shown for reference.
set -euo pipefail
source "$(dirname "$0")/commun.sh"
dossier_travail
construit
demarre_puits
prepare_corvelle "$port"
cd "$work"

# 1024 bytes of plain ASCII text in lines of 64, so every sender sends it as is.
python3 - <<'PY'
ligne = "Rapport de sauvegarde : tout s'est bien passe, rien a signaler."
assert len(ligne) == 63
with open("corps.txt", "w", newline="\n") as f:
    f.write((ligne + "\n") * 16)
PY
# The same message ready-made for curl and msmtp, which do not compose.
{
    printf 'From: Bench <bench@example.test>\r\nTo: bob@example.test\r\nSubject: Sauvegarde\r\n'
    printf 'Date: %s\r\nMessage-ID: <bench.%s@example.test>\r\n' "$(date -R)" "$$"
    printf 'MIME-Version: 1.0\r\nContent-Type: text/plain; charset=us-ascii\r\n\r\n'
    sed 's/$/\r/' corps.txt
} >message.eml
ecrit_msmtprc "$port"
construit_plancher corvelle

commandes=(
    "./corvelle /a:bob@example.test /o:Sauvegarde /ctf:corps.txt"
    "curl -sS --max-time 10 smtp://127.0.0.1:$port --mail-from bench@example.test --mail-rcpt bob@example.test -T message.eml"
    "msmtp -C msmtprc bob@example.test <message.eml"
    "sendemail -q -f bench@example.test -t bob@example.test -u Sauvegarde -o message-file=corps.txt -o tls=no -o timeout=10 -s 127.0.0.1:$port"
    "swaks --silent 2 --timeout 10 --server 127.0.0.1 --port $port --from bench@example.test --to bob@example.test --header 'Subject: Sauvegarde' --body @corps.txt"
)
noms=(corvelle curl msmtp sendemail swaks)

# Each sender must really deliver one message before it is timed.
for i in "${!commandes[@]}"; do
    read -r _ avant <<<"$(compteurs "$port")"
    rc=0
    sh -c "${commandes[$i]}" >sortie.txt 2>&1 || rc=$?
    if [ "$rc" -ne 0 ]; then
        echo "${noms[$i]} failed to send (exit $rc):" >&2
        cat sortie.txt >&2
        exit 1
    fi
    read -r _ apres <<<"$(compteurs "$port")"
    if [ "$apres" -ne $((avant + 1)) ]; then
        echo "${noms[$i]} exited 0 but the sink counted $((apres - avant)) messages" >&2
        exit 1
    fi
done

# Without a shell where the sender takes its arguments alone: a shell and
# hyperfine's correction for it would blur a few milliseconds. msmtp reads the
# message on standard input, so it gets a shell and that correction.
hyperfine -N --warmup 3 --runs 30 --style basic --export-json h.json "${commandes[@]:0:2}" "${commandes[@]:3}" |
    grep -E "^Benchmark|Time \\((mean|abs)"
hyperfine --warmup 3 --runs 30 --style basic --export-json msmtp.json "${commandes[2]}" |
    grep -E "^Benchmark|Time \\((mean|abs)"
# The floor and corvelle's ratio to it, in short paired rounds: run one after
# the other over a few seconds, two commands see this machine drift (the floor
# alone moved from 21 to 26 ms between runs of this script), and the verdict
# with it.
for tour in $(seq 12); do
    hyperfine -N --warmup 1 --runs 5 --style none --export-json "tour-$tour.json" \
        "${commandes[0]}" ./vide >/dev/null
done

python3 - h.json msmtp.json corvelle curl sendemail swaks <<'PY'
import json, statistics, sys
resultats = json.load(open(sys.argv[1]))["results"]
med = {nom: r["median"] * 1000 for nom, r in zip(sys.argv[3:], resultats)}
med["msmtp"] = json.load(open(sys.argv[2]))["results"][0]["median"] * 1000
for nom, ms in med.items():
    print(f"{nom:10s} median {ms:7.1f} ms")
paires = [json.load(open(f"tour-{tour}.json"))["results"] for tour in range(1, 13)]
vide = statistics.median(paire[1]["median"] for paire in paires) * 1000
print(f"floor: an empty program with corvelle's libraries, median {vide:.1f} ms "
      f"({vide / med['curl']:.2f} x curl)")
rapports = [paire[0]["median"] / paire[1]["median"] for paire in paires]
rapport = statistics.median(rapports)
print("corvelle / floor in 12 paired rounds: " + " ".join(f"{r:.2f}" for r in rapports))
c = med["corvelle"]
verdicts = [
    (f"corvelle {rapport:.2f} x the floor, median of the rounds (target <= 1.15 x)", rapport <= 1.15),
    *[(f"corvelle {c:.1f} ms < {p} ({med[p]:.1f} ms)", c < med[p]) for p in ("msmtp", "sendemail", "swaks")],
]
for texte, ok in verdicts:
    print(f"{texte}: {'OK' if ok else 'MISSED'}")
sys.exit(0 if all(ok for _, ok in verdicts) else 1)
PY
