#!/usr/bin/env bash
# Checks that every C++ file of the repository is formatted as .clang-format says, and names the files that
# differ; with --fix it formats them instead.
#   tools/check-format.sh [--fix]
# The style is stated for Debian 12's clang-format 14; another version may format some lines otherwise.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
fix=no
[ "${1:-}" = --fix ] && fix=yes

formatter=$(command -v clang-format-14 || command -v clang-format || true)
[ -n "$formatter" ] || { echo "check-format: clang-format is missing: run tools/install-deps.sh" >&2; exit 2; }
version=$("$formatter" --version)
case "$version" in
  *" 14."*) ;;
  *) echo "check-format: $version is not clang-format 14, which the style is stated for" >&2 ;;
esac

# The tracked files; a copy without git (as the reproducibility check makes) lists the tree instead.
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -t files < <(git ls-files '*.cpp' '*.h')
else
  mapfile -t files < <(find . \( -name build -o -name node_modules -o -name .git \) -prune -o \
                            -type f \( -name '*.cpp' -o -name '*.h' \) -print | sed 's|^\./||' | sort)
fi

differ=()
for file in "${files[@]}"; do
  "$formatter" --dry-run -Werror "$file" >/dev/null 2>&1 || differ+=("$file")
done
if [ ${#differ[@]} -eq 0 ]; then
  echo "check-format: ${#files[@]} files, all formatted as .clang-format says"
  exit 0
fi
if [ "$fix" = yes ]; then
  "$formatter" -i "${differ[@]}"
  printf 'check-format: formatted %s\n' "${differ[@]}"
  exit 0
fi
echo "check-format: ${#differ[@]} of ${#files[@]} files differ from .clang-format:"
printf '  %s\n' "${differ[@]}"
echo "check-format: see the changes with: $formatter --dry-run <file>; mend them with: tools/check-format.sh --fix"
exit 1
