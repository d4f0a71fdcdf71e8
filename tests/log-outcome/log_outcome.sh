#!/usr/bin/env bash
# The user guide's rules for reading a run's outcome from the log, as tools/read-log-outcome.sh states
# them, against logs that real runs of the program write: a recovered folder, a partly failed one, an
# argument error, a missing decryption library, and several runs in one log; and a real run's log cut short
# or with a stop or a closed window before its outcome.
# Usage: log_outcome.sh <folder of built programs> <source folder> <work folder>
set -uo pipefail
bin=$1; src=$2; work=$3
fail() { echo "FAIL: $*"; exit 1; }
reader=$src/tools/read-log-outcome.sh
key=00112233445566778899aabbccddeeff

d=$work/drive
rm -rf "$work"
mkdir -p "$d"/{app,nolib,victim,mixed}
for i in 1 2; do printf 'Quarterly report %s\nThe numbers are fine.\n' "$i" > "$d/victim/report-$i.txt"; done
printf 'Minutes of the meeting\n' > "$d/mixed/minutes.txt"
printf 'Holiday plans, all of them\n' > "$d/mixed/plans.txt"
cp "$bin/recovery-tool.exe" "$bin/sciter.dll" "$bin/demo_encrypt.exe" "$d/app/"
cp "$bin/keyloom-demo.dll" "$d/app/Keyloom.dll"
cp "$bin/recovery-tool.exe" "$bin/sciter.dll" "$d/nolib/"
printf 'on call showFinalStep delay 300 close\n' > "$d/scenario.txt"

prefix=$work/prefix
"$src/tools/wine/make-prefix" "$prefix" sealed d="$d" || fail "could not make the prefix"
export WINEPREFIX=$prefix WINEDEBUG=-all STANDIN_ENGINE_SCENARIO='D:\scenario.txt'
# Also ends a console prompt that an argument-error run left waiting.
trap 'wineserver -k 2>/dev/null' EXIT
run_limit=120
in_folder() { local folder=$1; shift; (cd "$d/$folder" && timeout "$run_limit" wine "$@" </dev/null >/dev/null 2>&1); }

in_folder app demo_encrypt.exe 'D:\victim' 'D:\pairs' "$key" || fail "demo_encrypt failed on the victim folder"
in_folder app demo_encrypt.exe 'D:\mixed' 'D:\pairs-unused' "$key" || fail "demo_encrypt failed on the mixed folder"
# A damaged file: its body is one byte short of the original size, so the library cannot restore it.
truncate -s -1 "$d/mixed/plans.txt.kyl"

# %TEMP% of the prefix's user; where Wine puts it differs between versions, so it is looked for.
find_log() { find "$prefix/drive_c/users" -name OstrivelLog.txt -print -quit; }
checked=0
# expect_run <expected exit codes of the program, a pattern> <expected reader line> <expected reader code>
#            <folder> <program arguments...>
expect_run() {
  local want_rc=$1 want_line=$2 want_code=$3; shift 3
  local before=0 log
  log=$(find_log)
  [[ -n $log ]] && before=$(wc -l < "$log")
  in_folder "$@"
  local rc=$?
  log=$(find_log)
  [[ -n $log ]] || fail "$*: no log was written"
  [[ $rc =~ ^($want_rc)$ ]] || fail "$* ended with $rc, not $want_rc"
  tail -n +"$((before + 1))" "$log" > "$work/new-lines.txt"
  local line code
  line=$("$reader" "$work/new-lines.txt"); code=$?
  [[ $line == "$want_line" && $code == "$want_code" ]] ||
    fail "$*: the reader said \"$line\" ($code), not \"$want_line\" ($want_code)"
  echo "ok: $* -> $line"
  checked=$((checked + 1))
}

expect_run 0 "succeeded: The threat is gone!" 0 \
  app recovery-tool.exe start -scan-path 'D:\victim' -test-path 'D:\pairs'
cp "$work/new-lines.txt" "$work/success.txt"   # the successful run's lines, for the cut-short logs below
expect_run 0 "failed: The recovery process has failed for some files. Only 1 from 2 files were decrypted." 1 \
  app recovery-tool.exe start -scan-path 'D:\mixed' -test-path 'D:\pairs'

