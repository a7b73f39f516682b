#!/usr/bin/env bash
# Renders the program icon's PNG sizes from ternavo.svg (needs rsvg-convert,
# Debian librsvg2-bin). Run in this folder after changing the picture; the
# PNGs are kept in the repository, so building needs no SVG renderer.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
for size in 16 22 24 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" ternavo.svg -o "ternavo_$size.png"
done
