#!/usr/bin/env bash
# Makes a release that a decryption library's maker hands to victims: one ZIP per processor holding the
# program signed with Authenticode, the UI engine and the decryption library exactly as supplied, the user
# guide, a bill of materials (bom.cdx.json) and SHA256SUMS over all of them. Before anything is built or
# signed it refuses a DLL built for the other processor, an engine without its entry point and a missing
# key; then it runs keyloom-check on each library in a sealed Wine prefix and refuses a library that fails.
# Prints one line per package, "<zip>  <size> bytes  sha256 <sum>", and exits non-zero on any refusal.
#
#   tools/release.sh --engine-x64 <sciter.dll> --engine-x86 <sciter.dll>
#                    --library-x64 <Keyloom.dll> --library-x86 <Keyloom.dll>
#                    --pkcs12 <key.p12> --password-file <file> [--timestamp-url <url>]
#                    [--samples-x64 <folder>] [--samples-x86 <folder>]
#                    [--test-path-x64 <folder>] [--test-path-x86 <folder>] [--out <folder>] [--allow-uncommitted]
#
# The password file holds the PKCS#12 file's password on its first line. A key on a PKCS#11 token (a
# smart card, a hardware security module) replaces --pkcs12 with --pkcs11-module <module.so>
# --pkcs11-key <pkcs11: URI of the private key> --certificate <its certificate, PEM>, and the password
# file then holds the token's PIN. The samples and test-path folders are handed to keyloom-check
# (docs/library-authors.md, section 8). --out defaults to build/release.
# --allow-uncommitted releases from a checkout with changes to tracked files (for a trial: the bill of
# materials then says so, and the programs cannot be rebuilt from the commit alone).
# INSTALL_DEPS=no skips tools/install-deps.sh (the test suite sets it, as tools/test.sh installed all).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
caller=$PWD
cd "$root"
source tools/lib/steps.sh
source tools/lib/pe.sh
source tools/lib/linked-pieces.sh
source tools/lib/authenticode.sh

usage() { sed -n '9,13s/^# \{0,1\}//p' "$0" >&2; exit 2; }
refuse() { echo "REFUSED: $*" >&2; exit 1; }

declare -A given=()
allow_uncommitted=no
while [ $# -gt 0 ]; do
  case $1 in
    --engine-x64 | --engine-x86 | --library-x64 | --library-x86 | --pkcs12 | --password-file | --timestamp-url | \
      --pkcs11-module | --pkcs11-key | --certificate | --samples-x64 | --samples-x86 | --test-path-x64 | \
      --test-path-x86 | --out)
      [ $# -ge 2 ] || { echo "$1 needs a value" >&2; usage; }
      value=$2
      # Paths are the caller's; the script works from the checkout.
      [[ $1 == --timestamp-url || $1 == --pkcs11-key ]] || value=$(cd "$caller" && realpath -ms -- "$value")
      given[${1#--}]=$value
      shift 2 ;;
    --allow-uncommitted) allow_uncommitted=yes; shift ;;
    -h | --help) usage ;;
    *) echo "unexpected argument: $1" >&2; usage ;;
  esac
done
for option in engine-x64 engine-x86 library-x64 library-x86; do
  [ -n "${given[$option]:-}" ] || { echo "--$option is required" >&2; usage; }
done
if [ -n "${given[pkcs12]:-}" ]; then
  key=${given[pkcs12]}
  key_options=(-pkcs12 "$key")
elif [ -n "${given[pkcs11-module]:-}" ]; then
  [ -n "${given[pkcs11-key]:-}" ] && [ -n "${given[certificate]:-}" ] ||
    refuse "a key on a token needs --pkcs11-key (its pkcs11: URI) and --certificate besides --pkcs11-module"
  key=${given[pkcs11-key]}
  key_options=(-pkcs11module "${given[pkcs11-module]}" -key "$key" -certs "${given[certificate]}")
else
  refuse "no signing key: give the PKCS#12 file with --pkcs12 (or a token's --pkcs11-module, --pkcs11-key" \
    "and --certificate), and its password or PIN with --password-file"
fi
[ -n "${given[password-file]:-}" ] || refuse "no --password-file for the signing key $key"
out=${given[out]:-$root/build/release}
work=$root/build/release-work

if [ "${INSTALL_DEPS:-yes}" != no ]; then
  step "installing what is missing"
  tools/install-deps.sh
fi

