#!/usr/bin/env bash
# Starts the program in run/, the folder that holds its side files ETM.vfa and Vie32.vfd.
set -euo pipefail
build=${1:-build}
root=$(cd "$(dirname "$0")/.." && pwd)
program="$root/$build/app/velko-q37"
if [ ! -x "$program" ]; then
  echo "velko-q37 is not built in $build; run 'make build' first." >&2
  exit 1
fi
rundir="$root/run"
mkdir -p "$rundir"
# Fresh copies of the side files each start, so the run folder follows the sources.
cp -f "$root/resources/ETM.vfa" "$root/resources/Vie32.vfd" "$rundir/"
cd "$rundir"
exec "$program"
