#!/usr/bin/env bash
# The tool's main job, end to end: builds, makes a folder of files encrypted by the demonstration family
# in a Wine prefix of its own, and recovers it silently from the command line:
#   recovery-tool.exe start -scan-path D:\victim -test-path D:\pairs
# with the demonstration decryption library and the stand-in UI engine, whose page double closes the
# window once the outcome step is shown. Prints the files before and after, the log and the exit code.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
tools/install-deps.sh
cmake --preset recovery-tool >/dev/null
cmake --build --preset recovery-tool >/dev/null

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

# A prefix whose only drives are its own c: and D:, the demonstration folder.
tools/wine/make-prefix "$work/prefix" sealed "d=$work/drive"
run() { (cd "$work/drive/app" && WINEPREFIX="$work/prefix" WINEDEBUG=-all wine "$@"); }

cp "$bin/demo_encrypt.exe" "$work/drive/app/"
run demo_encrypt.exe 'D:\victim' 'D:\pairs' >/dev/null
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
echo "== Log (%TEMP%\\OstrivelLog.txt in the prefix)"
cat "$work"/prefix/drive_c/users/*/AppData/Local/Temp/OstrivelLog.txt 2>/dev/null | tr -d '\r' || echo "(no log)"
echo "== What the page was told"
grep '^SciterCall ' "$work/drive/journal.txt" | sed 's/^SciterCall //' | grep -v '"name":"setProgressInfo"' || true
