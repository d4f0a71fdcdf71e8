#!/usr/bin/env bash
# Builds this checkout a second time, in a temporary folder at another path and so at another time, for
# both presets, and compares the programs and DLLs with those of the checkout's own build, bit for bit.
# Prints one line per file; exits 1 when any file differs or is missing.
#
#   tools/check-reproducible.sh          every DLL and every program but the test programs (*_test.exe)
#   tools/check-reproducible.sh --all    every .exe and .dll the build makes, test programs included
#
# KEEP_REBUILD=1 keeps the temporary folder for a closer look (diffoscope, objdump -p, strings).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

compare_tests=false
if [[ ${1:-} == --all ]]; then compare_tests=true; fi
presets=(recovery-tool recovery-tool-x86)
started=$(date +%s)

# The files compared in one build folder: its bin/ programs and DLLs, from the build's own list of outputs.
compared_outputs() {
  ninja -C "$1" -t targets all | sed -n 's/^\(bin\/[^/:]*\.\(exe\|dll\)\):.*/\1/p' |
    { if $compare_tests; then cat; else grep -v '_test\.exe$'; fi; } | sort -u
}

build_outputs() {  # <source folder> <preset> <build folder>
  (cd "$1" && cmake --preset "$2" >/dev/null)
  mapfile -t outputs < <(compared_outputs "$3")
  (cd "$1" && cmake --build --preset "$2" --target "${outputs[@]}" >/dev/null)
}

build_dir() { [[ $1 == recovery-tool ]] && echo build/x64 || echo build/x86; }

# The checkout's own build first: a no-op after tools/test.sh, and it makes sure both sides are current.
for preset in "${presets[@]}"; do
  echo "== Building $preset in the checkout"
  build_outputs "$root" "$preset" "$root/$(build_dir "$preset")"
done

# The second build: the checkout's tracked files as they are now, under a path of another length.
rebuild=$(mktemp -d "${TMPDIR:-/tmp}/recovery-tool-second-build.XXXXXXXX")
stop_wine_servers() {
  local prefix
  for prefix in "$rebuild"/src/build/*/wine/*-prefix; do
    [[ -d $prefix ]] && WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
  done
}
cleanup() {
  stop_wine_servers
  if [[ ${KEEP_REBUILD:-} == 1 ]]; then echo "kept: $rebuild"; else rm -rf "$rebuild"; fi
}
trap cleanup EXIT
mkdir "$rebuild/src"
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  git ls-files -z | while IFS= read -r -d '' f; do [[ -e $f ]] && printf '%s\0' "$f"; done |
    tar --null -T - -cf - | tar -xf - -C "$rebuild/src"
else
  # No git (a minimal machine): everything but what builds and tests leave behind.
  tar --exclude=./build --exclude=./.git --exclude='*/node_modules' --exclude=./tests/page/test-results \
    -cf - . | tar -xf - -C "$rebuild/src"
fi

for preset in "${presets[@]}"; do
  echo "== Building $preset again in a temporary folder"
  build_outputs "$rebuild/src" "$preset" "$rebuild/src/$(build_dir "$preset")"
done

echo "== Comparing"
differing=0
for preset in "${presets[@]}"; do
  dir=$(build_dir "$preset")
  # The packed window document is compared too: it is embedded in the program, and a difference in it is
  # easier to read here than in the program.
  files=$(compared_outputs "$rebuild/src/$dir")
  if [[ -f $rebuild/src/$dir/ui/ui-archive.bin ]]; then files+=" ui/ui-archive.bin"; fi
  for file in $files; do
    first=$root/$dir/$file
    second=$rebuild/src/$dir/$file
    if [[ ! -f $first || ! -f $second ]]; then
      echo "MISSING  $dir/$file"
      differing=$((differing + 1))
    elif cmp -s "$first" "$second"; then
      echo "same     $dir/$file"
    else
      echo "DIFFERS  $dir/$file ($(cmp -l "$first" "$second" 2>/dev/null | wc -l) bytes differ)"
      differing=$((differing + 1))
    fi
  done
done

echo "took $(($(date +%s) - started)) s"
if ((differing > 0)); then
  echo "not reproducible: $differing file(s) differ or are missing"
  exit 1
fi
echo "reproducible: both builds are identical, bit for bit"
