#!/usr/bin/env bash
# tools/release.sh and tools/verify-release.sh end to end, with the stand-in UI engine, the demonstration
# library (samples and a test folder made by demo_encrypt.exe) and a throwaway certificate made here:
# - refusals, each naming the file: a DLL of the other processor, an engine without its entry point, a
#   missing key or one inside the checkout, a PIN in a token's URI (never shown), a password file or a
#   checkout folder within reach of the library check's user, a library that fails keyloom-check (the test
#   library's default answers accept a missing test folder); none leaves a package behind;
# - a release, every program and DLL in it signed and the bill naming each signer, then
#   tools/verify-release.sh on each package with its published sum: the layout, sums, signatures, bill of
#   materials and the programs' Authenticode digests against this commit's build; without the sum the
#   package is reported unvouched, with a wrong one it is not looked into; the same with the key on a
#   PKCS#11 token (SoftHSM);
# - a library that, while it is checked, writes to the programs the release then signs (the test library's
#   appendTo, as the user keyloom-check): it is denied, and what is signed is the build; in the same
#   release an engine that carries its maker's signature keeps it;
# - verify-release.sh fails on a package with one byte of the program changed, one whose Keyloom.dll was
#   swapped for one signed by another key (its sums and bill rewritten), a signed program that is not this
#   commit's, a signature the system's authorities do not vouch for, and on packages whose directory holds a
#   symbolic link, a name twice, an extra file, a dotfile, a name with a control character or another
#   folder, none of which is unpacked.
# Needs both presets built. Where 32-bit Wine cannot run (tools/test.sh says why), the release is a partial
# one of the x64 package alone (--processors x64), which the test checks is marked so; with 32-bit Wine
# both packages are made. tools/test.sh runs it after the tests of both builds.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/tools/lib/steps.sh"
source "$root/tools/lib/authenticode.sh"
source "$root/tools/lib/package-contents.sh"
work=$root/build/release-test
x64=$root/build/x64/bin
x86=$root/build/x86/bin
checked=0
fail() { echo "FAIL: $*"; exit 1; }
ok() { echo "ok: $*"; checked=$((checked + 1)); }
export INSTALL_DEPS=no  # tools/test.sh installed everything

for file in "$x64"/{sciter.dll,keyloom-demo.dll,keyloom-test.dll,keyloom-template.dll,broken-engine-no-entry.dll} \
  "$x64"/{demo_encrypt.exe,bare_walk.exe,recovery-tool.exe} "$x86"/{sciter.dll,keyloom-demo.dll,recovery-tool-x86.exe}; do
  [ -f "$file" ] || fail "$file is missing: build both presets first (tools/test.sh does)"
done
if reason=$(i386_wine_missing); then
  processors=(x64) partial_args=(--processors x64)
  echo "release test: the x64 package alone, a partial release (--processors x64): $reason"
else
  processors=(x64 x86) partial_args=()
  echo "release test: both packages, x64 and x86"
fi
rm -rf "$work"
mkdir -p "$work"/{drive/victim,drive/app,key}
# Where the library under check, as the user keyloom-check, may leave its record: outside the checkout.
evidence=$(mktemp -d /tmp/release-test-evidence.XXXXXXXX)
chmod 777 "$evidence"
# The key never outlives the test.
trap 'rm -rf "$work/key" "$evidence" "${readable:-}"; [ -d "$work/prefix" ] && WINEPREFIX=$work/prefix wineserver -k 2>/dev/null' EXIT

# A throwaway code-signing certificate, self-signed, and its key in a PKCS#12 file with a password, in a
# folder that only root can enter.
key=$work/key
chmod 700 "$key"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Release Test Signer" \
  -addext "extendedKeyUsage=codeSigning" -addext "keyUsage=digitalSignature" \
  -keyout "$key/key.pem" -out "$work/signer.pem" >/dev/null 2>&1 || fail "openssl could not make a certificate"
