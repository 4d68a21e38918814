#!/usr/bin/env bash
# Redraws the fallback action icons in resources/icons from scripts/ikony/kresli_ikony.cpp.
# The build uses the committed pictures; run this only after changing the drawings.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
g++ -std=c++20 -O1 -fPIC "$root/scripts/ikony/kresli_ikony.cpp" -o "$tmp/kresli_ikony" \
    $(pkg-config --cflags --libs Qt6Gui)
mkdir -p "$root/resources/icons"
QT_QPA_PLATFORM=offscreen "$tmp/kresli_ikony" "$root/resources/icons"
echo "icons written to $root/resources/icons"
