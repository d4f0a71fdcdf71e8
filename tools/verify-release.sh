#!/usr/bin/env bash
# Checks a release package that tools/release.sh made, as anyone who received it can:
#
#   tools/verify-release.sh <package.zip> --sha256 <the sum its maker published> [--certificate <cert.pem>]
#
# - published sum: first, the package's SHA-256 is the one its maker published beside the download; it is
#   what vouches for the package as a whole. Without --sha256 the checks still run, but the package itself
#   stays unvouched, which the first and the last line say;
# - package: before anything is unpacked, its ZIP directory holds one folder with exactly the package's
#   plain files: no links, no other folders, no name twice, no name with a leading dot or a control
#   character (tools/lib/unpack_package.py, which then unpacks those entries alone);
# - sums: SHA256SUMS names every other file of the package, and each file has its sum (which shows only
#   that the files are the ones packed: whoever changes a file can change its line too);
# - signatures: every program and DLL carries a sound Authenticode signature that chains to the given
#   certificates (one or more, PEM: the roots of the signers' chains, a self-signed signer's own
#   certificate, else the root authority's), or without --certificate to the system's trusted authorities
#   (/etc/ssl/certs); the programs and Keyloom.dll by the same signer, sciter.dll by that signer too or by
#   its own maker, as the bill of materials says;
# - bill of materials: bom.cdx.json validates against the CycloneDX schema and gives each file's name,
#   size, SHA-256 and signer as they are;
# - the engine and the library are DLLs of the package's processor;
# - the programs are this commit's: each one's Authenticode digest, which leaves out the signature and the
#   checksum, equals that of the program this checkout builds (the build is reproducible bit for bit). The
#   checkout must be at the commit the bill of materials names.
# Prints one line per check, "ok" or "FAILED" first, and last "verified", "NOT VERIFIED" or, without a
# published sum, "UNVOUCHED". Exit code: 0 verified, 1 a check failed, 2 a wrong command line, 3 every check
# passed but no published sum was given.
# INSTALL_DEPS=no skips tools/install-deps.sh (the test suite sets it, as tools/test.sh installed all).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
caller=$PWD
cd "$root"
source tools/lib/steps.sh
source tools/lib/pe.sh
source tools/lib/authenticode.sh
source tools/lib/package-contents.sh

usage() { sed -n '4p' "$0" | sed 's/^# *//' >&2; exit 2; }
absolute() { (cd "$caller" && realpath -ms -- "$1"); }
package=""; certificate=""; published=""
while [ $# -gt 0 ]; do
  case $1 in
    --certificate) [ $# -ge 2 ] || usage; certificate=$(absolute "$2"); shift 2 ;;
    --sha256)
      [ $# -ge 2 ] || usage
      published=${2,,}
      [[ $published =~ ^[0-9a-f]{64}$ ]] || { echo "--sha256 takes the 64 hexadecimal digits of a SHA-256 sum" >&2; usage; }
      shift 2 ;;
    -h | --help) usage ;;
    -*) echo "unexpected argument: $1" >&2; usage ;;
    *) [ -z "$package" ] || usage; package=$(absolute "$1"); shift ;;
  esac
done
[ -n "$package" ] || usage
[ -f "$package" ] || fail "$package does not exist"
[ -z "$certificate" ] || [ -f "$certificate" ] || fail "the certificate $certificate does not exist"

failures=0
result() {  # result <ok|FAILED> <check> <detail>
  printf '%-7s %-18s %s\n' "$1" "$2" "$3"
  [ "$1" = ok ] || failures=$((failures + 1))
}
not_verified() {
  echo "NOT VERIFIED: $package ($failures check(s) failed)"
  exit 1
}

# The published sum first: a package that is not the one published is not looked into.
sum=$(sha256sum "$package" | cut -d' ' -f1)
if [ -z "$published" ]; then
  unvouched="no published sum was given (--sha256): nothing here shows that this package is the one its maker"
  unvouched+=" published, since whoever changes a package can re-sign it and rewrite its sums and bill"
  printf '%-7s %-18s %s\n' UNVOUCHED "published sum" "$unvouched; its SHA-256 is $sum"
