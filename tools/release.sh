#!/usr/bin/env bash
# Makes a release that a decryption library's maker hands to victims: one ZIP per processor holding the
# programs, the UI engine and the decryption library, each signed with Authenticode, the user guide, a bill
# of materials (bom.cdx.json) that names each file's signer, and SHA256SUMS over all of them. Before
# anything is built it refuses a DLL built for the other processor, an engine without its entry point, a
# missing key, a PIN on the command line and a key that the library check could read; then it runs
# keyloom-check on each library as an unprivileged user and refuses a library that fails, and signs only
# what is byte for byte what it built or was given before the check.
# Prints one line per package, "<zip>  <size> bytes  sha256 <sum>", and exits non-zero on any refusal.
#
#   tools/release.sh --engine-x64 <sciter.dll> --engine-x86 <sciter.dll>
#                    --library-x64 <Keyloom.dll> --library-x86 <Keyloom.dll>
#                    --pkcs12 <key.p12> --password-file <file> [--timestamp-url <url>]
#                    [--samples-x64 <folder>] [--samples-x86 <folder>]
#                    [--test-path-x64 <folder>] [--test-path-x86 <folder>] [--engine-certificate <cert.pem>]
#                    [--processors x64|x86|x64,x86] [--out <folder>] [--allow-uncommitted]
#
# The password file holds the PKCS#12 file's password on its first line. A key on a PKCS#11 token (a
# smart card, a hardware security module) replaces --pkcs12 with --pkcs11-module <module.so>
# --pkcs11-key <pkcs11: URI of the private key, without pin-value> --certificate <its certificate, PEM>,
# and the password file then holds the token's PIN. The samples and test-path folders are handed to
# keyloom-check (docs/library-authors.md, section 8). A supplied engine keeps its maker's signature when
# that verifies against the system's trusted authorities or --engine-certificate (the root of the engine
# maker's chain); otherwise it is signed with the release key too. --out defaults to build/release.
# --processors makes a partial release of the packages of the given processors only, which its output and
# its bills of materials say (for a machine without 32-bit Wine, where the x86 library cannot be checked).
# --allow-uncommitted releases from a checkout with changes to tracked files (for a trial: the bill of
# materials then says so, and the programs cannot be rebuilt from the commit alone).
# Runs as root: the library check runs as the user keyloom-check (tools/lib/check-user.sh), which must not
# be able to read the key, the password file or the token's files, nor write to the checkout.
# INSTALL_DEPS=no skips tools/install-deps.sh (the test suite sets it, as tools/test.sh installed all).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
caller=$PWD
cd "$root"
source tools/lib/steps.sh
source tools/lib/pe.sh
source tools/lib/linked-pieces.sh
source tools/lib/authenticode.sh
source tools/lib/package-contents.sh
source tools/lib/check-user.sh

usage() { sed -n '11,16s/^# \{0,1\}//p' "$0" >&2; exit 2; }
refuse() { echo "REFUSED: $*" >&2; exit 1; }

declare -A given=()
allow_uncommitted=no
processors=(x64 x86)
while [ $# -gt 0 ]; do
  case $1 in
    --engine-x64 | --engine-x86 | --library-x64 | --library-x86 | --pkcs12 | --password-file | --timestamp-url | \
      --pkcs11-module | --pkcs11-key | --certificate | --samples-x64 | --samples-x86 | --test-path-x64 | \
      --test-path-x86 | --engine-certificate | --out)
      [ $# -ge 2 ] || { echo "$1 needs a value" >&2; usage; }
      value=$2
      # Paths are the caller's; the script works from the checkout.
      [[ $1 == --timestamp-url || $1 == --pkcs11-key ]] || value=$(cd "$caller" && realpath -ms -- "$value")
      given[${1#--}]=$value
      shift 2 ;;
    --processors)
      [ $# -ge 2 ] || { echo "$1 needs a value" >&2; usage; }
      case $2 in
        x64 | x86) processors=("$2") ;;
        x64,x86 | x86,x64) processors=(x64 x86) ;;
        *) echo "--processors takes x64, x86 or x64,x86, not $2" >&2; usage ;;
      esac
      shift 2 ;;
    --allow-uncommitted) allow_uncommitted=yes; shift ;;
    -h | --help) usage ;;
    *) echo "unexpected argument: $1" >&2; usage ;;
  esac
