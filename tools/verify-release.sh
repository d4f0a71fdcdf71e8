#!/usr/bin/env bash
# Checks a release package that tools/release.sh made, as anyone who received it can:
#
#   tools/verify-release.sh <package.zip> [--certificate <cert.pem>]
#
# - sums: SHA256SUMS names every other file of the package, and each file has its sum;
# - signature: the program's Authenticode signature is sound and its certificate chains to the given one,
#   the root of the signer's chain (a self-signed signer's own certificate, else the root authority's), or
#   without --certificate to the system's trusted authorities (/etc/ssl/certs);
# - bill of materials: bom.cdx.json validates against the CycloneDX schema and gives each file's name,
#   size and SHA-256 as they are;
# - the engine and the library are DLLs of the package's processor;
# - the program is this commit's: its Authenticode digest, which leaves out the signature and the checksum,
#   equals that of the program this checkout builds (the build is reproducible bit for bit). The checkout
#   must be at the commit the bill of materials names.
# Prints one line per check, "ok" or "FAILED" first, and exits 1 when any failed.
# INSTALL_DEPS=no skips tools/install-deps.sh (the test suite sets it, as tools/test.sh installed all).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
caller=$PWD
cd "$root"
source tools/lib/steps.sh
source tools/lib/pe.sh
source tools/lib/authenticode.sh

usage() { sed -n '4p' "$0" | sed 's/^# *//' >&2; exit 2; }
absolute() { (cd "$caller" && realpath -ms -- "$1"); }
package=""; certificate=""
while [ $# -gt 0 ]; do
  case $1 in
    --certificate) [ $# -ge 2 ] || usage; certificate=$(absolute "$2"); shift 2 ;;
    -h | --help) usage ;;
    -*) echo "unexpected argument: $1" >&2; usage ;;
    *) [ -z "$package" ] || usage; package=$(absolute "$1"); shift ;;
  esac
done
[ -n "$package" ] || usage
[ -f "$package" ] || fail "$package does not exist"
[ -z "$certificate" ] || [ -f "$certificate" ] || fail "the certificate $certificate does not exist"

if [ "${INSTALL_DEPS:-yes}" != no ]; then
  step "installing what is missing"
  tools/install-deps.sh
fi

scratch=$(mktemp -d "${TMPDIR:-/tmp}/verify-release.XXXXXXXX")
trap 'rm -rf "$scratch"' EXIT
failures=0
result() {  # result <ok|FAILED> <check> <detail>
  printf '%-7s %-18s %s\n' "$1" "$2" "$3"
  [ "$1" = ok ] || failures=$((failures + 1))
}

step "checking $(basename "$package")"
unzip -q "$package" -d "$scratch/unpacked" 2>"$scratch/unzip.txt" ||
  fail "$package is not a ZIP: $(head -n 1 "$scratch/unzip.txt")"
