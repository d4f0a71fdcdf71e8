#!/usr/bin/env bash
# Builds both deliverables and everything around them, then runs every test: the x86-64 build's under
# Wine and in Chromium, the i386 build's under Wine's 32-bit support. Where 32-bit Wine could not be
# installed, the i386 build is still made and only its runtime tests are skipped, with the reason.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
source tools/lib/steps.sh

step "installing what is missing"
tools/install-deps.sh
require_node

build_preset recovery-tool
build_preset recovery-tool-x86

step "checking that a second build of this commit gives the same bytes (tools/check-reproducible.sh)"
tools/check-reproducible.sh || fail "two builds of this commit differ (see the DIFFERS lines above)"

step "testing the x86-64 build (ctest --preset recovery-tool)"
run_tests() { ctest --preset "$1" || fail "the $2 tests failed; rerun one with: ctest --preset $1 -R <name> --output-on-failure"; }
run_tests recovery-tool x86-64

if reason=$(i386_wine_missing); then
  echo "== i386 runtime tests skipped: $reason"
else
  step "testing the i386 build under 32-bit Wine (ctest --preset recovery-tool-x86)"
  run_tests recovery-tool-x86 i386
fi
step "all tests passed"
