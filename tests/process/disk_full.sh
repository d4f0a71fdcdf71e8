#!/usr/bin/env bash
# The DemoVault library on a really full disk: a small memory-backed file system holds one encrypted
# file that cannot be restored beside itself. Needs the right to mount; skipped (exit 77) without it.
# Usage: disk_full.sh <folder of built programs> <source folder> <work folder> [<program file>]
set -uo pipefail
bin=$1; src=$2; work=$3; program=${4:-recovery-tool.exe}
fail() { echo "FAIL: $*"; exit 1; }

d=$work/drives
mountpoint -q "$d/small" 2>/dev/null && umount "$d/small"
rm -rf "$d"
mkdir -p "$d"/{small,plain/victim,app}
if ! mount -t tmpfs -o size=512k tmpfs "$d/small" 2>/dev/null; then
  echo "cannot mount a small file system here: skipped"
  exit 77
fi
trap 'umount "$d/small" 2>/dev/null' EXIT

head -c 300000 /dev/urandom > "$d/plain/victim/big.bin"
cp "$bin/$program" "$d/app/recovery-tool.exe"
cp "$bin/sciter.dll" "$bin/demo_encrypt.exe" "$d/app/"
cp "$bin/keyloom-demo.dll" "$d/app/Keyloom.dll"
printf 'on call showFinalStep close\n' > "$d/app/scenario.txt"

prefix=$work/prefix
"$src/tools/wine/make-prefix" "$prefix" sealed e="$d/small" g="$d/plain" h="$d/app" || fail "could not make the prefix"
export WINEPREFIX=$prefix WINEDEBUG=-all
cd "$d/app"
timeout 120 wine 'H:\demo_encrypt.exe' 'G:\victim' 'G:\pairs' 00112233445566778899aabbccddeeff || fail "demo_encrypt failed"
mkdir -p "$d/small/victim"
cp "$d/plain/victim/big.bin.kyl" "$d/small/victim/"
cp -r "$d/plain/pairs" "$d/small/pairs"
df -k "$d/small" | tail -1

STANDIN_ENGINE_JOURNAL='H:\journal.txt' STANDIN_ENGINE_SCENARIO='H:\scenario.txt' \
  timeout 120 wine 'H:\recovery-tool.exe' start -scan-path 'E:\victim' -test-path 'E:\pairs' -disable-backup
rc=$?
wineserver -k 2>/dev/null
[ "$rc" = 0 ] || fail "exit code $rc"

grep -q '"name":"setFinalMessage","args":\["The recovery process has been stopped due to insufficient disk space."\]' \
  "$d/app/journal.txt" || fail "the page was not told about the full disk"
grep -q '"name":"showFinalStep","args":\[false\]' "$d/app/journal.txt" || fail "not the failure step"
[ -e "$d/small/victim/big.bin.kyl" ] || fail "the encrypted file is gone"
[ -e "$d/small/victim/big.bin" ] && fail "a partial restored file was left behind"
echo "full disk: ok"
