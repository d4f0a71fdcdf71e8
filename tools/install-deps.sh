#!/usr/bin/env bash
# Installs what building, running and testing need, from Debian's packages and the npm registry.
# Safe to run again: it installs only what is missing.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

packages=(
  cmake ninja-build                                      # build
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix    # cross compilers for both deliverables
  mingw-w64-tools                                        # windres and friends
  wine64                                                 # runs the program and its tests
  libfmt-dev nlohmann-json3-dev googletest               # {fmt}, JSON for test tooling, GoogleTest sources
  python3-pil                                            # draws the icon and the window's images
  chromium                                               # page tests: headless browser driven by Playwright
)
# Node.js and npm come with the machine; Debian's packages are the fallback where they are missing.
command -v node >/dev/null || packages+=(nodejs)
command -v npm >/dev/null || packages+=(npm)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The page tests' JavaScript packages, pinned by package-lock.json. No browser is downloaded.
if [ -f "$root/tests/page/package-lock.json" ]; then
  (cd "$root/tests/page" && npm ci --no-audit --no-fund --loglevel=error >/dev/null)
fi