printf 'throwaway password\n' > "$key/password"
openssl pkcs12 -export -inkey "$key/key.pem" -in "$work/signer.pem" -out "$key/signer.p12" \
  -passout file:"$key/password" || fail "openssl could not make the PKCS#12 file"

# Samples and a test folder of the demonstration family, made by its own tool in a sealed prefix.
letter=$'Dear reader,\r\nthis letter was encrypted by the demonstration family.\r\n'
printf '%s' "$letter" > "$work/drive/victim/letter.txt"
cp "$x64/demo_encrypt.exe" "$work/drive/app/"
"$root/tools/wine/make-prefix" "$work/prefix" sealed d="$work/drive" >/dev/null || fail "could not make the prefix"
(cd "$work/drive" && WINEPREFIX=$work/prefix WINEDEBUG=-all timeout 120 \
  wine 'D:\app\demo_encrypt.exe' 'D:\victim' 'D:\pairs' 00112233445566778899aabbccddeeff </dev/null >/dev/null 2>&1) ||
  fail "demo_encrypt.exe failed"
mkdir -p "$work/samples/letter"/{encrypted,clean}
cp "$work/drive/victim/letter.txt.kyl" "$work/samples/letter/encrypted/"
printf '%s' "$letter" > "$work/samples/letter/clean/letter.txt"

out=$work/out
declare -A base=(
  [engine-x64]=$x64/sciter.dll [engine-x86]=$x86/sciter.dll
  [library-x64]=$x64/keyloom-demo.dll [library-x86]=$x86/keyloom-demo.dll
  [pkcs12]=$key/signer.p12 [password-file]=$key/password
  [samples-x64]=$work/samples [samples-x86]=$work/samples
  [test-path-x64]=$work/drive/pairs [test-path-x86]=$work/drive/pairs
  [out]=$out
)
# A developer's uncommitted changes are released as a trial; CI's clean checkout runs the plain command.
trial=()
[ -z "$(git -C "$root" status --porcelain --untracked-files=no)" ] || trial=(--allow-uncommitted)

