#!/usr/bin/env bash
# A whole-system scan in a Wine prefix of its own whose drives are folders this test makes:
#   E: fixed, F: CD-ROM (must be skipped), G: network, H: the program's folder.
# Usage: whole_system_scan.sh <folder of built programs> <source folder> <work folder> [<program file>]
set -uo pipefail
bin=$1; src=$2; work=$3; program=${4:-recovery-tool.exe}
fail() { echo "FAIL: $*"; exit 1; }

rm -rf "$work/drives"
mkdir -p "$work/drives"/{fixed/sub,cdrom,remote,app}
d=$work/drives
for f in fixed/a.wsd fixed/sub/b.wsd fixed/keep.txt cdrom/c.wsd remote/d.wsd; do echo "content" > "$d/$f"; done
cp "$bin/$program" "$d/app/recovery-tool.exe"
cp "$bin/sciter.dll" "$d/app/"
cp "$bin/keyloom-test.dll" "$d/app/Keyloom.dll"
printf 'flags=scan,backup,overwrite,whole\nresult=*.wsd,1\n' > "$d/app/Keyloom.dll.cfg"
printf 'on call showFinalStep close\n' > "$d/app/scenario.txt"

prefix=$work/prefix
"$src/tools/wine/make-prefix" "$prefix" sealed e="$d/fixed" f="$d/cdrom:cdrom" g="$d/remote:network" h="$d/app" \
  || fail "could not make the prefix"

cd "$d/app"
STANDIN_ENGINE_JOURNAL='H:\journal.txt' STANDIN_ENGINE_SCENARIO='H:\scenario.txt' \
  WINEPREFIX=$prefix WINEDEBUG=-all timeout 300 wine 'H:\recovery-tool.exe' start -full-scan -disable-backup
rc=$?
WINEPREFIX=$prefix wineserver -k 2>/dev/null
[ "$rc" = 0 ] || fail "exit code $rc"

record=$d/app/Keyloom.dll.record
[ -f "$record" ] || fail "no record of library calls"
offered=$(grep -c $'^DecryptSingleFile\t' "$record")
echo "files offered over all drives: $offered"
for wanted in 'E:\a.wsd' 'E:\sub\b.wsd' 'G:\d.wsd'; do
  grep -qF $'DecryptSingleFile\t\\\\?\\'"$wanted"$'\t1' "$record" || fail "$wanted was not offered under its long-path root"
done
grep -qF 'F:\' "$record" && fail "the CD-ROM drive was scanned"
grep -qE $'\t\\\\\\\\\\?\\\\[AB]:' "$record" && fail "a floppy letter was scanned"
first_e=$(grep -n -F '\\?\E:\' "$record" | head -1 | cut -d: -f1)
first_g=$(grep -n -F '\\?\G:\' "$record" | head -1 | cut -d: -f1)
last_c=$(grep -n -F '\\?\C:\' "$record" | tail -1 | cut -d: -f1)
[ -n "$last_c" ] && [ "$last_c" -lt "$first_e" ] && [ "$first_e" -lt "$first_g" ] || fail "roots not scanned in letter order"
tail -1 "$record" | grep -qx Finish || fail "Finish was not the last call"

log=$(find "$prefix/drive_c" -name OstrivelLog.txt | head -1)
[ -n "$log" ] || fail "no log file"
grep -qF 'Network drives that a user mapped are not seen by a program that runs as administrator' "$log" \
  || fail "the log does not say that mapped drives are not searched"
grep -qF 'was passed over' "$log" && fail "a letter of a drive of its own was passed over"

[ -e "$d/fixed/a.wsd" ] && fail "a decrypted file was kept although Backup was off"
[ -e "$d/fixed/sub/b.wsd" ] && fail "a decrypted file in a subfolder was kept"
[ -e "$d/remote/d.wsd" ] && fail "a decrypted file on the network drive was kept"
[ -e "$d/cdrom/c.wsd" ] || fail "a file on the skipped CD-ROM drive is gone"
[ -e "$d/fixed/keep.txt" ] || fail "a file the library did not decrypt is gone"
echo "whole-system scan: ok"
