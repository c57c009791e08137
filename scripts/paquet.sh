#!/usr/bin/env bash
# Builds the Debian package of Corvelle (Release, installed under /usr) and
# prints its path, after the path of the system mailer package (corvelle-sendmail). The build folder is build-paquet/ unless a folder is given:
#   ./scripts/paquet.sh [build folder]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$root/build-paquet}")
"$root/scripts/setup.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
      -DCORVELLE_TESTS=OFF >/dev/null
cmake --build "$build"
rm -f "$build"/corvelle_*.deb "$build"/corvelle-sendmail_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
# The mailer links first, the program last: callers take the last line.
ls "$build"/corvelle-sendmail_*.deb "$build"/corvelle_*.deb