# release [--both] <option=value|option=>...: runs tools/release.sh with the base options, each given one
# replaced (an empty value leaves the option out), for the processors of this test (--both: for both, and
# without --processors); its output goes to $work/release.txt, its exit code is returned.
release() {
  declare -A options
  local name args=() released=" ${processors[*]} " extra=("${partial_args[@]}")
  if [ "${1:-}" = --both ]; then released=" x64 x86 " extra=(); shift; fi
  for name in "${!base[@]}"; do options[$name]=${base[$name]}; done
  for name in "$@"; do options[${name%%=*}]=${name#*=}; done
  for name in "${!options[@]}"; do
    [[ $name == *-x86 && $released != *" x86 "* ]] && continue
    [ -z "${options[$name]}" ] || args+=("--$name" "${options[$name]}")
  done
  "$root/tools/release.sh" "${args[@]}" "${extra[@]}" "${trial[@]}" >"$work/release.txt" 2>&1
}
releases_x86() { [[ " ${processors[*]} " == *" x86 "* ]]; }

# Refusals: <case>|<option=replaced value>|<what the refusal must say>
if releases_x86; then
  other_engine="engine-x86=$x64/sciter.dll|$x64/sciter.dll (--engine-x86) is built for 64-bit (x64) Windows"
  program_as_library="library-x86=$x86/recovery-tool-x86.exe|$x86/recovery-tool-x86.exe (--library-x86) is a program"
else
  other_engine="engine-x64=$x86/sciter.dll|$x86/sciter.dll (--engine-x64) is built for 32-bit (x86) Windows"
  program_as_library="library-x64=$x64/recovery-tool.exe|$x64/recovery-tool.exe (--library-x64) is a program"
fi
# A password file that the check's user can reach and read. Not in the checkout: a checkout under a home
# folder that only root may enter (as /root is) keeps the user out of everything below it.
readable=$(mktemp -d /tmp/release-test-readable.XXXXXX)
chmod 755 "$readable"
printf 'throwaway password\n' > "$readable/password"
chmod 644 "$readable/password"
refusals=(
  "library of the other processor|library-x64=$x86/keyloom-demo.dll|$x86/keyloom-demo.dll (--library-x64)
   is built for 32-bit (x86) Windows"
  "engine of the other processor|$other_engine"
  "engine without its entry point|engine-x64=$x64/broken-engine-no-entry.dll|$x64/broken-engine-no-entry.dll
   (--engine-x64) has no entry point SciterAPI"
  "a program given as the library|$program_as_library"
  "missing key|pkcs12=$key/absent.p12|the signing key $key/absent.p12 (--pkcs12) does not exist"
  "no key given|pkcs12=|no signing key"
  "key where git could commit it|pkcs12=$root/signing.p12|$root/signing.p12 (--pkcs12) lies in the checkout"
  "a password file the library check could read|password-file=$readable/password|$readable/password
   (--password-file) can be read by the user keyloom-check, which runs the library check"
  "a checkout folder the library check could write to|out=$out|$work/open-to-all, in the checkout, can be written
   by the user keyloom-check"
  "library failing keyloom-check|library-x64=$x64/keyloom-test.dll|$x64/keyloom-test.dll (--library-x64) fails
   keyloom-check"
)
for refusal in "${refusals[@]}"; do
  IFS='|' read -r case replaced says <<<"${refusal//$'\n   '/ }"
  if [[ $case == "a checkout folder"* ]]; then
    # Only where the user can reach the checkout at all is a folder in it open to the user.
    if ! setpriv --reuid "$(id -u keyloom-check)" --regid "$(id -g keyloom-check)" --clear-groups -- \
      test -x "$work" 2>/dev/null; then
      echo "not tried: $case: the user keyloom-check cannot enter the checkout here at all"
      continue
    fi
    mkdir -m 777 "$work/open-to-all"
  fi
  release "$replaced" && fail "$case: the release went ahead: $(cat "$work/release.txt")"
  rm -rf "$work/open-to-all"
  grep -qF "REFUSED: $says" "$work/release.txt" ||
    fail "$case: the refusal does not say \"$says\": $(cat "$work/release.txt")"
  ! ls "$out"/*.zip >/dev/null 2>&1 || fail "$case: a package was left behind"
  ok "refused: $case"
done
# The checker's rows are shown with the refusal.
grep -qE '^FAILED +init-missing-test-folder' "$work/release.txt" ||
  fail "the refusal shows no failing row: $(cat "$work/release.txt")"
ok "the failing library's refusal shows the checker's failing row"

# A token's PIN in its URI: refused before anything is built or signed, and never shown.
release pkcs12= pkcs11-module=/usr/lib/softhsm/libsofthsm2.so certificate="$work/signer.pem" \
  "pkcs11-key=pkcs11:token=release;object=signing;type=private?pin-value=8642" password-file="$key/password" &&
  fail "a URI with pin-value was taken: $(cat "$work/release.txt")"
grep -qF "REFUSED: the URI of --pkcs11-key carries the token's PIN (pin-value)" "$work/release.txt" ||
  fail "the pin-value refusal says: $(cat "$work/release.txt")"
! grep -q 8642 "$work/release.txt" || fail "the refusal shows the PIN: $(cat "$work/release.txt")"
ok "refused: a pkcs11: URI carrying pin-value, without showing the PIN"

if ! releases_x86; then
  # Without --processors a release checks the x86 library too, which needs 32-bit Wine: never a silent half.
  release --both && fail "a release of both went ahead without 32-bit Wine: $(cat "$work/release.txt")"
  grep -qF "REFUSED: the x86 library cannot be checked without 32-bit Wine" "$work/release.txt" ||
    fail "the release without 32-bit Wine says: $(cat "$work/release.txt")"
  ok "refused: a release of both packages where 32-bit Wine cannot run (--processors x64 is named)"
fi

started=$(date +%s)
release || fail "the release failed: $(cat "$work/release.txt")"
echo "the release took $(($(date +%s) - started)) s"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$root/build/x64/CMakeCache.txt")
declare -A published=()
for processor in "${processors[@]}"; do
  zip=$out/$(package_folder "$version" "$processor").zip
  line=$(grep -F "$zip  " "$work/release.txt") || fail "no line for $zip: $(cat "$work/release.txt")"
  [ "$line" = "$zip  $(stat -c %s "$zip") bytes  sha256 $(sha256sum "$zip" | cut -d' ' -f1)" ] ||
    fail "the line for $zip gives another size or sum: $line"
  published[$processor]=${line##* }
  ok "$(basename "$zip"): $(stat -c %s "$zip") bytes, its line as tools/package.sh prints"
done
if releases_x86; then
  ! grep -q PARTIAL "$work/release.txt" || fail "a release of both says it is partial: $(cat "$work/release.txt")"
else
  grep -qF "made a PARTIAL release of commit" "$work/release.txt" && grep -qF "no x86 package" "$work/release.txt" ||
    fail "the partial release does not say so: $(cat "$work/release.txt")"
  ! ls "$out"/*-x86-complete.zip >/dev/null 2>&1 || fail "a partial x64 release made an x86 package"
  ok "the output names the release PARTIAL, without an x86 package"
fi

# property <bill> <component name or "release"> <property>: one property of the bill of materials.
property() {
  python3 - "$@" <<'EOF'
import json, sys
bill, name, wanted = sys.argv[1:4]
bom = json.load(open(bill))
component = bom["metadata"]["component"] if name == "release" else next(c for c in bom["components"] if c["name"] == name)
print(next((p["value"] for p in component.get("properties", []) if p["name"] == wanted), ""))
EOF
}

# The packages hold what they must: every program and DLL signed by the release key, the supplied DLLs
# otherwise unchanged (the same Authenticode digest), the bill naming each signer.
unpacked=$work/unpacked
signer="/CN=Release Test Signer"
for processor in "${processors[@]}"; do
  rm -rf "$unpacked" && mkdir -p "$unpacked"
  unzip -q "$out/$(package_folder "$version" "$processor").zip" -d "$unpacked"
  folder=$unpacked/$(package_folder "$version" "$processor")
  bin=$x64; [ "$processor" = x86 ] && bin=$x86
  files=$(LC_ALL=C ls "$folder" | paste -sd' ')
  [ "$files" = "$(package_files "$processor" | paste -sd' ')" ] || fail "$processor package holds $files"
  while IFS= read -r file; do
    osslsigncode verify -in "$folder/$file" -CAfile "$work/signer.pem" >"$work/signature.txt" 2>&1 ||
      fail "$processor package: $file has no signature that verifies: $(cat "$work/signature.txt")"
    [ "$(authenticode_signer "$work/signature.txt")" = "$signer" ] || fail "$processor package: $file is not signed by $signer"
    [ "$(property "$folder/bom.cdx.json" "$file" recovery-tool:signed-by)" = "the release key" ] &&
      [[ $(property "$folder/bom.cdx.json" "$file" recovery-tool:signer) == "$signer; issuer $signer; serial "* ]] ||
      fail "$processor bill of materials: $file's signer is not recorded"
  done < <(package_pe_files "$processor")
  for dll in sciter.dll:sciter.dll Keyloom.dll:keyloom-demo.dll; do
    in_package=${dll%%:*} supplied=$bin/${dll#*:}
    osslsigncode verify -in "$folder/$in_package" -CAfile "$work/signer.pem" >"$work/signature.txt" 2>&1
    [ "$(authenticode_field "$work/signature.txt" "Calculated message digest")" = \
      "$(authenticode_digest_of_unsigned "$supplied" sha256 "$work/digest")" ] ||
      fail "$processor package: $in_package is not the supplied $supplied, signed"
  done
  [ "$(property "$folder/bom.cdx.json" release recovery-tool:partial-release)" = "$([ ${#processors[@]} = 2 ] && echo no || echo yes)" ] &&
    [ "$(property "$folder/bom.cdx.json" release recovery-tool:release-processors)" = "${processors[*]}" ] ||
    fail "$processor bill of materials: the release's processors or its partial mark are wrong"
  # The runtime pieces carry the versions of the Debian packages that provide them.
  triplet=x86-64; [ "$processor" = x86 ] && triplet=i686
  for piece in "libstdc++:g++-mingw-w64-$triplet-posix" "winpthreads:mingw-w64-$triplet-dev" "{fmt}:libfmt-dev"; do
    name=${piece%%:*} debian=${piece#*:}
    version_of_package=$(dpkg-query -W -f='${Version}' "$debian")
    grep -A3 "\"name\": \"$name\"" "$folder/bom.cdx.json" | grep -qF "\"version\": \"$version_of_package\"" ||
      fail "$processor bill of materials: $name is not given with the version of $debian"
  done
  ok "$processor package: $files; every program and DLL signed by the release key, the bill naming each signer"
done

# verify <package> <expected exit code> [verify-release.sh options...]: output in $work/verify.txt.
verify() {
  local package=$1 want=$2; shift 2
  "$root/tools/verify-release.sh" "$package" "$@" >"$work/verify.txt" 2>&1
  local code=$?
  [ "$code" = "$want" ] ||
    fail "verify-release.sh $(basename "$package") $* ended with $code, not $want: $(cat "$work/verify.txt")"
}
# expect_line <ok|FAILED|UNVOUCHED> <check> [<text in the line>]: the verification's line for one check.
expect_line() {
  grep -E "^$1 +$2 " "$work/verify.txt" | grep -qF -- "${3:-}" ||
    fail "no \"$1 $2 ${3:-}\" line: $(cat "$work/verify.txt")"
}
no_line() { ! grep -qE "^[A-Za-z]+ +$1 " "$work/verify.txt" || fail "a \"$1\" line: $(cat "$work/verify.txt")"; }

for processor in "${processors[@]}"; do
  zip=$out/$(package_folder "$version" "$processor").zip
  verify "$zip" 0 --sha256 "${published[$processor]}" --certificate "$work/signer.pem"
  for check in "published sum" package sums "bill of materials" processor "this commit"; do expect_line ok "$check"; done
  while IFS= read -r file; do expect_line ok signature "$file is signed by $signer"; done < <(package_pe_files "$processor")
  tail -n 1 "$work/verify.txt" | grep -q "^verified: " || fail "the last line is not \"verified\": $(cat "$work/verify.txt")"
  releases_x86 || expect_line ok "bill of materials" "a PARTIAL release: only the x64 package was made"
  ok "$processor package verified with its published sum: $(grep -o 'Authenticode digest.*' "$work/verify.txt" | head -n 1)"
done
zip=$out/$(package_folder "$version" x64).zip
verify "$zip" 3 --certificate "$work/signer.pem"
expect_line UNVOUCHED "published sum" "no published sum was given (--sha256)"
tail -n 1 "$work/verify.txt" | grep -q "^UNVOUCHED: .*passed every check, but without its published sum" ||
  fail "the last line does not say the package is unvouched: $(cat "$work/verify.txt")"
ok "without --sha256 every check runs, and the first and last lines say the package is unvouched (exit code 3)"
verify "$zip" 1 --sha256 "$(printf '0%.0s' {1..64})" --certificate "$work/signer.pem"
expect_line FAILED "published sum" "not the published 0000"
no_line package
ok "a wrong published sum fails first, and the package is not looked into"
verify "$zip" 1 --sha256 "${published[x64]}"
expect_line FAILED signature "recovery-tool.exe (trust: the system's trusted certificates)"
ok "without the certificate the self-signed signatures are not trusted"

# The same key on a PKCS#11 token (SoftHSM, its tokens in the key folder), the certificate from a file.
export SOFTHSM2_CONF=$key/softhsm2.conf
mkdir -p "$key/tokens"
printf 'directories.tokendir = %s\nobjectstore.backend = file\nlog.level = ERROR\n' "$key/tokens" > "$SOFTHSM2_CONF"
printf '2468\n' > "$key/pin"
{ softhsm2-util --init-token --free --label release --pin 2468 --so-pin 1357 &&
  openssl pkcs8 -topk8 -nocrypt -in "$key/key.pem" -out "$key/key.pk8" &&
  softhsm2-util --import "$key/key.pk8" --token release --label signing --id 01 --pin 2468; } >/dev/null ||
  fail "could not put the key on a SoftHSM token"
release pkcs12= pkcs11-module=/usr/lib/softhsm/libsofthsm2.so certificate="$work/signer.pem" \
  "pkcs11-key=pkcs11:token=release;object=signing;type=private" password-file="$key/pin" out="$work/out-token" ||
  fail "the release with the key on a token failed: $(cat "$work/release.txt")"
for processor in "${processors[@]}"; do
  zip=$work/out-token/$(package_folder "$version" "$processor").zip
  verify "$zip" 0 --sha256 "$(sha256sum "$zip" | cut -d' ' -f1)" --certificate "$work/signer.pem"
done
ok "a release signed with the key on a PKCS#11 token verifies"
unset SOFTHSM2_CONF

# A library that, while it is checked, appends to the programs the release is about to sign: the one in
# the build and the release's own copy. It runs as keyloom-check and is denied; the release signs the
# build as it was. The test library takes its configuration appended to its file, which travels into the
# check's sandbox with it. The same release supplies an engine that its maker signed: it keeps that.
program=$x64/recovery-tool.exe
before=$(sha256sum "$program" | cut -d' ' -f1)
config="flags=scan,backup,overwrite,whole
appendTo=\\\\?\\unix\\$program
appendTo=\\\\?\\unix\\$root/build/release-work/unsigned/x64/recovery-tool.exe
record=\\\\?\\unix\\$evidence/record.txt
"
{ cat "$x64/keyloom-test.dll"; printf '%s' "$config"; printf '\n#keyloom-test-config %d\n' "${#config}"; } \
  > "$work/writes-to-build.dll"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Engine Maker" -addext "extendedKeyUsage=codeSigning" \
  -keyout "$key/maker.pem" -out "$work/maker.pem" >/dev/null 2>&1 &&
  osslsigncode sign -certs "$work/maker.pem" -key "$key/maker.pem" -h sha256 -in "$x64/sciter.dll" \
    -out "$work/maker-signed-sciter.dll" >/dev/null || fail "could not sign the engine as its maker"
release library-x64="$work/writes-to-build.dll" samples-x64= test-path-x64= engine-x64="$work/maker-signed-sciter.dll" \
  engine-certificate="$work/maker.pem" out="$work/out-writes" ||
  fail "the release with a library that writes to the build failed: $(cat "$work/release.txt")"
# The build's program answers access denied (5), or not found (2) where the checkout lies in a folder the
# user cannot even enter (under /root); the release's copy lies in such a folder, which Wine answers as not
# found.
build_write=$(grep -F "appendTo"$'\t'"\\\\?\\unix\\$program"$'\t'"error " "$evidence/record.txt" || true)
[[ $build_write =~ $'\t'"error "(5|2|3)$ ]] &&
  grep -qx "appendTo"$'\t'".*/build/release-work/unsigned/x64/recovery-tool.exe"$'\t'"error [0-9]*" "$evidence/record.txt" ||
  fail "the library's writes to the programs were not both denied: $(grep appendTo "$evidence/record.txt" 2>&1)"
[ "$(sha256sum "$program" | cut -d' ' -f1)" = "$before" ] || fail "the library changed $program"
zip=$work/out-writes/$(package_folder "$version" x64).zip
cat "$work/signer.pem" "$work/maker.pem" > "$work/both.pem"
verify "$zip" 0 --sha256 "$(sha256sum "$zip" | cut -d' ' -f1)" --certificate "$work/both.pem"
expect_line ok "this commit" "recovery-tool.exe's Authenticode digest"
expect_line ok signature "sciter.dll is signed by /CN=Engine Maker (its maker)"
rm -rf "$unpacked" && mkdir -p "$unpacked" && unzip -q "$zip" -d "$unpacked"
folder=$unpacked/$(package_folder "$version" x64)
cmp -s "$folder/sciter.dll" "$work/maker-signed-sciter.dll" &&
  [ "$(property "$folder/bom.cdx.json" sciter.dll recovery-tool:signed-by)" = "its maker" ] ||
  fail "the engine did not keep its maker's signature, or the bill does not say so"
ok "a library writing to the programs under release while it is checked is denied, and the release signs the build as it was"
ok "an engine signed by its maker keeps that signature, byte for byte, and the bill says so"

# Tampered copies of the x64 package. tamper <name> <commands run in the unpacked folder> makes one.
good=$out/$(package_folder "$version" x64).zip
top=$(package_folder "$version" x64)
tamper() {
  local name=$1; shift
  rm -rf "$work/tampered" && mkdir -p "$work/tampered"
  unzip -q "$good" -d "$work/tampered"
  (cd "$work/tampered/$top" && eval "$*") || fail "could not make the package $name"
  python3 "$root/tools/lib/zip_folder.py" "$work/tampered/$top" "$work/$name.zip" 0
}
# verify_tampered <name> <expected exit code>: with the tampered package's own sum, as if the published one
# were replaced too, so that the checks inside are what must catch it.
verify_tampered() {
  verify "$work/$1.zip" "$2" --sha256 "$(sha256sum "$work/$1.zip" | cut -d' ' -f1)" --certificate "$work/signer.pem"
}
# The sums and the bill made to fit a changed file, as one who changes a package without the key would.
refit='sha256sum $(ls | grep -vx SHA256SUMS) > SHA256SUMS'
refit_bill() {  # refit_bill <file name> [<signer to write in>]
  python3 - "$@" <<'EOF'
import hashlib, json, os, sys
name = sys.argv[1]
bom = json.load(open("bom.cdx.json"))
for component in bom["components"]:
    if component["name"] == name:
        component["hashes"][0]["content"] = hashlib.sha256(open(name, "rb").read()).hexdigest()
        for p in component["properties"]:
            if p["name"] == "recovery-tool:file-size-bytes":
                p["value"] = str(os.path.getsize(name))
            if p["name"] == "recovery-tool:signer" and len(sys.argv) > 2:
                p["value"] = sys.argv[2]
json.dump(bom, open("bom.cdx.json", "w"), indent=2)
EOF
}

tamper one-byte 'printf Z | dd of=recovery-tool.exe bs=1 seek=40000 conv=notrunc 2>/dev/null'
verify_tampered one-byte 1
for check in sums signature "bill of materials" "this commit"; do expect_line FAILED "$check"; done
ok "one byte of the program changed: sums, signature, bill and digest fail"

# Another key's Keyloom.dll, the sums and the bill (its signer too) rewritten: only its signature tells.
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Release Test Signer" -addext "extendedKeyUsage=codeSigning" \
  -keyout "$key/other.pem" -out "$work/other.pem" >/dev/null 2>&1 || fail "openssl could not make another certificate"
tamper swapped "osslsigncode sign -certs '$work/other.pem' -key '$key/other.pem' -h sha256 -in '$x64/keyloom-template.dll' \
  -out Keyloom.dll.new >/dev/null && mv Keyloom.dll.new Keyloom.dll && osslsigncode verify -in Keyloom.dll > signer.txt 2>&1; \
  refit_bill Keyloom.dll \"\$(authenticode_signer_id signer.txt)\" && rm signer.txt && $refit"
verify_tampered swapped 1
for check in package sums "bill of materials" processor "this commit"; do expect_line ok "$check"; done
expect_line FAILED signature "Keyloom.dll (trust: $work/signer.pem)"
expect_line ok signature "recovery-tool.exe is signed by"
ok "Keyloom.dll swapped for one signed by another key, its sums and bill rewritten: its signature fails"

# A program signed with the release's own key but not built from this commit: only the digest tells.
tamper other-program "osslsigncode sign -pkcs12 '$key/signer.p12' -readpass '$key/password' -h sha256 \
  -in '$x64/bare_walk.exe' -out recovery-tool.exe.new >/dev/null && mv recovery-tool.exe.new recovery-tool.exe && \
  refit_bill recovery-tool.exe && $refit"
verify_tampered other-program 1
for check in package sums "bill of materials" processor; do expect_line ok "$check"; done
expect_line ok signature "recovery-tool.exe is signed by $signer"
expect_line FAILED "this commit"
ok "a signed program that is not this commit's: only the Authenticode digest fails"

# Packages whose ZIP directory is not one folder of plain files, made entry by entry from the good one:
# <case>|<Python that changes `entries`, a list of [ZipInfo, bytes]; entry(name, bytes, mode) makes one>|<problem>
layouts=(
  "a symbolic-link entry|entries[:] = [entry('user-guide.md', b'/etc/passwd', 0o120777) if e[0].filename.endswith('/user-guide.md') else e for e in entries]|$top/user-guide.md is a symbolic link, not a plain file"
  "a duplicate name|entries.append(entry('Keyloom.dll', b'MZ another library'))|the name Keyloom.dll stands twice"
  "a name twice in other letters|entries.append(entry('keyloom.dll', b'MZ another library'))|the name keyloom.dll stands twice, as Keyloom.dll and keyloom.dll"
  "an extra file|entries.append(entry('notes.txt', b'hello'))|notes.txt is not a file of an x64 package"
  "a dotfile|entries.append(entry('.SHA256SUMS', b'x'))|the name .SHA256SUMS begins with a dot"
  "a name with a control character|entries.append(entry('read\\x1bme.txt', b'x'))|the name read\\x1bme.txt holds the control character \\x1b"
  "another folder|entries.append(entry('more/Keyloom.dll', b'x'))|$top/more/Keyloom.dll is another folder"
)
for layout in "${layouts[@]}"; do
  IFS='|' read -r case change says <<<"$layout"
  python3 -W ignore - "$good" "$work/layout.zip" "$change" <<'EOF' || fail "could not make the package: $case"
import sys, zipfile
source, target, change = sys.argv[1:4]
with zipfile.ZipFile(source) as z:
    entries = [[info, z.read(info)] for info in z.infolist()]
top = entries[0][0].filename.split("/")[0]
def entry(name, data, mode=0o100644):
    info = zipfile.ZipInfo(top + "/" + name, date_time=(1980, 1, 1, 0, 0, 0))
    info.create_system = 3
    info.external_attr = mode << 16
    return [info, data]
exec(change)
with zipfile.ZipFile(target, "w") as z:
    for info, data in entries:
        z.writestr(info, data)
EOF
  verify "$work/layout.zip" 1 --sha256 "$(sha256sum "$work/layout.zip" | cut -d' ' -f1)" --certificate "$work/signer.pem"
  expect_line FAILED package "$says"
  no_line sums
  ok "not unpacked: $case"
done

echo "release test: $checked passed, 0 failed; $( [ ${#processors[@]} = 2 ] && echo "both packages" ||
  echo "the x64 package alone (a partial release: 32-bit Wine cannot run here)")"
