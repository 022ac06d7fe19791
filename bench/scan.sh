#!/usr/bin/env bash
# Directory scan: `vortane -e '*.dll'` in directories of 1,000 to 8,000 files
# (a DLL-named junk file each, every one opened and mapped, and a quarter as
# many other files that do not match). The time per file must stay flat as
# the directory grows: the scan is linear in the number of entries. The
# yardstick is `find -maxdepth 1 -iname '*.dll'` over the same directory.
# `vortane -e '*.exe'`, which matches nothing, shows the enumeration alone.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$build/bin/vortane" "$work/"

sizes=(1000 2000 4000 8000)
args=()
for n in "${sizes[@]}"; do
  d="$work/d$n"
  mkdir "$d"
  (cd "$d" && for ((i = 0; i < n; i++)); do
     printf 'junk' > "lib$i.dll"
     if ((i % 4 == 0)); then printf 'x' > "note$i.txt"; fi
   done)
  args+=(-n "vortane $n" "cd $d && ../vortane -e '*.dll'")
  args+=(-n "enumerate $n" "cd $d && ../vortane -e '*.exe'")
  args+=(-n "find $n" "cd $d && find . -maxdepth 1 -iname '*.dll'")
done

# vortane ends with status 2: none of the junk files is an image.
hyperfine --ignore-failure --warmup 2 --runs 10 --export-json "$work/times.json" "${args[@]}" >/dev/null 2>&1
python3 - "$work/times.json" "${sizes[@]}" <<'PY'
import json, sys
r = {x["command"]: x["mean"] for x in json.load(open(sys.argv[1]))["results"]}
sizes = [int(s) for s in sys.argv[2:]]
for n in sizes:
    ours, alone, peer = r[f"vortane {n}"], r[f"enumerate {n}"], r[f"find {n}"]
    print(f"{n:5d} files: vortane {ours*1000:7.1f} ms ({ours/n*1e6:5.2f} us/file); "
          f"enumeration alone {alone*1000:5.1f} ms; find {peer*1000:6.1f} ms; ratio {ours/peer:.1f}")
# The cost of one more file: the slope between neighbouring sizes, which
# leaves out the fixed cost of starting the program.
for a, b in zip(sizes, sizes[1:]):
    slope = (r[f"vortane {b}"] - r[f"vortane {a}"]) / (b - a)
    print(f"{a:5d} -> {b:5d} files: {slope*1e6:5.2f} us per added file")
PY
