#!/usr/bin/env bash
# 100,000 recipients read from a file, sent to postfix's smtp-sink in batches
# of 20,000 (5 messages) and in batches of 500 (200 messages), timed in
# alternation. A batch's recipients go whole into its To header and its
# envelope, so any step that grows faster than the batch shows here: the big
# batches would cost more CPU than the small ones for the same recipients.
# One recipient in two has a display name, some with a comma, quotes or
# accents, so that the names go through the header writer's encoding too.
# Target: corvelle's CPU time (user + system) in batches of 20,000 at most
# 2 times the same in batches of 500.
set -euo pipefail
source "$(dirname "$0")/commun.sh"
dossier_travail
construit
demarre_puits
port_mesure=$port
cd "$work"

python3 - <<'PY'
def ligne(i):
    adresse = f"abonne{i:06d}@example.test"
    if i % 4 == 1:
        return f"Abonné {i} <{adresse}>"
    if i % 4 == 3:
        return f'"Dupont, \\"Jo\\" {i}" <{adresse}>'
    return adresse
with open("destinataires.txt", "w") as f:
    f.write("\n".join(ligne(i) for i in range(100_000)) + "\n")
PY
commande() { echo "./corvelle /a:fic:$work/destinataires.txt /nde:$1 /o:Annonce /ct:Bonjour"; }

# One untimed run of each against a sink that keeps the envelopes: one
# session, every address exactly once.
capture=$(dossier_capture)
demarre_puits -D "$capture/envois"
prepare_corvelle "$port"
for taille in 20000 500; do
    rm -f "$capture/envois"
    read -r sessions_avant messages_avant <<<"$(compteurs "$port")"
    rc=0
    # shellcheck disable=SC2046 # the command line is meant to split into words
    $(commande "$taille") >sortie.txt 2>&1 || rc=$?
    read -r sessions messages <<<"$(compteurs "$port")"
    { grep '^X-Rcpt-Args:' "$capture/envois" 2>/dev/null || true; } >rcpt.txt
    rcpt=$(wc -l <rcpt.txt)
    distincts=$(sort -u rcpt.txt | wc -l)
    attendus=$((100000 / taille))
    echo "check /nde:$taille: exit $rc, $((sessions - sessions_avant)) session(s), $((messages - messages_avant)) messages, $rcpt recipients ($distincts distinct)"
    if [ "$rc" -ne 0 ] || [ $((sessions - sessions_avant)) -ne 1 ] || [ $((messages - messages_avant)) -ne "$attendus" ] ||
        [ "$rcpt" -ne 100000 ] || [ "$distincts" -ne 100000 ]; then
        tail -5 sortie.txt >&2
        echo "corvelle did not send $attendus messages to the 100,000 addresses over one session" >&2
        exit 1
    fi
done
rm -f "$capture/envois" rcpt.txt
prepare_corvelle "$port_mesure"

python3 "$root/bench/mesure.py" mesures.json "${ROUNDS:-5}" 1 "$(commande 20000)" "$(commande 500)"

python3 - mesures.json <<'PY'
import json, sys
gros, petits = json.load(open(sys.argv[1]))
rapport = gros["cpu"] / petits["cpu"]
ok = rapport <= 2
print(f"CPU in batches of 20,000: {gros['cpu']:.3f} s, in batches of 500: {petits['cpu']:.3f} s; "
      f"ratio {rapport:.2f} (target <= 2): {'OK' if ok else 'MISSED'}")
sys.exit(0 if ok else 1)
PY
