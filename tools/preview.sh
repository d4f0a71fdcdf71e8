#!/usr/bin/env bash
# The window as a user meets it: builds, starts recovery-tool.exe under Wine in a sealed prefix of its own
# with the demonstration library over a folder of files encrypted by the demonstration family, shows the
# window's document in headless Chromium through the stand-in engine's preview mode, walks the five steps
# (accept, Continue, choose the folders, Start now, outcome) and saves a screenshot of each in
# build/preview/screenshots/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
source tools/lib/steps.sh

step "installing what is missing"
tools/install-deps.sh
require_node
build_preset recovery-tool
step "showing the window in headless Chromium"
PREVIEW_BIN=$root/build/x64/bin node tests/preview/preview.js "$@"
