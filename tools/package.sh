#!/usr/bin/env bash
# Makes the two packages, build/x64/package/recovery-tool-<version>-x64.zip and
# build/x86/package/recovery-tool-<version>-x86.zip, with CPack from the builds of both presets, and
# checks that packing is repeatable: each package is packed a second time in another folder and must
# come out byte for byte the same. Prints each package's size and SHA-256 sum.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
source tools/lib/steps.sh

step "installing what is missing"
tools/install-deps.sh
# The entries' times are the commit's time.
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
export SOURCE_DATE_EPOCH

second=$(mktemp -d "${TMPDIR:-/tmp}/recovery-tool-second-pack.XXXXXXXX")
trap 'rm -rf "$second"' EXIT

status=0
for preset in recovery-tool recovery-tool-x86; do
  dir=build/x64; [[ $preset == recovery-tool-x86 ]] && dir=build/x86
  step "building and packing the preset $preset (output in build/logs/package-*$preset*.log)"
  logged "configure-$preset" "configuring the preset $preset" cmake --preset "$preset"
  # Only what the package holds.
  console=recovery-run; [[ $preset == recovery-tool-x86 ]] && console=recovery-run-x86
  logged "package-build-$preset" "building the programs of the preset $preset" \
    cmake --build --preset "$preset" --target "$preset" "$console"
  rm -rf "$dir/package"
  logged "package-$preset" "packing the preset $preset" bash -c "cd '$dir' && cpack -G ZIP"
  logged "package-$preset-again" "packing the preset $preset a second time" bash -c "cd '$dir' && cpack -G ZIP -B '$second/$preset'"
  for zip in "$dir"/package/*.zip; do
    again=$second/$preset/$(basename "$zip")
    # The sums in the package must hold for the files beside them once unpacked.
    rm -rf "$second/unpacked" && mkdir "$second/unpacked" && unzip -q "$zip" -d "$second/unpacked"
    if ! (cd "$second"/unpacked/* && sha256sum --quiet -c SHA256SUMS); then
      echo "WRONG SUMS: $zip"
      status=1
    elif cmp -s "$zip" "$again"; then
      printf '%s  %s bytes  sha256 %s\n' "$zip" "$(stat -c %s "$zip")" "$(sha256sum "$zip" | cut -d' ' -f1)"
    else
      echo "NOT REPEATABLE: $zip differs from a second packing"
      status=1
    fi
  done
done
exit $status
