#!/usr/bin/env bash
# Installs Kalmetra for the desktop: install.sh [folder]   (the folder is ~/Kalmetra unless given)
#
# Builds the program folder, copies it to a folder the user can write to (the catalogue,
# the settings and the genre list live beside the program) and registers the program with
# the desktop: a launcher in the user's applications folder and the icon in the hicolor
# theme. Installing again keeps the user's catalogue, settings, genre list and every report
# template the user has changed or added.
#
# --no-build installs the program folder as it stands (KALMETRA_PROGRAM_FOLDER, or
# build/Kalmetra of this checkout), without installing packages or building.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

build=1
if [ "${1:-}" = "--no-build" ]; then build=0; shift; fi
dest="${1:-$HOME/Kalmetra}"
source="${KALMETRA_PROGRAM_FOLDER:-$root/build/Kalmetra}"

if [ "$build" = 1 ]; then
  bash "$root/scripts/install-deps.sh"
  bash "$root/scripts/build.sh" "$root/build" -DKALMETRA_SANITIZE=OFF -DKALMETRA_BUILD_TESTS=ON \
    -DKALMETRA_BUILD_BENCH=ON --target kalmetra
fi
[ -x "$source/kalmetra" ] || { echo "No program folder at $source: build it first." >&2; exit 1; }

mkdir -p "$dest/Ses"
dest="$(cd "$dest" && pwd)"
manifest="$dest/.kalmetra-instalace"
new_manifest="$dest/.kalmetra-instalace.new"
: > "$new_manifest"

# The files the program writes for its user; they never come from the program folder.
user_file() {
  case "$1" in
    Kalmetra.sqlite | Kalmetra.ini | Zanr.txt | Sestavy.ini) return 0 ;;
    *) return 1 ;;
  esac
}

# Replaces one file through a temporary copy, so a running program or a failed copy never
# sees half a file.
place() {
  local from="$1" to="$2"
  cp -p "$from" "$to.instalace-tmp"
  mv -f "$to.instalace-tmp" "$to"
}

sum_of() { sha256sum "$1" | cut -d' ' -f1; }

for f in "$source"/*; do
  name="$(basename "$f")"
  [ -f "$f" ] || continue
  user_file "$name" && continue
  place "$f" "$dest/$name"
done

# A shipped template is replaced only while it is as the last install left it.
kept=()
for f in "$source"/Ses/*.ksr; do
  [ -f "$f" ] || continue
  name="Ses/$(basename "$f")"
  shipped="$(sum_of "$f")"
  target="$dest/$name"
  if [ ! -e "$target" ]; then
    place "$f" "$target"
  else
    current="$(sum_of "$target")"
    previous="$(grep -F "  $name" "$manifest" 2>/dev/null | awk -v n="$name" '$2 == n {print $1}' | head -n1 || true)"
    if [ "$current" = "$shipped" ]; then
      :
    elif [ -n "$previous" ] && [ "$current" = "$previous" ]; then
      place "$f" "$target"
    else
      kept+=("$name")
    fi
  fi
  printf '%s  %s\n' "$shipped" "$name" >> "$new_manifest"
done
mv -f "$new_manifest" "$manifest"

# The desktop launcher. The Exec path is quoted and escaped as the desktop entry format
# asks, so a folder with spaces or quotes still starts the program.
data_home="${XDG_DATA_HOME:-$HOME/.local/share}"
apps="$data_home/applications"
icons="$data_home/icons/hicolor"
mkdir -p "$apps" "$icons/48x48/apps" "$icons/128x128/apps" "$icons/scalable/apps"
place "$root/resources/ikona/kalmetra-48.png" "$icons/48x48/apps/kalmetra.png"
place "$root/resources/ikona/kalmetra-128.png" "$icons/128x128/apps/kalmetra.png"
place "$root/resources/ikona/kalmetra.svg" "$icons/scalable/apps/kalmetra.svg"

exec_path="$(printf '%s' "$dest/kalmetra" | sed -e 's/[\\"`$]/\\&/g' -e 's/\\/\\\\/g' -e 's/%/%%/g')"
launcher="$apps/kalmetra.desktop"
cat > "$launcher.instalace-tmp" <<DESKTOP
[Desktop Entry]
Type=Application
Version=1.0
Name=Kalmetra
GenericName=Katalog filmů
Comment=Katalog soukromé sbírky filmů: hledání, třídění, export a tisk sestav
Exec="$exec_path"
Icon=kalmetra
Terminal=false
Categories=AudioVideo;Video;Database;
Keywords=film;filmy;katalog;sbírka;video;
DESKTOP
mv -f "$launcher.instalace-tmp" "$launcher"

command -v update-desktop-database >/dev/null && update-desktop-database -q "$apps" 2>/dev/null || true
command -v gtk-update-icon-cache >/dev/null && gtk-update-icon-cache -q -t "$icons" 2>/dev/null || true

echo "Kalmetra installed in $dest"
echo "Launcher: $launcher"
for name in "${kept[@]}"; do echo "Kept your changed report template $name"; done
