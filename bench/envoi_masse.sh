#!/usr/bin/env bash
# A mass mailing: 10,000 recipients read from a file, at most 10 per message,
# so 1,000 messages in one SMTP session, sent to postfix's smtp-sink.
# Compared with a shell loop of msmtp sending the same 1,000 messages (one
# process and one session each) and with postfix's smtp-source sending 1,000
# messages of 10 recipients over one session without pipelining, the practical
# limit of such a session.
# Targets: corvelle at least 20 times faster than the msmtp loop, and at least
# 2 times smtp-source's throughput measured in the same run, wherever the
# scheduler puts the client (see the two placements below).
set -euo pipefail
source "$(dirname "$0")/commun.sh"
dossier_travail
construit
demarre_puits
cd "$work"

ecrit_lettre 1000
ecrit_msmtprc "$port"
cat >boucle_msmtp.sh <<'EOF'
n=0
while read -r lot; do
    msmtp -C msmtprc $lot <"lots/$n.eml" || exit 1
    n=$((n + 1))
done <lots.txt
EOF
corvelle="./corvelle /a:fic:$work/destinataires.txt /nde:10 /o:Lettre /ctf:corps.txt"
source_="/usr/sbin/smtp-source -d -m 1000 -r 10 -s 1 127.0.0.1:$port"

# One untimed run against a sink that keeps the envelopes: corvelle must
# send 1,000 messages to 10,000 distinct recipients over a single session.
capture=$(dossier_capture)
port_mesure=$port
demarre_puits -D "$capture/envois"
prepare_corvelle "$port"
rc=0
$corvelle >sortie.txt 2>&1 || rc=$?
read -r sessions messages <<<"$(compteurs "$port")"
{ grep '^X-Rcpt-Args:' "$capture/envois" 2>/dev/null || true; } >rcpt.txt
rcpt=$(wc -l <rcpt.txt)
distincts=$(sort -u rcpt.txt | wc -l)
echo "check: exit $rc, $sessions session(s), $messages messages, $rcpt recipients ($distincts distinct)"
if [ "$rc" -ne 0 ] || [ "$sessions" -ne 1 ] || [ "$messages" -ne 1000 ] || [ "$rcpt" -ne 10000 ] || [ "$distincts" -ne 10000 ]; then
    cat sortie.txt >&2
    echo "corvelle did not send the 1,000 messages of 10 recipients over one session" >&2
    exit 1
fi
rm -f "$capture/envois"
prepare_corvelle "$port_mesure"
port=$port_mesure

# A loopback round trip costs about 15 us when both ends share a core and
# 70 us or more when the other core has to be woken, and left to itself the
# scheduler mixes the two from one run to the next. So the sink stays on core
# 0 and the clients run once beside it and once on core 1, each placement
# timed with corvelle and smtp-source alternating (see mesure.py).
taskset -pc 0 "${puits_pids[0]}" >/dev/null
read -r sessions_avant messages_avant <<<"$(compteurs "$port")"
echo "clients on the sink's core:"
python3 "$root/bench/mesure.py" meme_coeur.json 7 1 "taskset -c 0 $corvelle" "taskset -c 0 $source_"
echo "clients on the other core:"
python3 "$root/bench/mesure.py" autre_coeur.json 7 1 "taskset -c 1 $corvelle" "taskset -c 1 $source_"
# A thousand processes that each wait on their own session: one timed run is
# plenty, and the 20x target leaves no doubt about placement.
hyperfine --runs 1 --style basic --export-json boucle.json "sh boucle_msmtp.sh" |
    grep -E "^Benchmark|Time \\((mean|abs)"
# 16 runs of corvelle and of smtp-source (one session, 1,000 messages each),
# then the loop (1,000 sessions of one message).
read -r sessions messages <<<"$(compteurs "$port")"
if [ $((sessions - sessions_avant)) -ne 1032 ] || [ $((messages - messages_avant)) -ne 33000 ]; then
    echo "the sink counted $((sessions - sessions_avant)) sessions and $((messages - messages_avant)) messages, 1032 and 33000 expected" >&2
    exit 1
fi

python3 - meme_coeur.json autre_coeur.json boucle.json <<'PY'
import json, sys
placements = {"same core": json.load(open(sys.argv[1])), "other core": json.load(open(sys.argv[2]))}
m = json.load(open(sys.argv[3]))["results"][0]["median"]
print(f"msmtp loop               {m:7.3f} s  {1000 / m:5.0f} messages/s")
verdicts = []
for placement, (corvelle, source) in placements.items():
    c, s = corvelle["mediane"], source["mediane"]
    print(f"corvelle, {placement:10s}    {c:7.3f} s  {1000 / c:5.0f} messages/s  (CPU {corvelle['cpu']:.3f} s)")
    print(f"smtp-source, {placement:10s} {s:7.3f} s  {1000 / s:5.0f} messages/s  (CPU {source['cpu']:.3f} s)")
    verdicts.append((f"{placement}: corvelle at {s / c:.2f}x smtp-source's throughput (target >= 2x)", s / c >= 2))
# The loop ran unpinned: held against corvelle's slower placement.
c = max(corvelle["mediane"] for corvelle, _ in placements.values())
verdicts.insert(0, (f"corvelle {m / c:.1f}x faster than the msmtp loop (target >= 20x)", m / c >= 20))
for texte, ok in verdicts:
    print(f"{texte}: {'OK' if ok else 'MISSED'}")
sys.exit(0 if all(ok for _, ok in verdicts) else 1)
PY
