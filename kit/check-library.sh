#!/usr/bin/env bash
# Runs keyloom-check on a decryption library under Wine, on copies only:
#   kit/check-library.sh <library.dll> [--samples <folder>] [--test-path <folder>]
# The library, the samples and the test folder are copied into a fresh folder, and the checker runs in a
# Wine prefix whose only drives are its own C: and K:, that folder. Nothing else of this machine is
# reachable from the library. The exit code is the checker's: 0 when every check passed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
checker=${KEYLOOM_CHECK:-$root/build/x64/bin/keyloom-check.exe}
work=${KEYLOOM_CHECK_WORK:-$root/build/kit-check}

if [ $# -lt 1 ]; then
  echo "usage: $0 <library.dll> [--samples <folder>] [--test-path <folder>]" >&2
  exit 2
fi
if [ ! -f "$checker" ]; then
  echo "$checker is missing: build first (cmake --preset recovery-tool && cmake --build --preset recovery-tool)" >&2
  exit 2
fi
library=$1; shift

run=$work/run
rm -rf "$run"
mkdir -p "$run"
cp "$checker" "$run/keyloom-check.exe"
cp "$library" "$run/$(basename "$library")"
args=("K:\\$(basename "$library")")
while [ $# -gt 0 ]; do
  case $1 in
    --samples | --test-path)
      [ $# -ge 2 ] && [ -d "$2" ] || { echo "$1 needs an existing folder" >&2; exit 2; }
      copy=${1#--}
      cp -r "$2" "$run/$copy"
      args+=("$1" "K:\\$copy")
      shift 2 ;;
    *)
      echo "unexpected argument $1" >&2
      exit 2 ;;
  esac
done

cd "$run"  # Wine starts in a folder it can reach: K:\
# Re-made on every run: make-prefix keeps an existing prefix and only maps its drives anew.
"$root/tools/wine/make-prefix" "$work/prefix" sealed k="$run"
"$root/tools/wine/run" "$work/prefix" 'K:\keyloom-check.exe' "${args[@]}"
