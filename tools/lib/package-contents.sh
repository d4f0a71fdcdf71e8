# What a complete package holds, for tools/release.sh, tools/verify-release.sh and the release test.
# Sourced; defines no state but the list below.
#
# The programs of a package: each is a CMake target of that name in the x86-64 build and of that name
# with "-x86" in the i386 build, built from the same commit, signed with the release key and held to this
# checkout's build by tools/verify-release.sh. A new program goes into a package by adding its name here.
package_programs=(recovery-tool recovery-run)

# The DLLs every package carries, as they are named in it: the UI engine and the decryption library.
package_engine=sciter.dll
package_library=Keyloom.dll
package_guide=user-guide.md
package_bom=bom.cdx.json
package_sums=SHA256SUMS

# program_target <x64|x86> <program>: the CMake target of a program in that processor's build.
program_target() { [ "$1" = x64 ] && echo "$2" || echo "$2-x86"; }

# package_program_files <x64|x86>: the programs' file names in that processor's package, one a line.
package_program_files() {
  local program
  for program in "${package_programs[@]}"; do echo "$(program_target "$1" "$program").exe"; done
}

# package_pe_files <x64|x86>: every program and DLL of the package, one a line: all are signed.
package_pe_files() {
  package_program_files "$1"
  printf '%s\n' "$package_engine" "$package_library"
}

# package_files <x64|x86>: every file of the package, one a line, in the byte order of their names.
package_files() {
  { package_pe_files "$1"; printf '%s\n' "$package_guide" "$package_bom" "$package_sums"; } | LC_ALL=C sort
}

# package_folder <version> <x64|x86>: the one folder a package holds, which is also its name without .zip.
package_folder() { echo "recovery-tool-$1-$2-complete"; }
