#!/usr/bin/env bash
# Runs keyloom-check on a decryption library under Wine, on copies only:
#   kit/check-library.sh <library.dll> [--samples <folder>] [--test-path <folder>]
# The checker, the library, the samples and the test folder are copied into a fresh folder, and the checker
# runs in a fresh Wine prefix whose only drives are its own C: and K:, that folder.
# Wine is no boundary: a DLL can reach every file its Unix user can (through "\\?\unix\" paths or Linux
# system calls). So, run as root (as tools/release.sh runs it), Wine runs as the unprivileged user
# keyloom-check (made with useradd when missing, see tools/lib/check-user.sh), which owns only the check's
# folder, with a clean environment, in a process namespace that ends with the check: the library can read
# no file that only root can read and change none that root wrote. Its prefix is a copy of one that the
# user made before any library ran (kept in /var/cache/keyloom-check, one for each Wine installation). Run
# as another user, Wine runs as that user. The folder is removed after a check that passed and kept, with
# its name printed, after one that did not (KEYLOOM_CHECK_KEEP=no removes it then too). The exit code is
# the checker's: 0 when every check passed. KEYLOOM_CHECK names the checker (build/x64/bin/keyloom-check.exe
# unless given).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
checker=${KEYLOOM_CHECK:-$root/build/x64/bin/keyloom-check.exe}

usage() { echo "usage: $0 <library.dll> [--samples <folder>] [--test-path <folder>]" >&2; exit 2; }
[ $# -ge 1 ] || usage
if [ ! -f "$checker" ]; then
  echo "$checker is missing: build first (cmake --preset recovery-tool && cmake --build --preset recovery-tool)" >&2
  exit 2
fi
library=$1; shift
[ -f "$library" ] || { echo "$library is not a file" >&2; exit 2; }
declare -A folders=()
while [ $# -gt 0 ]; do
  case $1 in
    --samples | --test-path)
      [ $# -ge 2 ] && [ -d "$2" ] || { echo "$1 needs an existing folder" >&2; exit 2; }
      folders[${1#--}]=$2
      shift 2 ;;
    *) echo "unexpected argument $1" >&2; usage ;;
  esac
done

as_root=no
if [ "$(id -u)" = 0 ]; then
  as_root=yes
  source "$root/tools/lib/check-user.sh"
  check_user_ensure || exit 2
  # Outside the checkout, which may lie in a folder that the user cannot enter (root's home).
  work=$(mktemp -d /var/tmp/keyloom-check.XXXXXXXX)
else
  work=$(mktemp -d "${TMPDIR:-/tmp}/keyloom-check.XXXXXXXX")
fi
run=$work/run
mkdir -p "$run" "$work/home" "$work/tools"
cp "$checker" "$run/keyloom-check.exe"
cp "$library" "$run/$(basename "$library")"
args=("K:\\$(basename "$library")")
for name in samples test-path; do
  [ -n "${folders[$name]:-}" ] || continue
  cp -r "${folders[$name]}" "$run/$name"
  args+=("--$name" "K:\\$name")
done
# The prefix's tools, copied: the user may not be able to read the checkout.
cp "$root/tools/wine/make-prefix" "$root/tools/wine/run" "$work/tools/"

# A new prefix costs wineboot half a minute. As root, the user makes one once for each Wine installation
# (and each version of make-prefix), before any library ran in it; root keeps it in a folder of its own,
# and each check gets a copy of it.
prefix_template() {
  local cache=/var/cache/keyloom-check key template fresh
  key=$({ wine --version 2>/dev/null; dpkg-query -W -f='${Version}' wine32:i386 2>/dev/null; cat "$work/tools/make-prefix"; } |
    sha256sum | cut -c1-16)
  template=$cache/prefix-$key
  if [ ! -d "$template" ]; then
    mkdir -p "$cache"
    chmod 700 "$cache"
    fresh=$(mktemp -d /var/tmp/keyloom-check-prefix.XXXXXXXX)
    mkdir "$fresh/home"
    cp "$work/tools/make-prefix" "$fresh/"
    chown -R "$check_uid:$check_gid" "$fresh"
    as_check_user env -i HOME="$fresh/home" PATH=/usr/bin:/bin LANG=C.UTF-8 \
      bash "$fresh/make-prefix" "$fresh/prefix" sealed >/dev/null || { rm -rf "$fresh"; return 1; }
    chown -R root:root "$fresh/prefix"
    # Another check may have made it meanwhile: then this one is dropped.
    mv -T "$fresh/prefix" "$template" 2>/dev/null || true
    rm -rf "$fresh"
  fi
  cp -a --reflink=auto "$template" "$work/prefix" || { rm -rf "$work/prefix"; return 1; }
}

inner='set -e
tools=$1 prefix=$2 run=$3
shift 3
"$tools/make-prefix" "$prefix" sealed k="$run"
cd "$run"  # Wine starts in a folder it can reach: K:\
"$tools/run" "$prefix" "$@"'
environment=(HOME="$work/home" PATH=/usr/bin:/bin LANG=C.UTF-8)
status=0
if [ "$as_root" = yes ]; then
  prefix_template || echo "could not make a prefix to copy; the check makes its own"
  chown -R "$check_uid:$check_gid" "$work"
  chmod 700 "$work"
  as_check_user env -i "${environment[@]}" bash -c "$inner" check "$work/tools" "$work/prefix" "$run" \
    'K:\keyloom-check.exe' "${args[@]}" || status=$?
else
  env -i "${environment[@]}" bash -c "$inner" check "$work/tools" "$work/prefix" "$run" \
    'K:\keyloom-check.exe' "${args[@]}" || status=$?
fi
if [ "$status" = 0 ]; then
  rm -rf "$work"
elif [ "${KEYLOOM_CHECK_KEEP:-yes}" = no ]; then
  rm -rf "$work"
  echo "the check's folder, and the checker's files in it, are removed (KEYLOOM_CHECK_KEEP=no)"
else
  echo "the check's folder is kept for a look (its Wine prefix holds the checker's work folders): $work"
fi
exit "$status"
