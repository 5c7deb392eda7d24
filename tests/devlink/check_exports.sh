#!/usr/bin/env bash
# The shared library exports exactly the names of the list, and nothing else.
set -euo pipefail
lib=$1 list=$2
actual=$(nm -D --defined-only "$lib" | awk '{print $NF}' | sort)
expected=$(grep -v '^#' "$list" | sed '/^$/d' | sort)
if [ "$actual" != "$expected" ]; then
  diff <(echo "$expected") <(echo "$actual") | sed 's/^</missing:/; s/^>/unexpected:/' >&2 || true
  exit 1
fi
echo "exports match: $(echo "$actual" | wc -l) names"