done
releases() { [[ " ${processors[*]} " == *" $1 "* ]]; }
for processor in x64 x86; do
  for option in engine library samples test-path; do
    if releases "$processor"; then
      [[ $option == samples || $option == test-path || -n ${given[$option-$processor]:-} ]] ||
        { echo "--$option-$processor is required" >&2; usage; }
    elif [ -n "${given[$option-$processor]:-}" ]; then
      echo "--$option-$processor is given, but --processors ${processors[*]} makes no $processor package" >&2
      usage
    fi
  done
done
partial=no
[ ${#processors[@]} -eq 2 ] || partial=yes

if [ -n "${given[pkcs12]:-}" ]; then
  key=${given[pkcs12]}
  key_options=(-pkcs12 "$key")
elif [ -n "${given[pkcs11-module]:-}" ]; then
  [ -n "${given[pkcs11-key]:-}" ] && [ -n "${given[certificate]:-}" ] ||
    refuse "a key on a token needs --pkcs11-key (its pkcs11: URI) and --certificate besides --pkcs11-module"
  key=${given[pkcs11-key]}
  # The URI stands on osslsigncode's command line, which every user's process list shows, and in its
  # error messages: a PIN in it (pin-value, however its letters are escaped) is refused, unshown.
  decoded=${key,,}
  while [[ $decoded =~ %([0-9a-f]{2}) ]]; do
    hex=${BASH_REMATCH[1]}
    character=' '
    [ "$hex" = 00 ] || character=$(printf "\\x$hex")
    decoded=${decoded//"%$hex"/$character}
  done
  [[ ${decoded,,} != *pin-value* ]] ||
    refuse "the URI of --pkcs11-key carries the token's PIN (pin-value), which would show in the process list" \
      "and in error messages: give the URI without it, and the PIN on the first line of the --password-file"
  key_options=(-pkcs11module "${given[pkcs11-module]}" -key "$key" -certs "${given[certificate]}")
else
  refuse "no signing key: give the PKCS#12 file with --pkcs12 (or a token's --pkcs11-module, --pkcs11-key" \
    "and --certificate), and its password or PIN with --password-file"
fi
[ -n "${given[password-file]:-}" ] || refuse "no --password-file for the signing key $key"
[ "$(id -u)" = 0 ] ||
  refuse "tools/release.sh runs as root: it runs the library check as the unprivileged user $check_user"
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
declare -A what=([pkcs12]="the signing key" [pkcs11-module]="the PKCS#11 module" [certificate]="the certificate"
  [engine-certificate]="the engine maker's certificate")
for option in pkcs12 pkcs11-module certificate engine-certificate; do
  file=${given[$option]:-}
  [ -z "$file" ] || [ -f "$file" ] || refuse "${what[$option]} $file (--$option) does not exist"
  [ -z "$file" ] || [ -r "$file" ] || refuse "${what[$option]} $file (--$option) cannot be read"
done
[ -f "${given[password-file]}" ] || refuse "the password file ${given[password-file]} (--password-file) does not exist"
for processor in "${processors[@]}"; do
  for option in samples-$processor test-path-$processor; do
    [ -z "${given[$option]:-}" ] || [ -d "${given[$option]}" ] || refuse "${given[$option]} (--$option) is not a folder"
  done
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
for processor in "${processors[@]}"; do
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

if releases x86 && reason=$(i386_wine_missing); then
  refuse "the x86 library cannot be checked without 32-bit Wine: $reason" \
    "(--processors x64 makes a partial release: the x64 package alone)"
fi

# The user that runs the library check must reach none of the signing secrets. SoftHSM keeps a token's
# objects in the folder its configuration names.
check_user_ensure || refuse "the library check needs an unprivileged user"
declare -A secrets=()
for option in pkcs12 password-file; do
  [ -z "${given[$option]:-}" ] || secrets[${given[$option]}]="(--$option)"
done
if [ "$(basename "${given[pkcs11-module]:-}")" = libsofthsm2.so ]; then
  conf=${SOFTHSM2_CONF:-/etc/softhsm/softhsm2.conf}
  tokens=$(sed -n 's/^[[:space:]]*directories\.tokendir[[:space:]]*=[[:space:]]*//p' "$conf" 2>/dev/null | tail -n 1)
  [ -z "$tokens" ] || secrets[$tokens]="(the token's folder, directories.tokendir of $conf)"
fi
for secret in "${!secrets[@]}"; do
  readable=$(check_user_reads "$secret")
  [ -z "$readable" ] ||
    refuse "$secret ${secrets[$secret]} can be read by the user $check_user, which runs the library check" \
      "(it can read $readable): make it readable by root alone (chmod 600, in a folder of mode 700)"
done
echo "the user $check_user, which runs the library check, can read neither the key, nor its password or PIN"

for processor in "${processors[@]}"; do
  preset=$(program_target "$processor" recovery-tool)
  targets=()
  for program in "${package_programs[@]}"; do targets+=("$(program_target "$processor" "$program")"); done
  step "building ${targets[*]} and keyloom-check of the preset $preset (output in build/logs/release-*-$preset.log)"
  # A configured build folder configures itself again when it must; configuring it here would rewrite the
  # test files of a suite that may be running from it.
  [ -f "build/$processor/build.ninja" ] ||
    logged "release-configure-$preset" "configuring the preset $preset" cmake --preset "$preset"
  logged "release-build-$preset" "building the preset $preset" \
    cmake --build --preset "$preset" --target "${targets[@]}" keyloom-check
done

# What is signed is copied into a folder of root's before the check, and each file's SHA-256 is kept, of
# the copy and of what it was copied from: whatever the check changes, nothing changed is signed.
rm -rf "$work"
mkdir -p "$work"
chmod 700 "$work"
declare -A sums_before=()
# keep <from> <to>: copies a file and notes the SHA-256 of both.
keep() {
  mkdir -p "$(dirname "$2")"
  cp "$1" "$2"
  sums_before[$1]=$(sha256sum "$1" | cut -d' ' -f1)
  sums_before[$2]=$(sha256sum "$2" | cut -d' ' -f1)
}
for processor in "${processors[@]}"; do
  while IFS= read -r file; do
    keep "build/$processor/bin/$file" "$work/unsigned/$processor/$file"
  done < <(package_program_files "$processor")
  keep "${given[engine-$processor]}" "$work/unsigned/$processor/$package_engine"
  keep "${given[library-$processor]}" "$work/unsigned/$processor/$package_library"
done

# Nothing the check can write is read or run as root afterwards.
mkdir -p "$out"
writable=$(check_user_writes "$root")
[ -z "$writable" ] ||
  refuse "$writable, in the checkout, can be written by the user $check_user, which runs the library check:" \
    "a library could change what is then signed or run (chmod o-w, or a clean checkout)"
writable=$(check_user_writes "$out")
[ -z "$writable" ] || refuse "$writable (--out) can be written by the user $check_user, which runs the library check"
# The token's module is loaded by root when it signs.
if [ -n "${given[pkcs11-module]:-}" ]; then
  writable=$(check_user_writes "${given[pkcs11-module]}")
  [ -z "$writable" ] ||
    refuse "$writable (--pkcs11-module) can be written by the user $check_user, which runs the library check"
fi
for path in "$root/." "$out/." ${given[pkcs11-module]:+"${given[pkcs11-module]}"}; do
  movable=$(check_user_moves "$path")
  [ -z "$movable" ] ||
    refuse "$movable can be written by the user $check_user, which runs the library check: it could put" \
      "something else in the place of ${path%/.}"
done
echo "the user $check_user can write neither the checkout nor $out"

for processor in "${processors[@]}"; do
  library=${given[library-$processor]}
  step "checking the $processor library $library with keyloom-check, as the user $check_user in a sealed Wine prefix"
  check_args=("$work/unsigned/$processor/$package_library")
  [ -n "${given[samples-$processor]:-}" ] && check_args+=(--samples "${given[samples-$processor]}")
  [ -n "${given[test-path-$processor]:-}" ] && check_args+=(--test-path "${given[test-path-$processor]}")
  report=$logs/release-check-$processor.log
  if ! KEYLOOM_CHECK=$root/build/$processor/bin/keyloom-check.exe KEYLOOM_CHECK_KEEP=no \
    kit/check-library.sh "${check_args[@]}" >"$report" 2>&1; then
    cat "$report" >&2
    refuse "$library (--library-$processor) fails keyloom-check (the rows above); nothing was signed or packed"
  fi
  grep -E '^[0-9]+ passed, ' "$report" | tail -n 1
done

for file in "${!sums_before[@]}"; do
  now=$(sha256sum "$file" 2>/dev/null | cut -d' ' -f1 || true)
  [ "$now" = "${sums_before[$file]}" ] ||
    refuse "$file changed while the libraries were checked (SHA-256 ${sums_before[$file]} before," \
      "${now:-none} after): nothing was signed or packed"
done
echo "every file to be signed is unchanged since before the check"

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/x64/CMakeCache.txt)
[ -n "$version" ] || version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/x86/CMakeCache.txt)
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
release_line="${processors[*]}"
# sign <processor> <file> <description>: signs the kept copy into the stage and notes its signer.
declare -A signers=()
sign() {
  local processor=$1 file=$2 description=$3
  logged "release-sign-$processor-$file" "signing $file of the $processor package with $key" \
    authenticode_sign "$work/unsigned/$processor/$file" "$stage/$file" "$description" \
    "${given[timestamp-url]:-}" "${key_options[@]}" -readpass "${given[password-file]}"
  signers[$file]="the release key|$(signer_of "$stage/$file")"
}
# signer_of <file>: the signer's certificate, as authenticode_signer_id names it.
signer_of() {
  authenticode_verify "$1" "" "$work/signer.txt" || true
  authenticode_signer_id "$work/signer.txt"
}
# Both packages are staged before either is packed, so that a failure leaves no package behind.
for processor in "${processors[@]}"; do
  name=$(package_folder "$version" "$processor")
  stage=$work/stage/$name
  mkdir -p "$stage"
  signers=()
  step "signing every program and DLL of $name (output in build/logs/release-sign-$processor-*.log)"
  while IFS= read -r program; do
    sign "$processor" "$program" "Ostrivel recovery tool"
  done < <(package_program_files "$processor")
  sign "$processor" "$package_library" "Ostrivel recovery tool: decryption library"
  # The engine keeps its maker's signature where that verifies; a copy signed by the release key otherwise.
  engine=$work/unsigned/$processor/$package_engine
  if authenticode_verify "$engine" "" "$work/engine.txt" ||
    { [ -n "${given[engine-certificate]:-}" ] && authenticode_verify "$engine" "${given[engine-certificate]}" "$work/engine.txt"; }; then
    cp "$engine" "$stage/$package_engine"
    signers[$package_engine]="its maker|$(authenticode_signer_id "$work/engine.txt")"
    echo "$package_engine keeps its maker's signature: $(authenticode_signer "$work/engine.txt")"
  else
    sign "$processor" "$package_engine" "Ostrivel recovery tool: UI engine"
    echo "$package_engine carries no signature of its maker that verifies: signed with the release key"
  fi
  echo "signed by $(authenticode_signer "$work/signer.txt"): $(package_pe_files "$processor" | paste -sd' ')"

  step "staging $name"
  cp docs/user-guide.md "$stage/$package_guide"
  pieces=$(linked_pieces "$processor") || fail "could not tell what is linked into the programs"
  bom_args=()
  while IFS= read -r piece; do bom_args+=(--linked "$piece"); done <<<"$pieces"
  while IFS= read -r program; do bom_args+=(--program "$program"); done < <(package_program_files "$processor")
  for file in "${!signers[@]}"; do bom_args+=(--signer "$file|${signers[$file]}"); done
  distro=$(. /etc/os-release && echo "$ID-$VERSION_ID")
  logged "release-bom-$processor" "making the bill of materials of $name" \
    node tools/bom/make.js --folder "$stage" --version "$version" --commit "$commit" --changes "$changes" \
    --processor "$processor" --release-processors "$release_line" --partial "$partial" --distro "$distro" \
    --engine "$package_engine" --library "$package_library" --guide "$package_guide" \
    --supplied-engine "$(basename "${given[engine-$processor]}")" \
    --supplied-library "$(basename "${given[library-$processor]}")" "${bom_args[@]}"
  (cd "$stage" && LC_ALL=C ls | grep -vx "$package_sums" | xargs -d '\n' sha256sum > "$package_sums")
done

step "packing into $out"
lines=()
for stage in "$work"/stage/*; do
  zip=$out/$(basename "$stage").zip
  rm -f "$zip"
  python3 tools/lib/zip_folder.py "$stage" "$zip" "$SOURCE_DATE_EPOCH"
  lines+=("$(printf '%s  %s bytes  sha256 %s' "$zip" "$(stat -c %s "$zip")" "$(sha256sum "$zip" | cut -d' ' -f1)")")
done
state=""; [ "$changes" = yes ] && state=" (with uncommitted changes)"
if [ "$partial" = yes ]; then
  step "made a PARTIAL release of commit $commit$state: the ${processors[*]} package only, no" \
    "$(releases x64 && echo x86 || echo x64) package (--processors ${processors[*]}); check it with tools/verify-release.sh"
else
  step "made the release of commit $commit$state; check it with tools/verify-release.sh"
fi
printf '%s\n' "${lines[@]}"