mapfile -t tops < <(ls "$scratch/unpacked")
[ ${#tops[@]} -eq 1 ] && [ -d "$scratch/unpacked/${tops[0]}" ] || fail "$package does not hold one folder"
folder=$scratch/unpacked/${tops[0]}
if [ -f "$folder/recovery-tool.exe" ]; then
  processor=x64; program=recovery-tool.exe; preset=recovery-tool
elif [ -f "$folder/recovery-tool-x86.exe" ]; then
  processor=x86; program=recovery-tool-x86.exe; preset=recovery-tool-x86
else
  fail "$package holds neither recovery-tool.exe nor recovery-tool-x86.exe"
fi

# Sums: the list must name exactly the files beside it, and each must have its sum.
if [ ! -f "$folder/SHA256SUMS" ]; then
  result FAILED sums "the package holds no SHA256SUMS"
else
  listed=$(cut -d' ' -f3- "$folder/SHA256SUMS" | LC_ALL=C sort | paste -sd' ')
  present=$(cd "$folder" && LC_ALL=C ls | grep -vx SHA256SUMS | paste -sd' ')
  wrong=$(cd "$folder" && sha256sum -c SHA256SUMS 2>/dev/null | grep -v ': OK$' | paste -sd' ' || true)
  if [ "$listed" != "$present" ]; then
    result FAILED sums "SHA256SUMS names $listed; the package holds $present"
  elif [ -n "$wrong" ]; then
    result FAILED sums "$wrong"
  else
    result ok sums "SHA256SUMS holds for all $(wc -l <"$folder/SHA256SUMS") files"
  fi
fi

# The signature, against the given certificate or the system's trusted ones.
report=$scratch/signature.txt
trust="the system's trusted certificates"
[ -z "$certificate" ] || trust=$certificate
if authenticode_verify "$folder/$program" "$certificate" "$report"; then
  result ok signature "$program is signed by $(authenticode_signer "$report"), trusted through $trust"
else
  # The report's own words for what went wrong: an error, a digest that does not match, no signature.
  why=$(grep -E 'Error:|MISMATCH|No signature' "$report" | tr -s ' \t' ' ' | sort -u | paste -sd';' |
    sed 's/;/; /g' || true)
  cp "$report" "$logs/verify-release-signature.log"
  result FAILED signature \
    "$program (trust: $trust): ${why:-no reason given}; osslsigncode's report: build/logs/verify-release-signature.log"
fi

# The bill of materials against the files.
if facts=$(node tools/bom/check.js "$folder" 2>"$scratch/bom.txt"); then
  fact() { sed -n "s/^$1=//p" <<<"$facts"; }
  result ok "bill of materials" "valid CycloneDX $(fact specVersion); its $(fact files) files match the package"
else
  facts=""
  fact() { :; }
  result FAILED "bill of materials" "$(sed 's/^problem: //' "$scratch/bom.txt" | paste -sd';' | sed 's/;/; /g')"
fi

# The two DLLs must be of the program's processor.
dlls_ok=yes
for dll in sciter.dll Keyloom.dll; do
  if [ ! -f "$folder/$dll" ]; then
    result FAILED "$dll" "the package holds no $dll"; dlls_ok=no
  elif [ "$(pe_processor "$folder/$dll")" != "$processor" ] || ! pe_is_dll "$folder/$dll"; then
    result FAILED "$dll" "is not a $(processor_words "$processor") DLL"; dlls_ok=no
  fi
done
[ "$dlls_ok" = no ] || result ok processor "sciter.dll and Keyloom.dll are $(processor_words "$processor") DLLs"

# The program against this checkout's build.
checkout_commit=$(git rev-parse HEAD 2>/dev/null || echo none)
release_commit=$(fact commit)
if [ -n "$release_commit" ] && [ "$release_commit" != "$checkout_commit" ]; then
  result FAILED "this commit" \
    "the package is built from $release_commit, this checkout is at $checkout_commit: check that out and run again"
else
  algorithm=$(authenticode_field "$report" "Message digest algorithm")
  signed=$(authenticode_field "$report" "Calculated message digest")
  build_dir=build/$processor
  [ -f "$build_dir/build.ninja" ] ||
    logged "verify-configure-$preset" "configuring the preset $preset" cmake --preset "$preset"
  logged "verify-build-$preset" "building $program of this checkout" cmake --build --preset "$preset" --target "$preset"
  built=$(authenticode_digest_of_unsigned "$build_dir/bin/$program" "${algorithm:-sha256}" "$scratch/digest" || true)
  if [ -z "$signed" ] || [ -z "$built" ]; then
    result FAILED "this commit" "no Authenticode digest could be read (package: ${signed:-none}, build: ${built:-none})"
  elif [ "$signed" = "$built" ]; then
    note=""; [ "$(fact changes)" = yes ] && note=" (the release was made with uncommitted changes)"
    result ok "this commit" \
      "$program's Authenticode digest ($algorithm), $signed, is that of commit ${checkout_commit:0:12}'s build$note"
  else
    result FAILED "this commit" \
      "$program's Authenticode digest ($algorithm) is $signed; commit ${checkout_commit:0:12}'s build has $built"
  fi
fi

if ((failures > 0)); then
  echo "NOT VERIFIED: $package ($failures check(s) failed)"
  exit 1
fi
echo "verified: $package"
