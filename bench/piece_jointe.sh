#!/usr/bin/env bash
# A 1 GiB attachment sent to postfix's smtp-sink on loopback. The attachment
# must be streamed, never held whole: peak memory stays small whatever its size.
# The yardstick is curl uploading a ready-made message of the same encoded size
# (1 GiB in base64 lines of 76 characters is about 1.47 GB): corvelle has to
# read and encode on the way, curl only copies.
# Targets: corvelle's peak memory at most 64 MiB, and its throughput at least
# half of curl's. smtp-sink itself tops out at about one core's worth
# (roughly 200 MB/s here), so the CPU time of each client is printed too: it
# shows what the wall time cannot when the sink is the bottleneck.
set -euo pipefail
source "$(dirname "$0")/commun.sh"
dossier_travail
construit

# The attachment, the encoded message for curl and some room to spare.
libre_kio=$(df -Pk "$work" | awk 'NR == 2 { print $4 }')
if [ "$libre_kio" -lt $((4 * 1024 * 1024)) ]; then
    echo "bench: $((libre_kio / 1024)) MiB free in $work, 4 GiB needed" >&2
    exit 2
fi

demarre_puits
prepare_corvelle "$port"
cd "$work"

# Random bytes: nothing in the path can shortcut them.
head -c 1G /dev/urandom >piece.bin
python3 - piece.bin message.eml <<'PY'
import base64, sys
source, cible = sys.argv[1], sys.argv[2]
with open(source, "rb") as entree, open(cible, "wb") as sortie:
    sortie.write(b"From: Bench <bench@example.test>\r\nTo: bob@example.test\r\nSubject: Archive\r\n"
                 b"MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=\"=-limite\"\r\n\r\n"
                 b"--=-limite\r\nContent-Type: text/plain; charset=us-ascii\r\n\r\n"
                 b"Ci-joint l'archive.\r\n"
                 b"--=-limite\r\nContent-Type: application/octet-stream; name=piece.bin\r\n"
                 b"Content-Disposition: attachment; filename=piece.bin\r\n"
                 b"Content-Transfer-Encoding: base64\r\n\r\n")
    # A multiple of 57 bytes, so every encoded line is a full 76 characters.
    while bloc := entree.read(57 * 65536):
        sortie.write(base64.encodebytes(bloc).replace(b"\n", b"\r\n"))
    sortie.write(b"--=-limite--\r\n")
PY
taille=$(stat -c %s message.eml)
echo "attachment $(stat -c %s piece.bin) bytes, encoded message for curl $taille bytes"

corvelle="./corvelle /a:bob@example.test /o:Archive /ct:Ci-joint /pj:$work/piece.bin"
curl_="curl -sS --max-time 300 smtp://127.0.0.1:$port --mail-from bench@example.test --mail-rcpt bob@example.test -T message.eml"
read -r sessions_avant messages_avant <<<"$(compteurs "$port")"
python3 "$root/bench/mesure.py" mesures.json 3 0 "$corvelle" "$curl_"
read -r sessions messages <<<"$(compteurs "$port")"
# Three runs each, one session and one message per run.
if [ $((sessions - sessions_avant)) -ne 6 ] || [ $((messages - messages_avant)) -ne 6 ]; then
    echo "the sink counted $((sessions - sessions_avant)) sessions and $((messages - messages_avant)) messages for 6 runs" >&2
    exit 1
fi

python3 - mesures.json "$taille" <<'PY'
import json, sys
corvelle, curl = json.load(open(sys.argv[1]))
taille = int(sys.argv[2])
debit_c, debit_r = taille / corvelle["mediane"] / 1e6, taille / curl["mediane"] / 1e6
for nom, r, debit in (("corvelle", corvelle, debit_c), ("curl", curl, debit_r)):
    print(f"{nom:8s} {r['mediane']:.2f} s ({debit:.0f} MB/s), CPU {r['cpu']:.2f} s, "
          f"{r['octets'] / 1e6:.0f} MB through loopback, peak memory {r['pic'] / 2**20:.1f} MiB")
# The comparison only holds if both sent about the same amount.
ecart = abs(corvelle["octets"] - curl["octets"]) / curl["octets"]
verdicts = [
    (f"corvelle sent within 2 % of curl's bytes ({ecart * 100:.1f} %)", ecart <= 0.02),
    (f"peak memory {corvelle['pic'] / 2**20:.1f} MiB (target <= 64 MiB)", corvelle["pic"] <= 64 * 2**20),
    (f"throughput {debit_c / debit_r:.2f}x curl's (target >= 0.5x)", debit_c >= 0.5 * debit_r),
]
for texte, ok in verdicts:
    print(f"{texte}: {'OK' if ok else 'MISSED'}")
sys.exit(0 if all(ok for _, ok in verdicts) else 1)
PY
