#!/usr/bin/env bash
# Installs the Debian packages that building and testing need, and only those
# that are missing. Safe to run again: with everything present it does nothing.
set -euo pipefail

packages=(
  g++ make cmake ninja-build          # the build
  clang lld llvm                      # the sample DLL, test DLLs, readers and lld-link
  googletest libgtest-dev libbenchmark-dev
  wine wine64 wine32:i386             # runs what the tests link; Wine's DLLs are test input
  mingw-w64-tools                     # gendef, a peer for the benchmarks
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64  # the Windows build, checked under wine
  hyperfine                           # times the benchmarks
  time                                # /usr/bin/time -v: peak memory in the benchmarks
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
if printf '%s\n' "${missing[@]}" | grep -q ':i386$' && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -qq
$sudo apt-get install -y -qq "${missing[@]}" </dev/null
