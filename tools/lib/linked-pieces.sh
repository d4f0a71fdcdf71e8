# What -static links into the program, for the bill of materials: each piece is found as the cross compiler
# finds it (or, for the header-only {fmt}, where the build takes its headers from), and its version is that
# of the build machine's Debian package that installed the file. Sourced by tools/release.sh.

# linked_pieces <x64|x86>: one line per piece, "<name>|<Debian package>|<version>|<architecture>".
linked_pieces() {
  local triplet compiler name file path owner
  triplet=x86_64-w64-mingw32; [ "$1" = x86 ] && triplet=i686-w64-mingw32
  compiler=$triplet-g++-posix  # the compiler cmake/toolchains/mingw-common.cmake names
  command -v "$compiler" >/dev/null || { echo "$compiler is missing: run tools/install-deps.sh" >&2; return 1; }
  while IFS='|' read -r name file; do
    case $file in
      /*) path=$file ;;
      *) path=$("$compiler" -print-file-name="$file") ;;
    esac
    path=$(readlink -f "$path")
    # "package[:architecture]: path"
    owner=$(dpkg-query -S "$path" 2>/dev/null | head -n 1 | cut -d: -f1) || true
    [ -n "$owner" ] || { echo "no Debian package owns $path ($name)" >&2; return 1; }
    echo "$name|$owner|$(dpkg-query -W -f='${Version}|${Architecture}' "$owner")"
  done <<EOF
MinGW-w64 runtime|crt2.o
winpthreads|libwinpthread.a
libstdc++|libstdc++.a
libgcc|libgcc.a
{fmt}|/usr/include/fmt/core.h
EOF
}
