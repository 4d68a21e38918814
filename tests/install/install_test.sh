#!/usr/bin/env bash
# Installs a copy of the built program folder into a temporary home twice and checks the
# launcher, the icons, and that the second install keeps what belongs to the user.
# install_test.sh <source folder> <program folder>
set -euo pipefail
src_root="$1"
program="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# A program folder with one shipped template, standing in for the build's.
folder="$work/program"
mkdir -p "$folder/Ses"
for f in kalmetra libsqlite3.so Napoveda.html kalmetra.png kalmetra.svg; do cp -p "$program/$f" "$folder/"; done
printf '<?xml version="1.0" encoding="windows-1250"?>\r\n<report name="Seznam"/>\r\n' > "$folder/Ses/Seznam.ksr"
printf '<?xml version="1.0" encoding="windows-1250"?>\r\n<report name="Karta"/>\r\n' > "$folder/Ses/Karta.ksr"

export HOME="$work/domov s mezerou"
unset XDG_DATA_HOME
mkdir -p "$HOME"
KALMETRA_PROGRAM_FOLDER="$folder" bash "$src_root/scripts/install.sh" --no-build > "$work/first.log"
dest="$HOME/Kalmetra"
for f in kalmetra libsqlite3.so Napoveda.html Ses/Seznam.ksr Ses/Karta.ksr; do
  [ -f "$dest/$f" ] || fail "$f not installed"
done
[ -x "$dest/kalmetra" ] || fail "program not executable"
cmp -s "$folder/kalmetra" "$dest/kalmetra" || fail "program differs from the program folder's"

launcher="$HOME/.local/share/applications/kalmetra.desktop"
[ -f "$launcher" ] || fail "no launcher"
grep -qx 'Name=Kalmetra' "$launcher" || fail "launcher name"
grep -qx "Exec=\"$dest/kalmetra\"" "$launcher" || fail "launcher Exec: $(grep Exec= "$launcher")"
grep -qx 'Icon=kalmetra' "$launcher" || fail "launcher icon"
if command -v desktop-file-validate >/dev/null; then
  out="$(desktop-file-validate "$launcher" 2>&1)" || fail "desktop-file-validate: $out"
  [ -z "$out" ] || fail "desktop-file-validate says: $out"
else
  fail "desktop-file-validate is not installed"
fi
for icon in 48x48/apps/kalmetra.png 128x128/apps/kalmetra.png scalable/apps/kalmetra.svg; do
  [ -s "$HOME/.local/share/icons/hicolor/$icon" ] || fail "icon $icon"
done

# The user's own files, a changed shipped template and an added one.
printf '[Nastaveni]\r\nZobrazDialogUloz=0\r\n' > "$dest/Kalmetra.ini"
head -c 4096 /dev/urandom > "$dest/Kalmetra.sqlite"
printf 'Drama\r\nKomedie\r\n' > "$dest/Zanr.txt"
printf 'moje zmena\r\n' >> "$dest/Ses/Seznam.ksr"
printf '<report name="Moje"/>\r\n' > "$dest/Ses/Moje.ksr"
mkdir -p "$work/before"
cp -p "$dest/Kalmetra.ini" "$dest/Kalmetra.sqlite" "$dest/Zanr.txt" "$dest/Ses/Seznam.ksr" "$dest/Ses/Moje.ksr" "$work/before/"

# A newer program folder: both shipped templates change, and the user's files lie in it
# too (as after running the program from the build), which must not reach the install.
printf '<!-- nova verze -->\r\n' >> "$folder/Ses/Seznam.ksr"
printf '<!-- nova verze -->\r\n' >> "$folder/Ses/Karta.ksr"
printf 'cizi' > "$folder/Kalmetra.ini"
printf 'cizi' > "$folder/Kalmetra.sqlite"
KALMETRA_PROGRAM_FOLDER="$folder" bash "$src_root/scripts/install.sh" --no-build > "$work/second.log"

for f in Kalmetra.ini Kalmetra.sqlite Zanr.txt; do
  cmp -s "$work/before/$f" "$dest/$f" || fail "$f changed by the second install"
done
cmp -s "$work/before/Seznam.ksr" "$dest/Ses/Seznam.ksr" || fail "the user's changed template was replaced"
cmp -s "$work/before/Moje.ksr" "$dest/Ses/Moje.ksr" || fail "the user's own template was touched"
cmp -s "$folder/Ses/Karta.ksr" "$dest/Ses/Karta.ksr" || fail "an unchanged shipped template was not updated"
grep -q 'Kept your changed report template Ses/Seznam.ksr' "$work/second.log" || fail "kept template not reported"
[ -z "$(find "$dest" -name '*.instalace-tmp')" ] || fail "temporary files left behind"

if [ "$failures" -eq 0 ]; then echo "1 passed, 0 failed"; exit 0; fi
echo "0 passed, 1 failed"
exit 1
