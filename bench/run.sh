#!/usr/bin/env bash
# Builds Tolvarin, installs the peers (hexdump from bsdextrautils, xxd, GNU
# time) when they are missing, and prints the benchmark tables.
# Usage: bench/run.sh [--windows] [bench.py's options: --mib N, --large-mib N,
# --runs N, --baseline OTHER_BUILD]; --windows also builds the 64-bit and
# the 32-bit Windows programs (the windows64 and windows presets' packages)
# and times them under Wine, the 32-bit one where the machine runs it.
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v hexdump >/dev/null || ! command -v xxd >/dev/null || [ ! -x /usr/bin/time ]; then
  apt-get update -q && apt-get install -y -q bsdextrautils xxd time
fi
cmake -S . -B build >/dev/null && cmake --build build -j2 >/dev/null
args=()
for arg in "$@"; do
  if [ "$arg" = --windows ]; then
    for preset in windows64:build-win64 windows:build-win; do
      cmake --preset "${preset%%:*}" >/dev/null && cmake --build "${preset#*:}" -j2 >/dev/null
      args+=(--windows "${preset#*:}/Tolvarin.exe")
    done
  else
    args+=("$arg")
  fi
done
python3 bench/bench.py build/Tolvarin "${args[@]}"
