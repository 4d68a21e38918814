#!/usr/bin/env bash
# Installs what is missing, then builds and tests twice: a normal build and a sanitizer build;
# then fuzzes every reader of user files briefly (scripts/fuzz.sh, 20 s a target).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

bash scripts/install-deps.sh

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"

# Both builds state every option, so that an earlier run command or a hand-made
# configuration of the same folder cannot switch the tests off; a build that lists no
# test fails instead of passing.
bash scripts/build.sh build -DKALMETRA_SANITIZE=OFF -DKALMETRA_BUILD_TESTS=ON -DKALMETRA_BUILD_BENCH=ON
ctest --test-dir build --output-on-failure --no-tests=error
# Every write of the program killed with SIGKILL at three moments each (kill9.sh names
# the long form).
bash scripts/kill9.sh --build build --kills 3

# A crash, leak, timeout or running out of memory in any reader fails the run.
bash scripts/fuzz.sh 20

bash scripts/build.sh build-asan -DKALMETRA_SANITIZE=ON -DKALMETRA_BUILD_TESTS=ON -DKALMETRA_BUILD_BENCH=OFF
ctest --test-dir build-asan --output-on-failure --no-tests=error
