#!/usr/bin/env bash
# Fails when a C++ file of the tree is not laid out as .clang-format says; prints each place.
# To lay a file out: clang-format -i FILE
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
dirs=(app devlink tools common tests bench fuzz)
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -t files < <(git ls-files -- "${dirs[@]}" | grep -E '\.(cpp|h)$')
else
  mapfile -t files < <(find "${dirs[@]}" -type f \( -name '*.cpp' -o -name '*.h' \) | sort)
fi
[ ${#files[@]} -eq 0 ] && exit 0
if ! printf '%s\0' "${files[@]}" | xargs -0 clang-format --dry-run --Werror; then
  echo "check-format: files above differ from .clang-format (clang-format -i FILE lays them out)" >&2
  exit 1
fi
