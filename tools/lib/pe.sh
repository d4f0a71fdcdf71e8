# What a release needs to know of a Windows program or DLL, read from its headers: for which processor it
# is built, whether it is a DLL, and which names it exports. Sourced by tools/release.sh and
# tools/verify-release.sh.

# u16/u32 <file> <offset>: a little-endian number at a byte offset.
pe_u16() { od -An -t u2 --endian=little -j "$2" -N 2 "$1" | tr -d ' '; }
pe_u32() { od -An -t u4 --endian=little -j "$2" -N 4 "$1" | tr -d ' '; }

# pe_header_offset <file>: where the "PE\0\0" signature stands; fails for a file that is no PE image.
pe_header_offset() {
  local offset
  [ "$(head -c 2 "$1" 2>/dev/null)" = MZ ] || return 1
  offset=$(pe_u32 "$1" 60)
  [ -n "$offset" ] && [ "$(od -An -t x1 -j "$offset" -N 4 "$1" | tr -d ' ')" = 50450000 ] || return 1
  echo "$offset"
}

# pe_processor <file>: x64 or x86 (the COFF header's machine field), "other" for another machine, and
# "none" for a file that is no PE image.
pe_processor() {
  local offset
  offset=$(pe_header_offset "$1") || { echo none; return; }
  case $(pe_u16 "$1" $((offset + 4))) in
    34404) echo x64 ;;  # 0x8664, IMAGE_FILE_MACHINE_AMD64
    332) echo x86 ;;    # 0x014c, IMAGE_FILE_MACHINE_I386
    *) echo other ;;
  esac
}

# pe_is_dll <file>: succeeds when the image's characteristics carry IMAGE_FILE_DLL (0x2000).
pe_is_dll() {
  local offset
  offset=$(pe_header_offset "$1") || return 1
  (( $(pe_u16 "$1" $((offset + 22))) & 0x2000 ))
}

# pe_exports <file>: the exported names, one a line, from the export directory as objdump reads it (the
# 64-bit objdump reads both kinds of image). awk reads to the end, so that objdump is never cut off.
pe_exports() {
  x86_64-w64-mingw32-objdump -p "$1" 2>/dev/null |
    awk '/^\[Ordinal\/Name Pointer\] Table/ { names = 1; next }
         names && /^\t\[ *[0-9]+\] / { print $NF; next }
         { names = 0 }'
}

# processor_words <x64|x86>: how the guides name a processor, for messages.
processor_words() { [ "$1" = x64 ] && echo "64-bit (x64)" || echo "32-bit (x86)"; }
