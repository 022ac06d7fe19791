#!/usr/bin/env bash
# The default run (a .def and a .lib from a DLL) on a DLL of 3,000 exports,
# against gendef followed by llvm-dlltool on the same DLL. vortane's time
# includes its fixed one-second pause after the linker run; the ratio is
# taken without it.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

n=3000
{ for i in $(seq 0 $((n - 1))); do echo "int function_$i(void) { return $i; }"; done; } > big.c
{ echo "LIBRARY big.dll"; echo "EXPORTS"; for i in $(seq 0 $((n - 1))); do echo "    function_$i"; done; } > big-exports.def
clang -target x86_64-pc-windows-msvc -O1 -c big.c -o big.obj
lld-link /nologo /dll /noentry /nodefaultlib /machine:x64 /def:big-exports.def /out:big.dll /implib:discard.lib big.obj
rm -f discard.lib discard.exp big-exports.def big.c big.obj

cp "$build/bin/vortane" "$build/bin/LINK" .
hyperfine --warmup 1 --runs 10 --export-json times.json \
  -n vortane './vortane -l big.dll' \
  -n 'gendef + llvm-dlltool' 'gendef - big.dll > peer.def 2>/dev/null && llvm-dlltool -m i386:x86-64 -d peer.def -l peer.lib'
python3 - <<'PY'
import json
r = {x["command"]: x["mean"] for x in json.load(open("times.json"))["results"]}
ours = r["vortane"] - 1.0
peer = r["gendef + llvm-dlltool"]
print(f"vortane without its 1 s pause: {ours*1000:.1f} ms; gendef + llvm-dlltool: {peer*1000:.1f} ms; ratio {ours/peer:.2f}")
PY
