#!/usr/bin/env bash
# Sending across a slow link: every byte the server sends reaches the client D
# ms late (bench/latence.py, which also counts the round trips the client waits
# for), so each exchange costs what it would across a real network.
# 1. 1,000 messages of 10 recipients (10,000 addresses from a file, /nde:10) to
#    postfix's smtp-sink at D = 10 ms and 40 ms, against a shell loop of msmtp
#    (one process and one session per message) and smtp-source -d (one session,
#    no pipelining). The peers send fewer messages (they wait on every command);
#    their rate per message is what is compared.
# 2. One message with STARTTLS and AUTH PLAIN at D = 40 ms, to the acceptance
#    suite's server offering PIPELINING, against curl's command line sending
#    the same message the same way.
# Targets: corvelle at least 0.8 times the floor of one round trip per message
# (80 messages/s at 10 ms, 20 at 40 ms), at least 5 times the msmtp loop's rate
# at 40 ms, and the single message in at most 0.8 times curl's time.
set -euo pipefail
source "$(dirname "$0")/commun.sh"
dossier_travail
construit
demarre_puits
port_puits=$port
cd "$work"

# Messages each peer sends per delay: enough for a steady rate per message.
declare -A messages_msmtp=([10]=100 [40]=40) messages_source=([10]=100 [40]=50)

# Starts latence.py towards $1 with $2 ms on each server chunk, its counts in
# $3; further arguments go to it. Sets $proxy (its port). Stopped on exit with
# the sinks.
demarre_proxy() {
    local sortie="$work/proxy-$2-$RANDOM.out" _
    python3 "$root/bench/latence.py" --cible "$1" --delai "$2" --compte "$3" "${@:4}" \
        >"$sortie" 2>&1 &
    puits_pids+=($!)
    for _ in $(seq 100); do
        proxy=$(sed -n 's/^PRET //p' "$sortie")
        if [ -n "$proxy" ]; then return 0; fi
        if ! kill -0 "$!" 2>/dev/null; then break; fi
        sleep 0.1
    done
    echo "bench: the latency proxy did not start" >&2
    cat "$sortie" >&2
    exit 2
}

