#!/usr/bin/env bash
# The console program's files where a command line says, with links and second names planted at their
# paths: real Unix links, as Wine shows them, which a Windows program cannot make under Wine. Nothing
# outside the report folder may change, and each file written is a plain file of its own.
# Usage: planted_links.sh <folder of built programs> <source folder> <work folder> [<console program file>]
set -uo pipefail
bin=$1; src=$2; work=$3; program=${4:-recovery-run.exe}
fail() { echo "FAIL: $*"; exit 1; }

d=$work/drive
rm -rf "$d"
mkdir -p "$d"/{app,files,reports}
cp "$bin/$program" "$d/app/recovery-run.exe"
cp "$bin/keyloom-test.dll" "$d/app/Keyloom.dll"
printf 'flags=scan,backup,overwrite,whole\nresult=*,1\nrecord=none\n' > "$d/app/Keyloom.dll.cfg"
echo "content" > "$d/files/a.kyl"
echo precious > "$d/secret.txt"
echo precious > "$d/secret2.txt"
ln -s ../secret.txt "$d/reports/link.jsonl"          # a link to a file outside the folder
ln "$d/secret2.txt" "$d/reports/second-name.jsonl"    # a second name of a file outside it
ln -s ../made-through-a-link.csv "$d/reports/dangling.csv"  # a link to nothing yet

prefix=$work/prefix
"$src/tools/wine/make-prefix" "$prefix" sealed d="$d" >/dev/null || fail "could not make the prefix"
export WINEPREFIX=$prefix WINEDEBUG=-all
cd "$d/app"
run() { timeout 120 wine 'D:\app\recovery-run.exe' "$@" >"$d/out.txt" 2>"$d/err.txt"; }

for report in link second-name; do
  run start -scan-path 'D:\files' -report "D:\\reports\\$report.jsonl"
  rc=$?
  [ "$rc" = 0 ] || fail "a run with its report at a planted $report: exit code $rc: $(cat "$d/out.txt" "$d/err.txt")"
  file="$d/reports/$report.jsonl"
  [ -f "$file" ] && [ ! -L "$file" ] || fail "$report.jsonl is not a plain file of its own"
  [ "$(stat -c %h "$file")" = 1 ] || fail "$report.jsonl still shares its content with another name"
  head -n 1 "$file" | grep -q '"type":"start"' || fail "$report.jsonl has no first line"
  tail -n 1 "$file" | grep -q '"type":"end"' || fail "$report.jsonl has no last line"
done
[ "$(cat "$d/secret.txt")" = precious ] || fail "the link's target was written"
[ "$(cat "$d/secret2.txt")" = precious ] || fail "the other name's content was written"

run summary 'D:\reports' -csv 'D:\reports\dangling.csv'
rc=$?
[ "$rc" = 0 ] || fail "summary: exit code $rc: $(cat "$d/err.txt")"
[ -e "$d/made-through-a-link.csv" ] && fail "the CSV was made where a dangling link pointed"
[ -f "$d/reports/dangling.csv" ] && [ ! -L "$d/reports/dangling.csv" ] || fail "dangling.csv is not a plain file"
grep -q '^"Computer"' "$d/reports/dangling.csv" || fail "the CSV has no heading"
wineserver -k 2>/dev/null
echo "planted links and second names: ok"