# Cut short: the successful run's log up to its scan's start, and up to its first line only, as a watcher
# sees it while the run goes on or after a library refused to start (which logs nothing).
# expect_lines <file> <expected reader line> <expected reader code>
expect_lines() {
  local line code
  line=$("$reader" "$1"); code=$?
  [[ $line == "$2" && $code == "$3" ]] || fail "$1: the reader said \"$line\" ($code), not \"$2\" ($3)"
  echo "ok: $(basename "$1") -> $line"
}
grep -q $'\t\[Scanning system...\]' "$work/success.txt" || fail "the successful run logged no start of its scan"
sed -n '0,/\[Scanning system\.\.\.\]/p' "$work/success.txt" > "$work/scan-began.txt"
expect_lines "$work/scan-began.txt" "no-outcome: the scan began but its outcome is not in the log" 4
sed -n '0,/command line arguments:/p' "$work/success.txt" > "$work/started.txt"
expect_lines "$work/started.txt" "no-outcome: the run started but its scan has not begun" 4
# A window closed during the run: the outcome then tells only what was done before the stop.
stamp=$(sed -n 's/^\(\[[^]]*\]\).*/\1/p' "$work/success.txt" | head -n 1)
awk -v closed="$stamp"$'\t[Debug]\t[The window was closed during the run: it ends after the file in hand.]\r' \
  '/\[The decryption process has ended\.\]/ { print closed } { print }' "$work/success.txt" > "$work/closed.txt"
expect_lines "$work/closed.txt" "failed: stopped before the end: The threat is gone!" 1
stamp_stop=$'\t[Info]\t[The decryption process has been stopped! Waiting for the last file to be decrypted, to avoid corruption...]\r'
awk -v stop="$stamp$stamp_stop" '/\[The decryption process has ended\.\]/ { print stop } { print }' \
  "$work/success.txt" > "$work/stopped.txt"
expect_lines "$work/stopped.txt" "failed: stopped before the end: The threat is gone!" 1
# A later run in the same log starts afresh: its success is not marked by the earlier stop.
cat "$work/stopped.txt" "$work/success.txt" > "$work/stopped-then-whole.txt"
expect_lines "$work/stopped-then-whole.txt" "succeeded: The threat is gone!" 0

# Two runs in one log: the later one decides.
# The refusals of a library that Wine cannot show (no system account, no broken record here) read the
# same way as every other library that is not bound.
for refusal in \
  'The decryption library was not bound: running as the system account, the folder "C:\Tools" lets others than Administrators, SYSTEM and TrustedInstaller change it (S-1-5-32-545). Lock it down as the user guide says: icacls' \
  "The decryption library's option list cannot be read: it ends before it begins."; do
  printf '[2026-12-11 10:00:00.0000000]\t[Debug]\t[%s]\r\n' "$refusal" > "$work/refusal.txt"
  line=$("$reader" "$work/refusal.txt"); code=$?
  [[ $code == 3 && $line == "library-not-bound: $refusal" ]] || fail "\"$refusal\" read as \"$line\" ($code)"
  checked=$((checked + 1))
done

line=$("$reader" "$(find_log)"); code=$?
[[ $code == 1 && $line == failed:* ]] || fail "the whole log after a success and a failure read as \"$line\" ($code)"
echo "ok: two runs in one log -> $line"

# An argument error ends in a console prompt. Without a terminal Wine may answer it at once (exit code 2)
# or wait for a key like Windows, until the time limit (124): the log lines are written before either.
run_limit=20
expect_run "2|124" "argument-error: Missing scan path argument." 2 app recovery-tool.exe start -test-path 'D:\pairs'
expect_run "2|124" "argument-error: Silent execution parameters:" 2 app recovery-tool.exe -help
run_limit=120
expect_run 1 "library-not-bound: Could not get address of GetInfo!" 3 nolib recovery-tool.exe start -full-scan

# The refusals of a library that Wine cannot show (no system account, no broken record here) read the
# same way as every other library that is not bound.
for refusal in \
  'The decryption library was not bound: running as the system account, the folder "C:\Tools" lets others than Administrators, SYSTEM and TrustedInstaller change it (S-1-5-32-545). Lock it down as the user guide says: icacls' \
  "The decryption library's option list cannot be read: it ends before it begins."; do
  printf '[2026-12-11 10:00:00.0000000]\t[Debug]\t[%s]\r\n' "$refusal" > "$work/refusal.txt"
  line=$("$reader" "$work/refusal.txt"); code=$?
  [[ $code == 3 && $line == "library-not-bound: $refusal" ]] || fail "\"$refusal\" read as \"$line\" ($code)"
  checked=$((checked + 1))
done

line=$("$reader" "$(find_log)"); code=$?
[[ $code == 3 ]] || fail "the whole log, whose last run found no library, read as \"$line\" ($code)"
echo "log outcome reader: ok ($checked runs)"
