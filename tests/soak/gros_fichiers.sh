#!/usr/bin/env bash
# Very large inputs, too long for CI: a 200 MB text body file and a
# 2,000,000-line recipient file, each sent by the Release build to postfix's
# smtp-sink (the benchmarks' set-up, bench/commun.sh). Each run must end with
# code 0 and deliver what it should; its peak memory (/usr/bin/time -v) is
# compared with the benchmarks' memory target for large inputs, 400 MB.
# Exit code 1 when a run fails or misses the target, 2 when it could not run.
set -euo pipefail
source "$(dirname "$0")/../../bench/commun.sh"
dossier_travail
construit
cd "$work"
limite_kio=$((400 * 1000 * 1000 / 1024))
verdict=0

python3 - <<'PY'
# 200 MB of text lines (plain ASCII, so the body's size is what is read).
ligne = "Journal de sauvegarde : tout s'est bien passé sur le serveur, rien à signaler.\n"
bloc = ligne * 10000
with open("corps.txt", "w", newline="\n") as f:
    while f.tell() < 200_000_000:
        f.write(bloc)
# 2,000,000 lines, 200,000 distinct addresses (bare names and full ones),
# each written ten times, in a shuffled order.
import random
adresses = [f"abonne{i:06d}" if i % 2 else f"abonne{i:06d}@autre.test" for i in range(200_000)]
lignes = adresses * 10
random.Random(3).shuffle(lignes)
with open("destinataires.txt", "w") as f:
    f.write("\n".join(lignes) + "\n")
PY

# Runs corvelle ($2...) against a fresh sink; $1 names the run. Prints exit
# code, wall time, peak memory and what the sink counted.
mesure() {
    local nom=$1 rc=0 pic duree sessions messages
    shift
    demarre_puits
    prepare_corvelle "$port" TimeoutSMTP=60
    /usr/bin/time -v -o "temps-$nom.txt" ./corvelle "$@" >"sortie-$nom.txt" 2>&1 || rc=$?
    pic=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "temps-$nom.txt")
    duree=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "temps-$nom.txt")
    read -r sessions messages <<<"$(compteurs "$port")"
    echo "$nom: exit $rc, $duree, peak memory $((pic * 1024 / 1000000)) MB, $sessions session(s), $messages message(s)"
    if [ "$rc" -ne 0 ]; then
        tail -5 "sortie-$nom.txt"
        verdict=1
    fi
    if [ "$pic" -gt "$limite_kio" ]; then
        echo "$nom: peak memory above 400 MB: MISSED"
        verdict=1
    else
        echo "$nom: peak memory within 400 MB: OK"
    fi
    resultat_messages=$messages
}

mesure corps_200mo /a:lecteur /o:Gros /ctf:corps.txt
[ "$resultat_messages" -eq 1 ] || { echo "corps_200mo: 1 message expected"; verdict=1; }

# /nde:20000 (the most a message takes): 200,000 distinct addresses, 10 messages.
mesure destinataires_2m /a:fic:"$work/destinataires.txt" /nde:20000 /o:Liste /ct:x
[ "$resultat_messages" -eq 10 ] || { echo "destinataires_2m: 10 messages expected"; verdict=1; }

exit $verdict
