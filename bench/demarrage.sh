#!/usr/bin/env bash
# Start-up cost of a command-line run: locating and reading the configuration,
# choosing the language, loading the catalogue, reading the command line. The
# run has no body, so it stops at the command-line check and never reaches the
# network.
# Targets: at most 3 ms above the floor (an empty program linked with the same
# libraries: the loading no start-up avoids; median of paired rounds, since
# this machine drifts by milliseconds within a minute), peak memory under
# 20 MiB (a command-line run must not load the window toolkit).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$(dirname "$0")/commun.sh"  # for construit_plancher only
"$root/scripts/setup.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORVELLE_TESTS=OFF >/dev/null
cmake --build "$root/build" --target corvelle >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$root/build/src/corvelle" "$work/"
# A realistic profile: twenty SMTP configurations and every setting.
python3 - "$work/Corvelle.ini" <<'PY'
import sys
records = "\x1e".join(f"Serveur {i}\x1fsmtp{i}.example.com\x1f-1\x1f587\x1f2\x1f\x1fuser{i}\x1fA1B2C3" for i in range(20))
with open(sys.argv[1], "w", encoding="utf-8") as f:
    f.write("[Configuration]\nExpéditeurParDéfaut=Robot <robot@example.com>\nSuffixe=example.com\n"
            "NbDest=50\nTimeoutSMTP=30\nConfigsSMTP=" + records + "\n")
PY
cd "$work"
export LANG=fr_FR.UTF-8
unset DISPLAY WAYLAND_DISPLAY
# For reading the figure: the floor pays the loading that no start-up avoids.
construit_plancher corvelle
for tour in $(seq 10); do
    hyperfine --warmup 2 --runs 5 -N -i --style none --export-json "$work/tour-$tour.json" \
        "$work/corvelle /a:bob /o:Test" "$work/vide" >/dev/null 2>&1
done
python3 - "$work" <<'PY'
import json, resource, statistics, subprocess, sys
work = sys.argv[1]
tours = [json.load(open(f"{work}/tour-{t}.json"))["results"] for t in range(1, 11)]
ecarts = [(t[0]["median"] - t[1]["median"]) * 1000 for t in tours]
ecart = statistics.median(ecarts)
vide = statistics.median(t[1]["median"] for t in tours) * 1000
print(f"floor: an empty program with corvelle's libraries, median {vide:.1f} ms")
print("start-up - floor in 10 paired rounds (ms): " + " ".join(f"{e:.1f}" for e in ecarts))
subprocess.run([f"{work}/corvelle", "/a:bob", "/o:Test"], cwd=work,
               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
peak_mib = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss / 1024
ok = ecart <= 3 and peak_mib < 20
print(f"start-up: {ecart:.1f} ms above the floor (target <= 3), peak memory {peak_mib:.1f} MiB "
      f"(target < 20): {'OK' if ok else 'MISSED'}")
sys.exit(0 if ok else 1)
PY
