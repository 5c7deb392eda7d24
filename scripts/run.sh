#!/usr/bin/env bash
# Starts the program from a directory that holds its side files.
set -euo pipefail
build=${1:-build}
root=$(cd "$(dirname "$0")/.." && pwd)
if [ ! -x "$root/$build/app/velko-q37" ]; then
  echo "The program is not built yet; only the library Fenlo exists so far." >&2
  exit 1
fi
rundir="$root/run"
mkdir -p "$rundir"
cp -n "$root/resources/ETM.vfa" "$root/resources/Vie32.vfd" "$rundir/" 2>/dev/null || true
cd "$rundir"
exec "$root/$build/app/velko-q37"
