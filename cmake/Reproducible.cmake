# Bit-for-bit reproducible binaries: the same commit built in another folder, at another time, gives the
# same bytes, so whoever deploys the program can check it against our sums.

# The linker writes the link time into the PE header and, for a DLL, into its export directory. Zero
# instead: nothing in Windows needs that field to be a real date.
add_link_options(LINKER:--no-insert-timestamp)

# No build folder in any recorded path: __FILE__ (assertions, GoogleTest's failure messages), debug
# information and the assembler's file names all name sources relative to the source folder.
# -ffile-prefix-map covers -fmacro-prefix-map and -fdebug-prefix-map. The build folder lies inside the
# source folder and the later map is tried first, so it is given last.
# The resource compiler takes no such option; what it writes holds no path (the comparison build checks).
add_compile_options(
  "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_SOURCE_DIR}/=>"
  "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_BINARY_DIR}/=build/>")
