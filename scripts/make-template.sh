#!/usr/bin/env bash
# Regenerates resources/Kalmetra_sablona.sqlite, the empty catalogue the program writes
# out on its first start, with the sqlite3 command-line tool. The build uses the
# committed file; run this only when the table definition changes.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$root/resources/Kalmetra_sablona.sqlite"
command -v sqlite3 >/dev/null || { echo "sqlite3 (the command-line tool) is needed" >&2; exit 1; }

cr=$'\r'
definition="CREATE TABLE Tabulka (${cr}
 Id INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL,${cr}
 Titul VARCHAR(80),${cr}
 Rok VARCHAR(4),${cr}
 Stopaz VARCHAR(4),${cr}
 Zanr VARCHAR(30),${cr}
 Puvod VARCHAR(30),${cr}
 Rezie VARCHAR(30),${cr}
 Obsazeni VARCHAR(255),${cr}
 Koment VARCHAR(255),${cr}
 Umisteni VARCHAR(255)${cr}
)"

tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
db="$tmp/template.sqlite"
# The statement is passed as an argument, not through the shell's line reader, so the
# CR LF line ends reach the stored definition unchanged.
sqlite3 "$db" "PRAGMA page_size=1024; PRAGMA encoding='UTF-8'; PRAGMA journal_mode=DELETE; $definition;" >/dev/null

stored="$(sqlite3 "$db" "SELECT hex(sql) FROM sqlite_master WHERE name='Tabulka'")"
wanted="$(printf '%s' "$definition" | od -An -tx1 | tr -d ' \n' | tr 'a-f' 'A-F')"
[ "$stored" = "$wanted" ] || { echo "stored table definition differs" >&2; exit 1; }
[ "$(sqlite3 "$db" "SELECT count(*) FROM sqlite_master WHERE name='sqlite_sequence'")" = 1 ] \
  || { echo "sqlite_sequence missing" >&2; exit 1; }
[ "$(stat -c %s "$db")" = 3072 ] || { echo "template is not 3072 bytes" >&2; exit 1; }

cp "$db" "$out"
echo "written $out"
