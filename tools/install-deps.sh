#!/usr/bin/env bash
# Installs what building, running, testing and releasing need, from Debian 12's own packages and the npm
# packages that tests/page/package-lock.json and tools/bom/package-lock.json pin. Safe to run again: it
# installs only what is missing.
#
# 32-bit Wine (wine32:i386) is installed where the mirror offers it and the kernel can run it. When it
# cannot be installed, one line says so, the reason is kept in build/i386-wine-unavailable, and
# tools/test.sh skips only the i386 runtime tests, saying why.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
logs=$root/build/logs
mkdir -p "$logs"
log=$logs/install-deps.log
i386_marker=$root/build/i386-wine-unavailable
: > "$log"

step() { echo "== install-deps: $*"; }
# Runs a command with its output in the log; on failure shows the log's end and says where the rest is.
quiet() {
  if ! "$@" >>"$log" 2>&1; then
    echo "install-deps: failed: $*" >&2
    tail -n 25 "$log" >&2
    echo "install-deps: the whole output is in build/logs/install-deps.log" >&2
    return 1
  fi
}
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

packages=(
  cmake ninja-build                                      # build
  g++ make                                               # the build-time packer runs natively
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix    # cross compilers for both deliverables
  mingw-w64-tools                                        # windres and friends
  wine wine64                                            # the wine, wineboot and winepath commands; 64-bit Wine
  libfmt-dev nlohmann-json3-dev googletest               # {fmt}, JSON for test tooling, GoogleTest sources
  python3-pil                                            # draws the icon and the window's images
  chromium                                               # page tests: headless browser driven by Playwright
  ca-certificates                                        # npm reaches its registry over TLS
  git unzip                                              # packages: the commit's time for entries, checking sums
  osslsigncode openssl                                   # releases: Authenticode signing and checking
  libengine-pkcs11-openssl softhsm2                      # releases: a key on a token; the test's token
  python3                                                # releases: packing the ZIPs
  clang-format                                           # the C++ style check (.clang-format, version 14)
)
# Node.js and npm: Debian's, unless the machine already has its own.
command -v node >/dev/null || packages+=(nodejs)
command -v npm >/dev/null || packages+=(npm)

export DEBIAN_FRONTEND=noninteractive
updated=no
update() { [ "$updated" = yes ] || { quiet apt-get update; updated=yes; }; }

missing=()
for p in "${packages[@]}"; do installed "$p" || missing+=("$p"); done
if [ ${#missing[@]} -gt 0 ]; then
  step "installing ${missing[*]}"
  update
  quiet apt-get install -y --no-install-recommends "${missing[@]}"
fi

# 32-bit Wine runs the i386 deliverable and its tests. Its absence is reported, never fatal. A kernel
# without IA-32 emulation cannot start it, and with it installed the wine command fails for 64-bit
# programs too (it starts the 32-bit loader first), so there it is not installed, or taken out again.
no_ia32="this machine's kernel cannot start 32-bit x86 programs (Exec format error: no IA-32 emulation)"
if ! "$root/tools/lib/kernel-runs-i386.sh"; then
  if installed wine32:i386; then
    step "removing wine32:i386: $no_ia32, and it stops 64-bit Wine from starting"
    quiet apt-get remove -y wine32:i386
  fi
  echo "$no_ia32" > "$i386_marker"
  echo "install-deps: 32-bit Wine is not available, the i386 runtime tests will be skipped: $no_ia32"
elif installed wine32:i386; then
  rm -f "$i386_marker"
else
  step "installing wine32:i386 (runs the i386 deliverable)"
  reason=""
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386 >>"$log" 2>&1 || reason="dpkg --add-architecture i386 failed"
    updated=no
  fi
  if [ -z "$reason" ]; then
    if ! apt-get update >>"$log" 2>&1; then
      reason="apt-get update failed after adding the i386 architecture"
    elif ! apt-get install -y --no-install-recommends wine32:i386 >>"$log" 2>&1; then
      reason="apt-get install wine32:i386 failed (the mirror's i386 packages may lag the amd64 ones); see build/logs/install-deps.log"
    fi
  fi
  if [ -n "$reason" ]; then
    echo "$reason" > "$i386_marker"
    echo "install-deps: 32-bit Wine is not available, the i386 runtime tests will be skipped: $reason"
  else
    rm -f "$i386_marker"
  fi
fi

# The page tests' JavaScript packages, pinned by package-lock.json. No browser is downloaded.
if [ -f "$root/tests/page/package-lock.json" ]; then
  step "installing the page tests' npm packages (tests/page/package-lock.json)"
  (cd "$root/tests/page" && quiet npm ci --no-audit --no-fund)
fi
# The CycloneDX library and its JSON schema validator, for releases' bills of materials. Its optional XML
# packages are left out: one of them builds native code from the network.
if [ -f "$root/tools/bom/package-lock.json" ]; then
  step "installing the bill of materials' npm packages (tools/bom/package-lock.json)"
  (cd "$root/tools/bom" && quiet npm ci --omit=optional --ignore-scripts --no-audit --no-fund)
fi
exit 0
