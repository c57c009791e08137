#!/usr/bin/env bash
# Window-mode start-up: from the process start to the compose window shown and
# idle (a probe preloaded into the program ends it at that point), under Xvfb,
# with a realistic configuration.
# Target: median at most 250 ms.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORVELLE_TESTS=OFF >/dev/null
cmake --build "$root/build" --target corvelle corvelle_ui corvelle_traductions \
      corvelle_mesure_affichage >/dev/null

work=$(mktemp -d)
xvfb=""
nettoie() {
    if [ -n "$xvfb" ]; then kill "$xvfb" 2>/dev/null || true; wait "$xvfb" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap nettoie EXIT
cp "$root/build/src/corvelle" "$root/build/src/corvelle-ui.so" "$root/build/src/English.lng" "$work/"
python3 - "$work/Corvelle.ini" <<'PY'
import sys
records = "\x1e".join(f"Serveur {i}\x1fsmtp{i}.example.com\x1f-1\x1f587\x1f2\x1f\x1fuser{i}\x1fA1B2C3" for i in range(20))
with open(sys.argv[1], "w", encoding="utf-8") as f:
    f.write("[Configuration]\nExpéditeurParDéfaut=Robot <robot@example.com>\nSuffixe=example.com\n"
            "DestinatairesParDéfaut=a@example.com, b@example.com\nConfigsSMTP=" + records + "\n")
PY

# One X server for every run, as a desktop session has.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/affichage" 2>/dev/null &
xvfb=$!
for _ in $(seq 50); do [ -s "$work/affichage" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/affichage")"
export LD_PRELOAD="$root/build/bench/mesure-affichage.so" XDG_RUNTIME_DIR="$work"
cd "$work"
for langue in fr_FR.UTF-8 en_US.UTF-8; do
    LANG=$langue hyperfine --warmup 3 --runs 30 -N --export-json "$work/$langue.json" \
        "$work/corvelle" 2>/dev/null | grep -E "Time|Range" || true
done
python3 - "$work" <<'PY'
import json, statistics, sys
work = sys.argv[1]
ok = True
for langue in ("fr_FR.UTF-8", "en_US.UTF-8"):
    temps = json.load(open(f"{work}/{langue}.json"))["results"][0]["times"]
    median = statistics.median(temps) * 1000
    ok = ok and median <= 250
    print(f"window shown and idle ({langue}): median {median:.0f} ms over {len(temps)} runs "
          f"(target <= 250): {'OK' if median <= 250 else 'MISSED'}")
sys.exit(0 if ok else 1)
PY
