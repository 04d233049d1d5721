#!/usr/bin/env bash
# Fails when a C++ file of the tree is not formatted as .clang-format says,
# and names each such file. Tables that the formatter would spread over many
# lines stay readable between "// clang-format off" and "// clang-format on".
#   check-format.sh            every C++ file git knows of
#   check-format.sh FILE ...   only these
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"

if [ $# -gt 0 ]; then
  files=("$@")
else
  mapfile -t files < <(git ls-files -- '*.cpp' '*.h')
fi

bad=()
for f in "${files[@]}"; do
  if ! clang-format --dry-run --Werror "$f" >/dev/null 2>&1; then
    bad+=("$f")
  fi
done

if [ ${#bad[@]} -gt 0 ]; then
  echo "check-format: ${#bad[@]} file(s) not formatted; run clang-format -i on them:" >&2
  printf '  %s\n' "${bad[@]}" >&2
  exit 1
fi
echo "check-format: ${#files[@]} C++ files formatted"
