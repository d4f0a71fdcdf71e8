#!/usr/bin/env bash
# Builds both deliverables and everything around them, then runs every test (under Wine and in Chromium).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
tools/install-deps.sh

cmake --preset recovery-tool >/dev/null
cmake --build --preset recovery-tool
# The i386 deliverable: compiled and linked, its record layouts checked by the compiler. It packs its UI
# archive with the packer of the 64-bit build, since only 64-bit programs run here.
cmake --preset recovery-tool-x86 >/dev/null
cmake --build --preset recovery-tool-x86

tools/check-reproducible.sh
ctest --preset recovery-tool
