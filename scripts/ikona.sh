#!/usr/bin/env bash
# Redraws the application icon's pictures (48 and 128 px) from resources/ikona/kalmetra.svg.
# The build uses the committed pictures; run this only after changing the drawing.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
command -v rsvg-convert >/dev/null || { echo "rsvg-convert (package librsvg2-bin) is needed" >&2; exit 1; }
for size in 48 128; do
  rsvg-convert -w "$size" -h "$size" "$root/resources/ikona/kalmetra.svg" -o "$root/resources/ikona/kalmetra-$size.png"
done
