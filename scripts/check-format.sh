#!/usr/bin/env bash
# Fails when a C++ file of the project is not formatted as .clang-format
# says; with --fix, formats them in place.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cc' '*.h' '*.h.in')
if [ "${1:-}" = "--fix" ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
unformatted=$(clang-format --dry-run "${files[@]}" 2>&1 | sed -n 's/^\([^ :][^:]*\):[0-9]*:[0-9]*: warning: .*/\1/p' | sort -u)
if [ -n "$unformatted" ]; then
  echo "$unformatted" | sed 's/^/not clang-format clean: /' >&2
  echo "format: run scripts/check-format.sh --fix" >&2
  exit 1
fi
echo "format: ${#files[@]} files clean"
