#!/usr/bin/env bash
# Redraws the PNG icons from corvelle.svg. The PNGs are kept in the repository,
# so a build needs no SVG renderer; run this only after changing the drawing.
set -euo pipefail
ici=$(cd "$(dirname "$0")" && pwd)
command -v rsvg-convert >/dev/null || "$ici/../scripts/setup.sh"
for cote in 16 24 32 48 64 128 256; do
  rsvg-convert -w "$cote" -h "$cote" "$ici/corvelle.svg" -o "$ici/icones/corvelle-$cote.png"
done
