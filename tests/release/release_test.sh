#!/usr/bin/env bash
# tools/release.sh and tools/verify-release.sh end to end, with the stand-in UI engine, the demonstration
# library (samples and a test folder made by demo_encrypt.exe) and a throwaway certificate made here:
# - refusals, each naming the file: a DLL of the other processor, an engine without its entry point, a
#   missing key or one inside the checkout, a library that fails keyloom-check (the test library's default
#   answers accept a missing test folder); none leaves a package behind;
# - a release of both packages, then tools/verify-release.sh on each: sums, signature, bill of materials
#   and the programs' Authenticode digests against this commit's build; the same with the key on a
#   PKCS#11 token (SoftHSM);
# - verify-release.sh fails on a package with one byte of the program changed, on one whose Keyloom.dll
#   was swapped (with and without its sum made to fit), on a signed program that is not this commit's, and
#   on a signature that the system's trusted authorities do not vouch for.
# Needs both presets built and 32-bit Wine; tools/test.sh runs it after the tests of both builds.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$root/build/release-test
x64=$root/build/x64/bin
x86=$root/build/x86/bin
checked=0
fail() { echo "FAIL: $*"; exit 1; }
ok() { echo "ok: $*"; checked=$((checked + 1)); }
export INSTALL_DEPS=no  # tools/test.sh installed everything

for file in "$x64"/{sciter.dll,keyloom-demo.dll,keyloom-test.dll,keyloom-template.dll,broken-engine-no-entry.dll} \
  "$x64"/{demo_encrypt.exe,bare_walk.exe} "$x86"/{sciter.dll,keyloom-demo.dll,recovery-tool-x86.exe}; do
  [ -f "$file" ] || fail "$file is missing: build both presets first (tools/test.sh does)"
done
rm -rf "$work"
mkdir -p "$work"/{drive/victim,drive/app,key}
# The key never outlives the test.
trap 'rm -rf "$work/key"; [ -d "$work/prefix" ] && WINEPREFIX=$work/prefix wineserver -k 2>/dev/null' EXIT

# A throwaway code-signing certificate, self-signed, and its key in a PKCS#12 file with a password.
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

