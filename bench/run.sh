#!/usr/bin/env bash
# Runs every benchmark script in this folder against the build in $1.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
for script in "$here"/*.sh; do
  [ "$(basename "$script")" = run.sh ] && continue
  echo "== $(basename "$script" .sh)"
  bash "$script" "$build"
done