elif [ "$sum" = "$published" ]; then
  result ok "published sum" "the package's SHA-256 is the published $published"
else
  result FAILED "published sum" "the package's SHA-256 is $sum, not the published $published: it is not the package" \
    "its maker published"
  not_verified
fi

if [ "${INSTALL_DEPS:-yes}" != no ]; then
  step "installing what is missing"
  tools/install-deps.sh
fi

scratch=$(mktemp -d "${TMPDIR:-/tmp}/verify-release.XXXXXXXX")
trap 'rm -rf "$scratch"' EXIT

step "checking $(basename "$package")"
# The package's directory, read before anything is unpacked.
listings=()
for processor in x64 x86; do listings+=("$processor=$(package_files "$processor" | paste -sd,)"); done
if ! layout=$(python3 tools/lib/unpack_package.py "$package" "$scratch/unpacked" "${listings[@]}" 2>"$scratch/layout.txt"); then
  while IFS= read -r problem; do result FAILED package "${problem#problem: }"; done <"$scratch/layout.txt"
  not_verified
fi
layout_fact() { sed -n "s/^$1=//p" <<<"$layout"; }
processor=$(layout_fact processor)
folder=$scratch/unpacked/$(layout_fact folder)
mapfile -t programs < <(package_program_files "$processor")
mapfile -t signed_files < <(package_pe_files "$processor")
result ok package "one folder, $(layout_fact folder), holding exactly the $(package_files "$processor" | wc -l) plain files of an $processor package"

# Sums: the list must name exactly the files beside it (and so no other file is read), and each must have
# its sum.
listed=$(cut -d' ' -f3- "$folder/$package_sums" | LC_ALL=C sort | paste -sd' ')
present=$(cd "$folder" && LC_ALL=C ls | grep -vx "$package_sums" | paste -sd' ')
if [ "$listed" != "$present" ]; then
  result FAILED sums "$package_sums names $listed; the package holds $present"
else
  wrong=$(cd "$folder" && sha256sum -c "$package_sums" 2>/dev/null | grep -v ': OK$' | paste -sd' ' || true)
  if [ -n "$wrong" ]; then
    result FAILED sums "$wrong"
  else
    result ok sums "$package_sums holds for all $(wc -l <"$folder/$package_sums") files"
  fi
fi

# The bill of materials against the files.
if facts=$(node tools/bom/check.js "$folder" 2>"$scratch/bom.txt"); then
  fact() { sed -n "s/^$1=//p" <<<"$facts" | head -n 1; }
  partial=""
  [ "$(fact partial)" != yes ] || partial="; a PARTIAL release: only the $(fact releaseProcessors) package was made"
  result ok "bill of materials" "valid CycloneDX $(fact specVersion); its $(fact files) files match the package$partial"
else
  facts=""
  fact() { :; }
  result FAILED "bill of materials" "$(sed 's/^problem: //' "$scratch/bom.txt" | paste -sd';' | sed 's/;/; /g')"
fi