# release <option=value|option=>...: runs tools/release.sh with the base options, each given one replaced
# (an empty value leaves the option out); its output goes to $work/release.txt, its exit code is returned.
release() {
  declare -A options
  local name args=()
  for name in "${!base[@]}"; do options[$name]=${base[$name]}; done
  for name in "$@"; do options[${name%%=*}]=${name#*=}; done
  for name in "${!options[@]}"; do [ -z "${options[$name]}" ] || args+=("--$name" "${options[$name]}"); done
  "$root/tools/release.sh" "${args[@]}" "${trial[@]}" >"$work/release.txt" 2>&1
}

# Refusals: <case>|<option=replaced value>|<what the refusal must say>
refusals=(
  "library of the other processor|library-x64=$x86/keyloom-demo.dll|$x86/keyloom-demo.dll (--library-x64)
   is built for 32-bit (x86) Windows"
  "engine of the other processor|engine-x86=$x64/sciter.dll|$x64/sciter.dll (--engine-x86) is built for 64-bit (x64)
   Windows"
  "engine without its entry point|engine-x64=$x64/broken-engine-no-entry.dll|$x64/broken-engine-no-entry.dll
   (--engine-x64) has no entry point SciterAPI"
  "a program given as the library|library-x86=$x86/recovery-tool-x86.exe|$x86/recovery-tool-x86.exe (--library-x86)
   is a program, not a DLL"
  "missing key|pkcs12=$key/absent.p12|the signing key $key/absent.p12 (--pkcs12) does not exist"
  "no key given|pkcs12=|no signing key"
  "key where git could commit it|pkcs12=$root/signing.p12|$root/signing.p12 (--pkcs12) lies in the checkout"
  "library failing keyloom-check|library-x64=$x64/keyloom-test.dll|$x64/keyloom-test.dll (--library-x64) fails
   keyloom-check"
)
for refusal in "${refusals[@]}"; do
  IFS='|' read -r case replaced says <<<"${refusal//$'\n   '/ }"
  release "$replaced" && fail "$case: the release went ahead: $(cat "$work/release.txt")"
  grep -qF "REFUSED: $says" "$work/release.txt" ||
    fail "$case: the refusal does not say \"$says\": $(cat "$work/release.txt")"
  ! ls "$out"/*.zip >/dev/null 2>&1 || fail "$case: a package was left behind"
  ok "refused: $case"
done
# The checker's rows are shown with the refusal.
grep -qE '^FAILED +init-missing-test-folder' "$work/release.txt" ||
  fail "the refusal shows no failing row: $(cat "$work/release.txt")"
ok "the failing library's refusal shows the checker's failing row"

started=$(date +%s)
release || fail "the release failed: $(cat "$work/release.txt")"
echo "the release took $(($(date +%s) - started)) s"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$root/build/x64/CMakeCache.txt")
for processor in x64 x86; do
  zip=$out/recovery-tool-$version-$processor-complete.zip
  line=$(grep -F "$zip  " "$work/release.txt") || fail "no line for $zip: $(cat "$work/release.txt")"
  [ "$line" = "$zip  $(stat -c %s "$zip") bytes  sha256 $(sha256sum "$zip" | cut -d' ' -f1)" ] ||
    fail "the line for $zip gives another size or sum: $line"
  ok "$(basename "$zip"): $(stat -c %s "$zip") bytes, its line as tools/package.sh prints"
done

# The packages hold what they must, the supplied DLLs byte for byte.
unpacked=$work/unpacked
for processor in x64 x86; do
  rm -rf "$unpacked" && mkdir -p "$unpacked"
  unzip -q "$out/recovery-tool-$version-$processor-complete.zip" -d "$unpacked"
  folder=$unpacked/recovery-tool-$version-$processor-complete
  program=recovery-tool.exe; bin=$x64
  [ "$processor" = x86 ] && program=recovery-tool-x86.exe && bin=$x86
  files=$(ls "$folder" | paste -sd' ')
  wanted=$(printf '%s\n' Keyloom.dll SHA256SUMS bom.cdx.json "$program" sciter.dll user-guide.md | LC_ALL=C sort)
  [ "$files" = "$(paste -sd' ' <<<"$wanted")" ] || fail "$processor package holds $files"
  cmp -s "$folder/sciter.dll" "$bin/sciter.dll" && cmp -s "$folder/Keyloom.dll" "$bin/keyloom-demo.dll" ||
    fail "$processor package: the engine or the library is not the one supplied"
  ! cmp -s "$folder/$program" "$bin/$program" || fail "$processor package: the program is not signed"
  # The runtime pieces carry the versions of the Debian packages that provide them.
  triplet=x86-64; [ "$processor" = x86 ] && triplet=i686
  for piece in "libstdc++:g++-mingw-w64-$triplet-posix" "winpthreads:mingw-w64-$triplet-dev" "{fmt}:libfmt-dev"; do
    name=${piece%%:*} debian=${piece#*:}
    version_of_package=$(dpkg-query -W -f='${Version}' "$debian")
    grep -A3 "\"name\": \"$name\"" "$folder/bom.cdx.json" | grep -qF "\"version\": \"$version_of_package\"" ||
      fail "$processor bill of materials: $name is not given with the version of $debian"
  done
  ok "$processor package: $files; the supplied DLLs unchanged; the linked pieces with their Debian versions"
done

# verify <package> <expected exit code> [verify-release.sh options...]: output in $work/verify.txt.
verify() {
  local package=$1 want=$2; shift 2
  "$root/tools/verify-release.sh" "$package" "$@" >"$work/verify.txt" 2>&1
  local code=$?
  [ "$code" = "$want" ] ||
    fail "verify-release.sh $(basename "$package") $* ended with $code, not $want: $(cat "$work/verify.txt")"
}
# expect_line <ok|FAILED> <check>: the verification's line for one check.
expect_line() {
  grep -qE "^$1 +$2 " "$work/verify.txt" || fail "no \"$1 $2\" line: $(cat "$work/verify.txt")"
}

for processor in x64 x86; do
  verify "$out/recovery-tool-$version-$processor-complete.zip" 0 --certificate "$work/signer.pem"
  for check in sums signature "bill of materials" processor "this commit"; do expect_line ok "$check"; done
  ok "$processor package verified: $(grep -o 'Authenticode digest.*' "$work/verify.txt")"
done
verify "$out/recovery-tool-$version-x64-complete.zip" 1
expect_line FAILED signature
ok "without the certificate the self-signed signature is not trusted"

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
for processor in x64 x86; do
  verify "$work/out-token/recovery-tool-$version-$processor-complete.zip" 0 --certificate "$work/signer.pem"
done
ok "a release signed with the key on a PKCS#11 token verifies"

# Tampered copies of the x64 package. tamper <name> <commands run in the unpacked folder> makes one.
tamper() {
  local name=$1; shift
  rm -rf "$work/tampered" && mkdir -p "$work/tampered"
  unzip -q "$out/recovery-tool-$version-x64-complete.zip" -d "$work/tampered"
  (cd "$work/tampered/recovery-tool-$version-x64-complete" && eval "$*") || fail "could not make the package $name"
  python3 "$root/tools/lib/zip_folder.py" "$work/tampered/recovery-tool-$version-x64-complete" "$work/$name.zip" 0
}
# The sums and the bill made to fit a changed file, as one who changes a package without the key would.
refit='sha256sum $(ls | grep -vx SHA256SUMS) > SHA256SUMS'
refit_bill() {  # refit_bill <file name>
  python3 - "$1" <<'EOF'
import hashlib, json, os, sys
name = sys.argv[1]
bom = json.load(open("bom.cdx.json"))
for component in bom["components"]:
    if component["name"] == name:
        component["hashes"][0]["content"] = hashlib.sha256(open(name, "rb").read()).hexdigest()
        for p in component["properties"]:
            if p["name"] == "recovery-tool:file-size-bytes":
                p["value"] = str(os.path.getsize(name))
json.dump(bom, open("bom.cdx.json", "w"), indent=2)
EOF
}

tamper one-byte 'printf Z | dd of=recovery-tool.exe bs=1 seek=40000 conv=notrunc 2>/dev/null'
verify "$work/one-byte.zip" 1 --certificate "$work/signer.pem"
for check in sums signature "bill of materials" "this commit"; do expect_line FAILED "$check"; done
ok "one byte of the program changed: sums, signature, bill and digest fail"

tamper swapped "cp '$x64/keyloom-template.dll' Keyloom.dll"
verify "$work/swapped.zip" 1 --certificate "$work/signer.pem"
expect_line FAILED sums; expect_line FAILED "bill of materials"; expect_line ok signature
grep -q "Keyloom.dll: its SHA-256 is" "$work/verify.txt" ||
  fail "the bill's failure does not name Keyloom.dll: $(cat "$work/verify.txt")"
ok "Keyloom.dll swapped: sums and bill fail, naming it"

tamper swapped-refitted "cp '$x64/keyloom-template.dll' Keyloom.dll && $refit"
verify "$work/swapped-refitted.zip" 1 --certificate "$work/signer.pem"
expect_line ok sums; expect_line FAILED "bill of materials"
ok "Keyloom.dll swapped and its sum made to fit: the bill fails"

# A program signed with the release's own key but not built from this commit: only the digest tells.
tamper other-program "osslsigncode sign -pkcs12 '$key/signer.p12' -readpass '$key/password' -h sha256 \
  -in '$x64/bare_walk.exe' -out recovery-tool.exe.new >/dev/null && mv recovery-tool.exe.new recovery-tool.exe && \
  refit_bill recovery-tool.exe && $refit"
verify "$work/other-program.zip" 1 --certificate "$work/signer.pem"
for check in sums signature "bill of materials" processor; do expect_line ok "$check"; done
expect_line FAILED "this commit"
ok "a signed program that is not this commit's: only the Authenticode digest fails"

echo "release test: $checked passed, 0 failed"
