# Shared by the README's commands: each says which step it is in, keeps a step's output in a log under
# build/logs/ (quiet on success), and on failure names the step, shows the log's end and says where it is.
logs=$root/build/logs
mkdir -p "$logs"

step() { echo "== $*"; }
fail() { echo "FAILED: $*" >&2; exit 1; }

# logged <log name> <what> <command...>: runs the command with its output in build/logs/<log name>.log.
logged() {
  local log=$logs/$1.log what=$2; shift 2
  if ! "$@" >"$log" 2>&1; then
    tail -n 40 "$log" >&2
    fail "$what (the whole output: build/logs/$(basename "$log"))"
  fi
}

build_preset() {
  step "building the preset $1 (output in build/logs/build-$1.log)"
  logged "configure-$1" "configuring the preset $1" cmake --preset "$1"
  logged "build-$1" "building the preset $1" cmake --build --preset "$1"
}

# The page tests' Playwright needs Node.js 18 or newer (Debian 12 ships 18).
require_node() {
  local version major
  command -v node >/dev/null || fail "Node.js is missing: tools/install-deps.sh installs Debian's nodejs"
  version=$(node --version)
  major=${version#v}; major=${major%%.*}
  [ "$major" -ge 18 ] 2>/dev/null ||
    fail "Node.js $version is too old for the page tests: they need Node.js 18 or newer (Debian 12's nodejs is 18)"
}

# Prints why the i386 runtime tests cannot run here and succeeds, or fails when they can run.
i386_wine_missing() {
  if [ -f "$root/build/i386-wine-unavailable" ]; then
    echo "32-bit Wine is not available: $(cat "$root/build/i386-wine-unavailable")"
  elif ! dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q "install ok installed"; then
    echo "32-bit Wine (wine32:i386) is not installed"
  else
    return 1
  fi
}
