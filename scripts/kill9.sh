#!/usr/bin/env bash
# Kills the program's writes with SIGKILL at pseudo-random moments (fixed seeds) and
# checks after each kill and the next start that the catalogue is sound and holds the
# rows before or after the write, that every written file is the old or a whole new one,
# and that no temporary file is left in the program folder, "Ses" or the export folder.
#
#   bash scripts/kill9.sh [--kills N] [--build DIR] [--seed S] [--kinds "csv xml ..."]
#
# N kills per kind of write (3 by default, 20 or more for the long form); DIR is a build
# folder configured with tests on (build by default), whose tests/kill9/kill9 is the driver.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

kills=3
build="$root/build"
seed=1977
kinds="novy editace import csv txt xml html nastaveni zanry pdf sablona"
while [ $# -gt 0 ]; do
  case "$1" in
    --kills) kills="$2"; shift 2 ;;
    --build) build="$(cd "$2" && pwd)"; shift 2 ;;
    --seed) seed="$2"; shift 2 ;;
    --kinds) kinds="$2"; shift 2 ;;
    *) echo "kill9.sh: unknown argument $1" >&2; exit 2 ;;
  esac
done

driver="$build/tests/kill9/kill9"
if [ ! -x "$driver" ]; then
  echo "kill9.sh: no driver at $driver (build the target kill9)" >&2
  exit 2
fi
export QT_QPA_PLATFORM=offscreen

work="$(mktemp -d "${TMPDIR:-/tmp}/kalmetra-kill9.XXXXXX")"
trap 'rm -rf "$work"' EXIT
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  export XDG_RUNTIME_DIR="$work/runtime"
  mkdir -m 700 "$XDG_RUNTIME_DIR"
fi
# No step may hang the run: each driver call has a limit of its own.
limit=120

fail() {
  echo "kill9.sh: $*" >&2
  for f in "$work"/write.err "$work"/check.err "$work"/start.err; do
    [ -s "$f" ] && { echo "--- $f" >&2; cat "$f" >&2; }
  done
  exit 1
}

RANDOM=$seed
total=0
for kind in $kinds; do
  folder="$work/$kind"
  timeout $limit "$driver" prepare "$folder" 2>"$work/check.err" || fail "$kind: prepare failed"
  state="$(timeout $limit "$driver" check "$kind" "$folder" 0 2>"$work/check.err")" || fail "$kind: first check failed"
  state="${state##* }"
  completed=0
  for ((i = 1; i <= kills; i++)); do
    # From the driver's start-up (about a quarter of a second) to well into its writes.
    delay_ms=$((150 + RANDOM % 1400))
    "$driver" write "$kind" "$folder" "$i" >"$work/write.out" 2>"$work/write.err" &
    pid=$!
    sleep "$(printf '%d.%03d' $((delay_ms / 1000)) $((delay_ms % 1000)))"
    if ! kill -9 "$pid" 2>/dev/null; then
      wait "$pid" || true
      fail "$kind #$i: the write ended by itself before the kill"
    fi
    wait "$pid" 2>/dev/null || true
    # The last state the driver announced; none when killed during its start-up.
    last="$(grep -E '^(zacatek|hotovo) [0-9]+$' "$work/write.out" | tail -n 1 | cut -d' ' -f2 || true)"
    [ -n "$last" ] || last="$state"
    completed=$((completed + $(grep -c '^hotovo' "$work/write.out" || true)))
    timeout $limit "$driver" start "$folder" 2>"$work/start.err" || fail "$kind #$i: start after the kill failed"
    state="$(timeout $limit "$driver" check "$kind" "$folder" "$last" 2>"$work/check.err")" ||
      fail "$kind #$i (seed $seed, ${delay_ms} ms): check failed"
    state="${state##* }"
    total=$((total + 1))
  done
  echo "kill9 $kind: $kills kills, $completed writes completed between them, state $state"
done
echo "kill9: $total kills, every write all or nothing"
