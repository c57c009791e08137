# Shared by the sending benchmarks (sourced, not run): the Release build, a
# scratch folder removed on exit, postfix's smtp-sink on a free loopback port,
# a portable copy of corvelle configured to send to it, and the floor of a
# cold start (demarrage.sh takes only that).

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
work=""
puits_pids=()

nettoie() {
    local pid
    for pid in "${puits_pids[@]}"; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    if [ -n "$work" ]; then rm -rf "$work"; fi
}
trap nettoie EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# Builds only the program: tests and other build folders are not ours.
# Needs the scratch folder for its log.
construit() {
    "$root/scripts/setup.sh"
    cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORVELLE_TESTS=OFF >/dev/null
    if ! cmake --build "$root/build" --target corvelle >"$work/construction.log" 2>&1; then
        tail -20 "$work/construction.log" >&2
        echo "bench: the corvelle build failed" >&2
        exit 2
    fi
}

dossier_travail() {
    work=$(mktemp -d)
    export LANG=fr_FR.UTF-8
    unset DISPLAY WAYLAND_DISPLAY
}

port_libre() {
    python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

# Starts smtp-sink on a free port with running counters in $work/puits-PORT.out;
# sets $port. Extra arguments go to smtp-sink (e.g. -D to keep the envelopes).
demarre_puits() {
    port=$(port_libre)
    local utilisateur=()
    # smtp-sink refuses to run as root without dropping privileges.
    if [ "$(id -u)" -eq 0 ]; then utilisateur=(-u nobody); fi
    /usr/sbin/smtp-sink -c "${utilisateur[@]}" "$@" "127.0.0.1:$port" 1000 >"$work/puits-$port.out" 2>&1 &
    puits_pids+=($!)
    # Waits for the listening socket in /proc rather than connecting, which
    # would count as a session.
    local hex _
    hex=$(printf '%04X' "$port")
    for _ in $(seq 100); do
        if grep -q ":$hex 00000000:0000 0A" /proc/net/tcp; then return 0; fi
        sleep 0.05
    done
    echo "bench: smtp-sink did not start on port $port" >&2
    cat "$work/puits-$port.out" >&2
    exit 2
}

# "sessions messages" counted so far by the sink on port $1. smtp-sink updates
# them when a session ends, so this waits (at most 5 s) for the count to stop
# moving.
compteurs() {
    local f="$work/puits-$1.out" avant="" apres _
    for _ in $(seq 50); do
        apres=$(tr '\r' '\n' <"$f" | grep '^sess=' | tail -1 | sed -E 's/sess=([0-9]+) quit=[0-9]+ mesg=([0-9]+)/\1 \2/')
        apres=${apres:-0 0}
        if [ "$apres" = "$avant" ]; then break; fi
        avant=$apres
        sleep 0.1
    done
    echo "$apres"
}

# A folder the sink may write its captures to once it has dropped to nobody.
dossier_capture() {
    chmod 711 "$work"
    mkdir -p "$work/capture"
    chmod 777 "$work/capture"
    echo "$work/capture"
}

# A portable copy of corvelle in $work sending to the sink on port $1. Further
# KEY=VALUE arguments are added to Corvelle.ini or replace a default.
prepare_corvelle() {
    cp "$root/build/src/corvelle" "$work/"
    python3 - "$work/Corvelle.ini" "$@" <<'PY'
import sys
chemin, port, *ajouts = sys.argv[1:]
us = "\x1f"
cles = {"ConfigsSMTP": us.join(["Bench", "127.0.0.1", "0", port, "0", "", "", ""]),
        "ExpéditeurParDéfaut": "Bench <bench@example.test>",
        "Suffixe": "example.test",
        "NbDest": "25",
        "TimeoutSMTP": "10"}
for ajout in ajouts:
    cle, _, valeur = ajout.partition("=")
    cles[cle] = valeur
with open(chemin, "w", encoding="utf-8") as f:
    f.write("[Configuration]\n" + "".join(f"{cle}={valeur}\n" for cle, valeur in cles.items()))
PY
}

# The floor of a cold start, in ./vide: a program that does nothing, linked
# with exactly the shared libraries of the program $1, so it pays the same
# loading and nothing else.
construit_plancher() {
    printf 'int main(void) { return 0; }\n' >vide.c
    # shellcheck disable=SC2046 # one -l:soname argument per library
    cc -O2 vide.c -o vide -Wl,--no-as-needed \
        $(readelf -d "$1" | sed -n 's/.*Shared library: \[\(.*\)\]/-l:\1/p')
}

# msmtp's settings for the sink on port $1, in ./msmtprc.
ecrit_msmtprc() {
    cat >msmtprc <<EOF
account bench
host 127.0.0.1
port $1
from bench@example.test
auth off
tls off
timeout 10
account default : bench
EOF
    chmod 600 msmtprc
}

# The newsletter of the sending benchmarks in the scratch folder: corps.txt,
# destinataires.txt (10,000 addresses) and the first $1 batches of 10 as
# corvelle sends them (it sorts the addresses, which keeps this order),
# ready-made for msmtp in lots.txt and lots/<n>.eml.
ecrit_lettre() {
    python3 - "$1" <<'PY'
import os, sys
ligne = "Lettre d'information : les nouvelles de la semaine, sans accent."
corps = (ligne + "\n") * 16
with open("corps.txt", "w", newline="\n") as f:
    f.write(corps)
adresses = [f"abonne{i:05d}@example.test" for i in range(10000)]
with open("destinataires.txt", "w") as f:
    f.write("\n".join(adresses) + "\n")
os.mkdir("lots")
with open("lots.txt", "w") as lots:
    for n in range(int(sys.argv[1])):
        lot = adresses[10 * n:10 * n + 10]
        lots.write(" ".join(lot) + "\n")
        with open(f"lots/{n}.eml", "w", newline="") as m:
            m.write("From: Bench <bench@example.test>\r\nTo: " + ", ".join(lot) + "\r\n"
                    f"Subject: Lettre\r\nMessage-ID: <lot{n}@example.test>\r\n"
                    "MIME-Version: 1.0\r\nContent-Type: text/plain; charset=us-ascii\r\n\r\n"
                    + corps.replace("\n", "\r\n"))
PY
}
