#!/usr/bin/env bash
# Builds both deliverables and everything around them, then runs every test: the x86-64 build's under
# Wine and in Chromium, the i386 build's under Wine's 32-bit support, then a release made of both builds
# and checked. Where 32-bit Wine could not be installed, the i386 build is still made, its runtime tests
# are skipped with the reason, and the release test makes a partial release of the x64 package alone.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
source tools/lib/steps.sh

step "installing what is missing"
tools/install-deps.sh
require_node

step "checking the C++ formatting (tools/check-format.sh)"
tools/check-format.sh || fail "some C++ files differ from .clang-format (named above); tools/check-format.sh --fix mends them"

build_preset recovery-tool
build_preset recovery-tool-x86

step "checking that a second build of this commit gives the same bytes (tools/check-reproducible.sh)"
tools/check-reproducible.sh || fail "two builds of this commit differ (see the DIFFERS lines above)"

step "testing the x86-64 build (ctest --preset recovery-tool)"
run_tests() { ctest --preset "$1" || fail "the $2 tests failed; rerun one with: ctest --preset $1 -R <name> --output-on-failure"; }
run_tests recovery-tool x86-64

if reason=$(i386_wine_missing); then
  echo "== i386 runtime tests skipped: $reason"
  released="the x64 package alone, a partial release (the x86 library cannot be checked without 32-bit Wine)"
else
  step "testing the i386 build under 32-bit Wine (ctest --preset recovery-tool-x86)"
  run_tests recovery-tool-x86 i386
  released="both packages"
fi
# The builds made above: tools/release.sh with a throwaway certificate, then tools/verify-release.sh.
step "making a release of $released and checking it (tests/release/release_test.sh, output in build/logs/release-test.log)"
logged release-test "the release test" tests/release/release_test.sh
grep -E '^(the release took|release test:)' "$logs/release-test.log"
step "all tests passed"
