#!/usr/bin/env bash
# Takes the pictures of the windows shown in the README, under Xvfb, into docs/:
# every window in French and in English, and the compose window at 12 points.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
build="$root/build"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORVELLE_TESTS=ON >/dev/null
cmake --build "$build" --target captures_fenetres
mkdir -p "$root/docs"
for langue in fr en; do
    LANG=C.UTF-8 xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" \
        "$build/tests/captures_fenetres" "$root/docs" "$langue" "$root/translations"
done
LANG=C.UTF-8 xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" \
    "$build/tests/captures_fenetres" "$root/docs" fr "$root/translations" 12
