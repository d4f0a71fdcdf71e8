# The build enforces which product folders may include which: each product library compiles with an
# include root in the build tree that holds a link to its own folder only. A library sees another folder's
# headers only by linking that folder's library, so an include against the direction of the links fails
# to compile.
function(expose_folder target folder)
  set(root ${CMAKE_BINARY_DIR}/include-roots/${folder})
  file(MAKE_DIRECTORY ${root})
  file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
  target_include_directories(${target} PUBLIC ${root})
endfunction()
