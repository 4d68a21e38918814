#!/usr/bin/env bash
# Installs what is missing, builds and starts the program.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
bash scripts/install-deps.sh
bash scripts/build.sh build -DKALMETRA_BUILD_TESTS=OFF -DKALMETRA_BUILD_BENCH=OFF
exec build/app/kalmetra
