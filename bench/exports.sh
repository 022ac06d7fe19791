#!/usr/bin/env bash
# Listing exports: `vortane -e` over all of Wine's i386 DLLs in one run,
# against `llvm-readobj --coff-exports` over the same files in one run.
# llvm-readobj 14 stops at the first file it cannot read (a DLL whose name
# tables are empty and at RVA 0), so those few files are left out of both.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
dir=/usr/lib/i386-linux-gnu/wine/i386-windows
if ! ls "$dir"/*.dll >/dev/null 2>&1; then
  echo "skipped: no Wine i386 DLLs in $dir (install wine32)"
  exit 0
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

: > files
left_out=0
for f in "$dir"/*.dll; do
  if llvm-readobj --coff-exports "$f" >/dev/null 2>&1; then echo "$f" >> files; else left_out=$((left_out + 1)); fi
done
cp "$build/bin/vortane" .
# Both commands read the file list from a file, so the command lines stay short.
cat > ours <<'SH'
#!/bin/sh
exec ./vortane -e $(cat files)
SH
cat > peer <<'SH'
#!/bin/sh
exec llvm-readobj --coff-exports $(cat files)
SH
chmod +x ours peer
echo "$(wc -l < files) DLLs ($left_out left out: llvm-readobj cannot read them)"
# vortane ends with status 2 because some of the files have no export directory.
hyperfine --ignore-failure --warmup 2 --runs 20 --export-json times.json -n vortane ./ours -n llvm-readobj ./peer
python3 - <<'PY'
import json
r = {x["command"]: x["mean"] for x in json.load(open("times.json"))["results"]}
ours, peer = r["vortane"], r["llvm-readobj"]
print(f"vortane -e: {ours*1000:.1f} ms; llvm-readobj --coff-exports: {peer*1000:.1f} ms; ratio {ours/peer:.2f}")
PY
