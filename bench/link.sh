#!/usr/bin/env bash
# LINK against llvm-dlltool, both making an x64 import library from the same
# .def file, for .def files of 3,000 and 30,000 exports, in one hyperfine run.
# Prints the time ratios and the peak memory of each (from /usr/bin/time -v),
# and how memory grows from 3,000 to 30,000 exports.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
cp "$build/bin/LINK" .

# A mix of the names real DLLs export: plain C names, C++ names, decorated
# stdcall names, variables, and now and then one exported by ordinal only.
make_def() {
  local n=$1 out=$2
  awk -v n="$n" 'BEGIN {
    printf "\r\nLIBRARY \"big%d.dll\"\r\n\r\nEXPORTS\r\n", n
    for (i = 0; i < n; i++) {
      k = i % 10
      if (k == 0)      printf "    ?Method%d@Class@@QEAAHH@Z\r\n", i
      else if (k == 1) printf "    _Stdcall%d@8\r\n", i
      else if (k == 2) printf "    Variable%d DATA\r\n", i
      else if (k == 3) printf "    ByOrdinal%d @%d NONAME\r\n", i, i + 1
      else             printf "    Function_%d_WithALongerName\r\n", i
    }
    printf "\r\n"
  }' > "$out"
}
make_def 3000 small.def
make_def 30000 large.def

ours() { echo "./LINK -lib -nologo -machine:x64 -out:ours-$1.lib -def:$1.def"; }
peer() { echo "llvm-dlltool -m i386:x86-64 -d $1.def -l peer-$1.lib"; }

hyperfine --warmup 3 --runs 20 --export-json times.json \
  -n "LINK 3000" "$(ours small)" -n "llvm-dlltool 3000" "$(peer small)" \
  -n "LINK 30000" "$(ours large)" -n "llvm-dlltool 30000" "$(peer large)"

peak_kb() {
  if [ -x /usr/bin/time ]; then
    /usr/bin/time -v "$@" 2>&1 >/dev/null | awk -F': ' '/Maximum resident set size/ { print $2 }'
  else
    echo 0
  fi
}
mem_ours_small=$(peak_kb $(ours small)); mem_peer_small=$(peak_kb $(peer small))
mem_ours_large=$(peak_kb $(ours large)); mem_peer_large=$(peak_kb $(peer large))

python3 - "$mem_ours_small" "$mem_peer_small" "$mem_ours_large" "$mem_peer_large" <<'PY'
import json, sys
r = {x["command"]: x["mean"] for x in json.load(open("times.json"))["results"]}
mos, mps, mol, mpl = (int(v) for v in sys.argv[1:5])
for n in ("3000", "30000"):
    ours, peer = r["LINK " + n], r["llvm-dlltool " + n]
    print(f"{n:>5} exports: LINK {ours*1000:7.2f} ms, llvm-dlltool {peer*1000:7.2f} ms, ratio {ours/peer:.2f} (aim: at most 0.50)")
if mos:
    print(f"peak memory  3000: LINK {mos} kB, llvm-dlltool {mps} kB, ratio {mos/mps:.2f}")
    print(f"peak memory 30000: LINK {mol} kB, llvm-dlltool {mpl} kB, ratio {mol/mpl:.2f}")
    print(f"LINK memory growth from 3000 to 30000 exports: {mol/mos:.2f}x "
          f"(above a fixed base of a small program; linear means at most 10x)")
else:
    print("peak memory: /usr/bin/time not installed (Debian package time)")
PY
