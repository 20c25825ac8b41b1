#!/usr/bin/env bash
# Builds Tolvarin, installs the peers (hexdump from bsdextrautils, xxd, GNU
# time) when they are missing, and prints the benchmark table.
# Usage: bench/run.sh [MiB [LARGE_MiB [RUNS]]]
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v hexdump >/dev/null || ! command -v xxd >/dev/null || [ ! -x /usr/bin/time ]; then
  apt-get update -q && apt-get install -y -q bsdextrautils xxd time
fi
cmake -S . -B build >/dev/null && cmake --build build -j2 >/dev/null
python3 bench/bench.py build/Tolvarin "$@"