# Total turns counted so far in the proxy's file $1; the file is written when
# a connection ends, so this waits (at most 5 s) for it to stop moving.
tours() {
    local avant="" apres _
    for _ in $(seq 50); do
        apres=$(python3 -c 'import json, sys
try:
    print(json.load(open(sys.argv[1]))["tours"])
except FileNotFoundError:
    print(0)' "$1")
        if [ "$apres" = "$avant" ]; then break; fi
        avant=$apres
        sleep 0.1
    done
    echo "$apres"
}

# Wall time in seconds of one run of the command "$@"; stops the bench when it
# fails. Not mesure.py: today's runs last longer than its time limit.
chrono() {
    if ! /usr/bin/time -f %e -o chrono.txt "$@" >sortie.txt 2>&1; then
        cat sortie.txt >&2
        echo "bench: $* failed" >&2
        exit 1
    fi
    tail -1 chrono.txt
}

ecrit_lettre "${messages_msmtp[10]}"
cat >boucle_msmtp.sh <<'EOF'
n=0
head -n "$1" lots.txt | while read -r lot; do
    msmtp -C msmtprc $lot <"lots/$n.eml" || exit 1
    n=$((n + 1))
done
EOF

# Runs one sender through the proxy; checks the sink's counts of sessions and
# messages, then appends "name delay messages seconds turns" to resultats.txt.
passe() {
    local nom=$1 delai=$2 sessions_attendues=$3 messages_attendus=$4 s0 m0 t0 s1 m1 t1 duree
    shift 4
    read -r s0 m0 <<<"$(compteurs "$port_puits")"
    t0=$(tours "tours-$delai.json")
    duree=$(chrono "$@")
    read -r s1 m1 <<<"$(compteurs "$port_puits")"
    t1=$(tours "tours-$delai.json")
    if [ $((s1 - s0)) -ne "$sessions_attendues" ] || [ $((m1 - m0)) -ne "$messages_attendus" ]; then
        cat sortie.txt >&2
        echo "$nom at $delai ms: the sink counted $((s1 - s0)) sessions and $((m1 - m0)) messages," \
            "$sessions_attendues and $messages_attendus expected" >&2
        exit 1
    fi
    echo "$nom $delai $messages_attendus $duree $((t1 - t0))" >>resultats.txt
    printf '%-12s D = %2s ms: %4s messages in %7.2f s, %5s turns\n' \
        "$nom" "$delai" "$messages_attendus" "$duree" "$((t1 - t0))"
}

: >resultats.txt
for delai in 10 40; do
    demarre_proxy "127.0.0.1:$port_puits" "$delai" "tours-$delai.json"
    prepare_corvelle "$proxy"
    ecrit_msmtprc "$proxy"
    passe corvelle "$delai" 1 1000 ./corvelle "/a:fic:$work/destinataires.txt" /nde:10 /o:Lettre /ctf:corps.txt
    n=${messages_source[$delai]}
    passe smtp-source "$delai" 1 "$n" /usr/sbin/smtp-source -d -m "$n" -r 10 -s 1 "127.0.0.1:$proxy"
    n=${messages_msmtp[$delai]}
    passe msmtp "$delai" "$n" "$n" sh boucle_msmtp.sh "$n"
done

# 2. One message, STARTTLS and AUTH PLAIN, to the acceptance suite's server
# (the system interpreter has aiosmtpd), offering PIPELINING as the relays
# people send through do (Postfix, Microsoft 365, Gmail).
# The proxy listens on the submission port, where corvelle asks for STARTTLS
# first, as curl does with --ssl-reqd.
/usr/bin/python3 -B - "$root/tests/acceptance" "$work/certs" >chiffre.txt <<'PY'
import sys
sys.path.insert(0, sys.argv[1])
from outils import Certificats, chiffre
from serveur_smtp import MOT_DE_PASSE
Certificats(sys.argv[2])
print(chiffre(MOT_DE_PASSE))
PY
mot_de_passe=$(/usr/bin/python3 -B -c 'import sys; sys.path.insert(0, sys.argv[1]); from serveur_smtp import MOT_DE_PASSE; print(MOT_DE_PASSE)' "$root/tests/acceptance")
/usr/bin/python3 "$root/tests/acceptance/serveur_smtp.py" --dossier "$work/recus" --mode starttls --auth --pipelining \
    --cert certs/serveur.pem --cle certs/serveur.key >serveur.out 2>serveur.log &
puits_pids+=($!)
for _ in $(seq 100); do
    port_tls=$(sed -n 's/^PRET //p' serveur.out)
    if [ -n "$port_tls" ]; then break; fi
    sleep 0.1
done
if [ -z "$port_tls" ]; then
    cat serveur.log >&2
    echo "bench: the STARTTLS server did not start" >&2
    exit 2
fi
demarre_proxy "127.0.0.1:$port_tls" 40 tours-tls.json --ecoute 127.0.0.1:587
us=$'\x1f'
prepare_corvelle 587 "ConfigsSMTP=Bench${us}127.0.0.1${us}-1${us}587${us}3${us}${us}jean${us}$(cat chiffre.txt)"
{
    printf 'From: Bench <bench@example.test>\r\nTo: bob@example.test\r\nSubject: Sauvegarde\r\n'
    printf 'Date: %s\r\nMessage-ID: <bench.%s@example.test>\r\n' "$(date -R)" "$$"
    printf 'MIME-Version: 1.0\r\nContent-Type: text/plain; charset=us-ascii\r\n\r\n'
    sed 's/$/\r/' corps.txt
} >message.eml
commandes=(
    "env CURL_CA_BUNDLE=$work/certs/ca.pem ./corvelle /a:bob@example.test /o:Sauvegarde /ctf:corps.txt"
    "curl -sS --max-time 10 --ssl-reqd --cacert $work/certs/ca.pem --sasl-ir --login-options AUTH=PLAIN -u 'jean:$mot_de_passe' smtp://127.0.0.1:587 --mail-from bench@example.test --mail-rcpt bob@example.test -T message.eml"
)
# Each must deliver one message, over TLS, as jean, before it is timed.
for i in 0 1; do
    t0=$(tours tours-tls.json)
    if ! sh -c "${commandes[$i]}" >sortie.txt 2>&1; then
        cat sortie.txt >&2
        echo "bench: ${commandes[$i]%% *} failed to send" >&2
        exit 1
    fi
    echo "$(( $(tours tours-tls.json) - t0 ))" >"tours-unique-$i.txt"
done
python3 - recus <<'PY'
import json, os, sys
recus = sorted(n for n in os.listdir(sys.argv[1]) if n.endswith(".json"))
enveloppes = [json.load(open(os.path.join(sys.argv[1], n))) for n in recus]
if len(enveloppes) != 2 or not all(e["tls"] and e["utilisateur"] == "jean" for e in enveloppes):
    sys.exit(f"bench: expected 2 messages over TLS as jean, received {enveloppes}")
PY
python3 "$root/bench/mesure.py" unique.json 5 1 "${commandes[@]}" >/dev/null

python3 - resultats.txt unique.json tours-unique-0.txt tours-unique-1.txt <<'PY'
import json, sys
lignes = [l.split() for l in open(sys.argv[1])]
debit = {}
print("D      sender         messages   time      msg/s   turns/message")
for nom, delai, messages, duree, tours in lignes:
    debit[nom, int(delai)] = int(messages) / float(duree)
    print(f"{delai:>2} ms  {nom:12s} {messages:>9} {float(duree):7.2f} s {debit[nom, int(delai)]:8.1f}"
          f"   {int(tours) / int(messages):6.2f}")
print("(msmtp and smtp-source send fewer messages; their rate per message is extrapolated)")
verdicts = []
for delai in (10, 40):
    plancher = 1000 / delai  # one round trip per message
    c = debit["corvelle", delai]
    verdicts.append((f"D = {delai} ms: corvelle {c:.1f} msg/s = {c / plancher:.2f} x the floor of "
                     f"{plancher:.0f} msg/s (target >= 0.8 x, {0.8 * plancher:.0f} msg/s)",
                     c >= 0.8 * plancher))
c, m = debit["corvelle", 40], debit["msmtp", 40]
verdicts.append((f"D = 40 ms: corvelle {c / m:.2f} x the msmtp loop ({m:.1f} msg/s) (target >= 5 x)",
                 c >= 5 * m))
corvelle, curl = json.load(open(sys.argv[2]))
tc, tu = (int(open(f).read()) for f in sys.argv[3:5])
print(f"one message, STARTTLS + AUTH PLAIN, D = 40 ms: corvelle median {corvelle['mediane'] * 1000:.0f} ms "
      f"({tc} turns), curl {curl['mediane'] * 1000:.0f} ms ({tu} turns)")
r = corvelle["mediane"] / curl["mediane"]
verdicts.append((f"one message: corvelle {r:.2f} x curl's time (target <= 0.8 x)", r <= 0.8))
for texte, ok in verdicts:
    print(f"{texte}: {'OK' if ok else 'MISSED'}")
sys.exit(0 if all(ok for _, ok in verdicts) else 1)
PY
