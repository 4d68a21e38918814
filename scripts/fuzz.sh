#!/usr/bin/env bash
# Builds the libFuzzer targets of the file readers (clang, address and undefined-behaviour
# sanitizers) in build-fuzz and runs each for the given time:
#   fuzz.sh [seconds per target] [target ...]     e.g. fuzz.sh 3600, fuzz.sh 600 template
# Targets: csv_import settings genre_list template expression (all when none is named).
# Each target starts from a copy of its seed corpus in fuzz/corpus (kept and grown in
# build-fuzz/corpus, so a later run goes on from there). A crash, a leak, a timeout or
# running out of memory fails the run; the input that did it is left in
# build-fuzz/artifacts and named in the output.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

seconds="${1:-60}"
shift || true
targets=("$@")
[ "${#targets[@]}" -gt 0 ] || targets=(csv_import settings genre_list template expression)

build="$root/build-fuzz"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DKALMETRA_FUZZ=ON -DKALMETRA_SANITIZE=OFF -DKALMETRA_BUILD_TESTS=OFF -DKALMETRA_BUILD_BENCH=OFF >/dev/null
build_targets=()
for t in "${targets[@]}"; do build_targets+=(--target "fuzz_$t"); done
start=$SECONDS
cmake --build "$build" --parallel "${KALMETRA_BUILD_JOBS:-$(nproc)}" "${build_targets[@]}"
echo "fuzz build: $((SECONDS - start)) s"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"

mkdir -p "$build/artifacts"
failed=()
for t in "${targets[@]}"; do
  exe="$build/fuzz/fuzz_$t"
  [ -x "$exe" ] || { echo "no fuzz target $t" >&2; exit 2; }
  corpus="$build/corpus/$t"
  mkdir -p "$corpus"
  for seed in "$root/fuzz/corpus/$t/"*; do
    [ -e "$corpus/$(basename "$seed")" ] || cp "$seed" "$corpus/"
  done
  # Templates get more room: a real one with an embedded picture is tens of kilobytes.
  max_len=16384
  [ "$t" = template ] && max_len=65536
  options=(-max_total_time="$seconds" -max_len="$max_len" -rss_limit_mb=2048 -timeout=10
           -artifact_prefix="$build/artifacts/$t-" -print_final_stats=1)
  [ -f "$root/fuzz/dict/$t.dict" ] && options+=(-dict="$root/fuzz/dict/$t.dict")
  echo "== fuzzing $t for $seconds s"
  log="$build/artifacts/$t.log"
  if "$exe" "${options[@]}" "$corpus" >"$log" 2>&1; then
    grep -E '^(Done|stat::number_of_executed_units|stat::new_units_added)' "$log" || true
  else
    tail -n 60 "$log"
    failed+=("$t")
  fi
done

passed=$(( ${#targets[@]} - ${#failed[@]} ))
if [ "${#failed[@]}" -gt 0 ]; then
  echo "fuzzing found faults in: ${failed[*]} (inputs in $build/artifacts)" >&2
  echo "fuzz: $passed passed, ${#failed[@]} failed"
  exit 1
fi
echo "fuzz: $passed passed, 0 failed"
