#!/usr/bin/env bash
# The tool's main job, end to end: builds, makes a folder of files encrypted by the demonstration family
# in a Wine prefix of its own, and recovers it silently from the command line:
#   recovery-tool.exe start -scan-path D:\victim -test-path D:\pairs
# with the demonstration decryption library and the stand-in UI engine, whose page double closes the
# window once the outcome step is shown. Prints the files before and after, the log and the exit code.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
source tools/lib/steps.sh

step "installing what is missing"
tools/install-deps.sh
build_preset recovery-tool

bin=$root/build/x64/bin
work=$root/build/demo
rm -rf "$work"
mkdir -p "$work/drive/app" "$work/drive/victim/photos" "$work/drive/pairs"

# Clean files that the demonstration family then encrypts.
for i in 1 2 3; do
  printf 'Quarterly report %s\nThe numbers are fine.\n' "$i" > "$work/drive/victim/report-$i.txt"
done
head -c 4096 /dev/urandom > "$work/drive/victim/photos/holiday.raw"
printf 'Dear diary, today everything was encrypted. Tomorrow it will not be.\n' > "$work/drive/victim/photos/diary.txt"

# The clean files as they were, to check the recovery against.
cp -r "$work/drive/victim" "$work/originals"

# A prefix whose only drives are its own c: and D:, the demonstration folder.
step "making the demonstration's Wine prefix"
logged demo-prefix "making the demonstration's Wine prefix" tools/wine/make-prefix "$work/prefix" sealed "d=$work/drive"
run() { (cd "$work/drive/app" && WINEPREFIX="$work/prefix" WINEDEBUG=-all wine "$@"); }

cp "$bin/demo_encrypt.exe" "$work/drive/app/"
logged demo-encrypt "encrypting the demonstration folder" run demo_encrypt.exe 'D:\victim' 'D:\pairs'
echo "== Encrypted folder"
(cd "$work/drive" && find victim pairs -type f | sort)

cp "$bin/recovery-tool.exe" "$bin/sciter.dll" "$work/drive/app/"
cp "$bin/keyloom-demo.dll" "$work/drive/app/Keyloom.dll"
printf 'on call showFinalStep delay 300 close\n' > "$work/drive/scenario.txt"

echo "== recovery-tool.exe start -scan-path D:\\victim -test-path D:\\pairs"
set +e
STANDIN_ENGINE_SCENARIO='D:\scenario.txt' STANDIN_ENGINE_JOURNAL='D:\journal.txt' \
  run recovery-tool.exe start -scan-path 'D:\victim' -test-path 'D:\pairs'
code=$?
set -e
echo "exit code: $code"

echo "== Folder after the run"
(cd "$work/drive" && find victim -type f | sort)
restored=0 total=0
while IFS= read -r file; do
  total=$((total + 1))
  if cmp -s "$work/originals/$file" "$work/drive/victim/$file"; then restored=$((restored + 1)); else echo "not restored: $file"; fi
done < <(cd "$work/originals" && find . -type f | sort)
echo "== Restored: $restored of $total files are byte for byte as they were before encryption"
[ "$restored" = "$total" ] || code=1

# The log is where the program found %TEMP%: ask the prefix for it rather than guess the profile's layout.
temp=$(run cmd.exe /c echo %TEMP% | tr -d '\r')
log=$(WINEPREFIX="$work/prefix" WINEDEBUG=-all winepath -u "$temp\OstrivelLog.txt" 2>/dev/null)
echo "== Log ($temp\OstrivelLog.txt)"
if [ -f "$log" ]; then tr -d '\r' < "$log"; else echo "(no log at $log)"; code=1; fi
echo "== What the page was told"
grep '^SciterCall ' "$work/drive/journal.txt" | sed 's/^SciterCall //' | grep -v '"name":"setProgressInfo"' || true
WINEPREFIX="$work/prefix" wineserver -k 2>/dev/null || true
exit "$code"