# Every program and DLL: a signature that verifies, by the signer the bill names. The programs and the
# library are the release key's; the engine is signed by that key or keeps its own maker's signature.
trust="the system's trusted certificates"
[ -z "$certificate" ] || trust=$certificate
release_signer=""
for file in "${signed_files[@]}"; do
  report=$scratch/signature-$file.txt
  said=$(fact "signer:$file")
  said_by=${said%%|*} said_signer=${said#*|}
  trusted=$trust
  verified=no
  if authenticode_verify "$folder/$file" "$certificate" "$report"; then
    verified=yes
  elif [ "$file" = "$package_engine" ] && [ -n "$certificate" ] &&
    authenticode_verify "$folder/$file" "" "$report.system"; then
    # The engine's own maker is vouched for by the system's authorities, not by the release's certificate.
    mv "$report.system" "$report"
    verified=yes trusted="the system's trusted certificates"
  fi
  if [ "$verified" = no ]; then
    # The report's own words for what went wrong: an error, a digest that does not match, no signature.
    why=$(grep -E 'Error:|MISMATCH|No signature' "$report" | tr -s ' \t' ' ' | sort -u | paste -sd';' |
      sed 's/;/; /g' || true)
    cp "$report" "$logs/verify-release-signature-$file.log"
    result FAILED "signature" \
      "$file (trust: $trust): ${why:-no reason given}; osslsigncode's report: build/logs/verify-release-signature-$file.log"
    continue
  fi
  signer=$(authenticode_signer_id "$report")
  [ -n "$release_signer" ] || release_signer=$signer  # the first program's
  if [ -n "$facts" ] && [ "$signer" != "$said_signer" ]; then
    result FAILED "signature" "$file is signed by $signer; the bill of materials says ${said_signer:-nothing}"
  elif [ "$file" != "$package_engine" ] && [ "$signer" != "$release_signer" ]; then
    result FAILED "signature" "$file is signed by $signer, not by the signer of ${programs[0]}, $release_signer"
  elif [ "$file" = "$package_engine" ] && [ "$signer" != "$release_signer" ] && [ "$said_by" != "its maker" ]; then
    result FAILED "signature" "$file is signed by $signer, neither the release's signer nor, as the bill says, its maker"
  else
    by="the release's signer"
    [ "$signer" = "$release_signer" ] || by="its maker"
    result ok "signature" "$file is signed by $(authenticode_signer "$report") ($by), trusted through $trusted"
  fi
done

# The two DLLs must be of the program's processor.
dlls_ok=yes
for dll in "$package_engine" "$package_library"; do
  if [ "$(pe_processor "$folder/$dll")" != "$processor" ] || ! pe_is_dll "$folder/$dll"; then
    result FAILED "$dll" "is not a $(processor_words "$processor") DLL"; dlls_ok=no
  fi
done
[ "$dlls_ok" = no ] || result ok processor "$package_engine and $package_library are $(processor_words "$processor") DLLs"

# The programs against this checkout's build.
checkout_commit=$(git rev-parse HEAD 2>/dev/null || echo none)
release_commit=$(fact commit)
if [ -n "$release_commit" ] && [ "$release_commit" != "$checkout_commit" ]; then
  result FAILED "this commit" \
    "the package is built from $release_commit, this checkout is at $checkout_commit: check that out and run again"
else
  preset=$(program_target "$processor" recovery-tool)
  targets=()
  for program in "${package_programs[@]}"; do targets+=("$(program_target "$processor" "$program")"); done
  [ -f "build/$processor/build.ninja" ] ||
    logged "verify-configure-$preset" "configuring the preset $preset" cmake --preset "$preset"
  logged "verify-build-$preset" "building ${targets[*]} of this checkout" \
    cmake --build --preset "$preset" --target "${targets[@]}"
  for program in "${programs[@]}"; do
    report=$scratch/signature-$program.txt
    algorithm=$(authenticode_field "$report" "Message digest algorithm")
    signed=$(authenticode_field "$report" "Calculated message digest")
    built=$(authenticode_digest_of_unsigned "build/$processor/bin/$program" "${algorithm:-sha256}" "$scratch/digest" || true)
    if [ -z "$signed" ] || [ -z "$built" ]; then
      result FAILED "this commit" "no Authenticode digest of $program could be read (package: ${signed:-none}, build: ${built:-none})"
    elif [ "$signed" = "$built" ]; then
      note=""; [ "$(fact changes)" = yes ] && note=" (the release was made with uncommitted changes)"
      result ok "this commit" \
        "$program's Authenticode digest ($algorithm), $signed, is that of commit ${checkout_commit:0:12}'s build$note"
    else
      result FAILED "this commit" \
        "$program's Authenticode digest ($algorithm) is $signed; commit ${checkout_commit:0:12}'s build has $built"
    fi
  done
fi

((failures == 0)) || not_verified
if [ -z "$published" ]; then
  echo "UNVOUCHED: $package passed every check, but without its published sum (--sha256) nothing shows that it" \
    "is the package its maker published"
  exit 3
fi
echo "verified: $package (SHA-256 $published, as published)"
