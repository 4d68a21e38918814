#!/usr/bin/env bash
# Configures and builds one build folder: build.sh <folder> [cmake -D options] [--target T ...]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
dir="$1"; shift
configure=()
targets=()
while [ "$#" -gt 0 ]; do
  case "$1" in
    --target) targets+=(--target "$2"); shift 2 ;;
    *) configure+=("$1"); shift ;;
  esac
done
cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${configure[@]}"
cmake --build "$dir" --parallel "$(nproc)" "${targets[@]}"
