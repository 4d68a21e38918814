#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need; only what is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libsqlite3-dev libicu-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-translations-l10n
  desktop-file-utils libxml2-utils poppler-utils
  # The fuzz targets (scripts/fuzz.sh): clang with libFuzzer and its sanitizer runtimes.
  clang libclang-rt-14-dev
)
for option in "$@"; do
  case "$option" in
    --with-display) packages+=(xvfb xauth) ;;
    # The spreadsheet that scripts/check-export-formats.sh opens the CSV export with.
    --with-office) packages+=(libreoffice-calc-nogui) ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update
  "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi
