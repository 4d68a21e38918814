#!/usr/bin/env bash
# Installs what is missing, builds and starts the program from its program folder.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
bash scripts/install-deps.sh
# Every option is stated, so that the test command's build of the same folder is never
# left half-configured by this one, nor this one by it.
bash scripts/build.sh build -DKALMETRA_SANITIZE=OFF -DKALMETRA_BUILD_TESTS=ON -DKALMETRA_BUILD_BENCH=ON \
  --target kalmetra
exec build/Kalmetra/kalmetra
