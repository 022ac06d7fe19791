#!/usr/bin/env bash
# The Windows build: both programs cross-compiled with mingw-w64, then run
# under wine on the sample DLL. They must need no DLL beside them but the
# system's, list the sample's exports and make its import library.
# Exit 77 (skipped) when the cross compiler or wine is missing.
set -euo pipefail
src=$1 sample=$2
cxx=$(command -v x86_64-w64-mingw32-g++-posix || true)
if [ -z "$cxx" ] || ! command -v wine >/dev/null; then
  echo "skipped: x86_64-w64-mingw32-g++-posix or wine not installed"
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat > "$work/toolchain.cmake" <<TC
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_CXX_COMPILER $cxx)
TC
cmake -S "$src" -B "$work/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$work/toolchain.cmake" \
  -DBUILD_TESTING=OFF -DVORTANE_BENCH=OFF >/dev/null
cmake --build "$work/build" --target vortane LINK >/dev/null

for exe in vortane.exe LINK.exe; do
  extra=$(x86_64-w64-mingw32-objdump -p "$work/build/bin/$exe" | sed -n 's/.*DLL Name: //p' |
          grep -viE '^(kernel32|msvcrt|advapi32|user32|ntdll)\.dll$' || true)
  [ -z "$extra" ] || { echo "FAIL: $exe needs $extra"; exit 1; }
done

mkdir "$work/run"
cp "$work/build/bin/vortane.exe" "$work/build/bin/LINK.exe" "$sample" "$work/run/"
cd "$work/run"
export WINEDEBUG=-all
out=$(wine vortane.exe -e sample.dll | tr -d '\r')
echo "$out" | grep -q '  Fwd to: OTHER.ReadData$' || { echo "FAIL: listing"; echo "$out"; exit 1; }
out=$(wine vortane.exe -x sample.dll | tr -d '\r')
echo "$out" | grep -qx 'Cmd: LINK -lib -nologo -machine:x64 -out:sample.lib -def:sample.def' ||
  { echo "FAIL: command line"; echo "$out"; exit 1; }
[ -s sample.lib ] && [ -s sample.def ] && [ ! -e sample.exp ] || { echo "FAIL: files"; ls; exit 1; }
printf '\r\nLIBRARY "sample.dll"\r\n\r\nEXPORTS\r\n    Close\r\n    Open\r\n    Read\r\n    SampleData\r\n    Write\r\n\r\n' |
  cmp -s - sample.def ||
  { echo "FAIL: .def bytes"; od -c sample.def | head; exit 1; }
echo "1 passed, 0 failed"