step "checking what was supplied"
# A key or password file in the checkout, where "git add" would take it, is refused (build/ is ignored).
for option in pkcs12 password-file; do
  case ${given[$option]:-} in
    "$root"/*) git check-ignore -q "${given[$option]}" ||
      refuse "${given[$option]} (--$option) lies in the checkout, where git could commit it: keep it outside" ;;
  esac
done
declare -A what=([pkcs12]="the signing key" [pkcs11-module]="the PKCS#11 module" [certificate]="the certificate")
for option in pkcs12 pkcs11-module certificate; do
  file=${given[$option]:-}
  [ -z "$file" ] || [ -f "$file" ] || refuse "${what[$option]} $file (--$option) does not exist"
  [ -z "$file" ] || [ -r "$file" ] || refuse "${what[$option]} $file (--$option) cannot be read"
done
[ -f "${given[password-file]}" ] || refuse "the password file ${given[password-file]} (--password-file) does not exist"
for option in samples-x64 samples-x86 test-path-x64 test-path-x86; do
  [ -z "${given[$option]:-}" ] || [ -d "${given[$option]}" ] || refuse "${given[$option]} (--$option) is not a folder"
done
# check_dll <option> <processor> <what it is>
check_dll() {
  local file=${given[$1]} built
  [ -f "$file" ] || refuse "$file (--$1) does not exist"
  built=$(pe_processor "$file")
  case $built in
    none) refuse "$file (--$1) is not a Windows program or DLL" ;;
    other) refuse "$file (--$1) is built for a processor that is neither x64 nor x86" ;;
  esac
  [ "$built" = "$2" ] ||
    refuse "$file (--$1) is built for $(processor_words "$built") Windows;" \
      "the $2 package needs the $(processor_words "$2") $3"
  pe_is_dll "$file" || refuse "$file (--$1) is a program, not a DLL: the $2 package needs the $3"
}
for processor in x64 x86; do
  check_dll "engine-$processor" "$processor" "UI engine"
  check_dll "library-$processor" "$processor" "decryption library"
  exports=$(pe_exports "${given[engine-$processor]}")
  grep -qx SciterAPI <<<"$exports" ||
    refuse "${given[engine-$processor]} (--engine-$processor) has no entry point SciterAPI: it is not the UI engine"
done
echo "the engines and libraries are DLLs of their processors; each engine exports SciterAPI"

git rev-parse --verify -q HEAD >/dev/null ||
  refuse "$root is not a git checkout: a release names the commit it is built from"
commit=$(git rev-parse HEAD)
changes=no
if [ -n "$(git status --porcelain --untracked-files=no)" ]; then
  [ "$allow_uncommitted" = yes ] ||
    refuse "the checkout has uncommitted changes (git status): commit them, or give --allow-uncommitted for a trial"
  changes=yes
fi

if reason=$(i386_wine_missing); then
  refuse "the x86 library cannot be checked without 32-bit Wine: $reason"
fi

program_of() { [ "$1" = x64 ] && echo recovery-tool || echo recovery-tool-x86; }
build_of() { echo "build/$1"; }
for processor in x64 x86; do
  preset=$(program_of "$processor")
  step "building the program and keyloom-check of the preset $preset (output in build/logs/release-*-$preset.log)"
  # A configured build folder configures itself again when it must; configuring it here would rewrite the
  # test files of a suite that may be running from it.
  [ -f "$(build_of "$processor")/build.ninja" ] ||
    logged "release-configure-$preset" "configuring the preset $preset" cmake --preset "$preset"
  logged "release-build-$preset" "building the preset $preset" \
    cmake --build --preset "$preset" --target "$preset" keyloom-check
done

mkdir -p "$work"
for processor in x64 x86; do
  library=${given[library-$processor]}
  step "checking the $processor library $library with keyloom-check, in a sealed Wine prefix"
  check_args=("$library")
  [ -n "${given[samples-$processor]:-}" ] && check_args+=(--samples "${given[samples-$processor]}")
  [ -n "${given[test-path-$processor]:-}" ] && check_args+=(--test-path "${given[test-path-$processor]}")
  report=$logs/release-check-$processor.log
  if ! KEYLOOM_CHECK=$root/$(build_of "$processor")/bin/keyloom-check.exe KEYLOOM_CHECK_WORK=$work/check \
    kit/check-library.sh "${check_args[@]}" >"$report" 2>&1; then
    cat "$report" >&2
    refuse "$library (--library-$processor) fails keyloom-check (the rows above); nothing was signed or packed"
  fi
  tail -n 1 "$report"
done

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/x64/CMakeCache.txt)
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
# Both packages are staged before either is packed, so that a failure leaves no package behind.
rm -rf "$work/stage"
for processor in x64 x86; do
  name=recovery-tool-$version-$processor-complete
  stage=$work/stage/$name
  program=$(program_of "$processor").exe
  rm -rf "$stage" && mkdir -p "$stage"
  step "signing $program (output in build/logs/release-sign-$processor.log)"
  logged "release-sign-$processor" "signing $program with $key" \
    authenticode_sign "$(build_of "$processor")/bin/$program" "$stage/$program" "Ostrivel recovery tool" \
    "${given[timestamp-url]:-}" "${key_options[@]}" -readpass "${given[password-file]}"

  step "staging $name"
  cp "${given[engine-$processor]}" "$stage/sciter.dll"
  cp "${given[library-$processor]}" "$stage/Keyloom.dll"
  cp docs/user-guide.md "$stage/user-guide.md"
  pieces=$(linked_pieces "$processor") || fail "could not tell what is linked into $program"
  linked=()
  while IFS= read -r piece; do linked+=(--linked "$piece"); done <<<"$pieces"
  distro=$(. /etc/os-release && echo "$ID-$VERSION_ID")
  logged "release-bom-$processor" "making the bill of materials of $name" \
    node tools/bom/make.js --folder "$stage" --version "$version" --commit "$commit" --changes "$changes" \
    --processor "$processor" --distro "$distro" --program "$program" --engine sciter.dll --library Keyloom.dll \
    --guide user-guide.md --supplied-engine "$(basename "${given[engine-$processor]}")" \
    --supplied-library "$(basename "${given[library-$processor]}")" "${linked[@]}"
  (cd "$stage" && LC_ALL=C ls | grep -vx SHA256SUMS | xargs -d '\n' sha256sum > SHA256SUMS)
done

step "packing both packages into $out"
mkdir -p "$out"
lines=()
for stage in "$work"/stage/*; do
  zip=$out/$(basename "$stage").zip
  rm -f "$zip"
  python3 tools/lib/zip_folder.py "$stage" "$zip" "$SOURCE_DATE_EPOCH"
  lines+=("$(printf '%s  %s bytes  sha256 %s' "$zip" "$(stat -c %s "$zip")" "$(sha256sum "$zip" | cut -d' ' -f1)")")
done
state=""; [ "$changes" = yes ] && state=" (with uncommitted changes)"
step "made the release of commit $commit$state; check it with tools/verify-release.sh"
printf '%s\n' "${lines[@]}"
