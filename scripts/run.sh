#!/usr/bin/env bash
# Sets up, builds and runs Corvelle. Without arguments it opens the compose
# window (a display is needed); with arguments it is a command-line run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" --target corvelle corvelle_ui >/dev/null
exec "$root/build/src/corvelle" "$@"
