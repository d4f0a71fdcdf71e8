# CPack pre-build script: runs in cpack on the staged package folder, before the ZIP is written.
#
# What CMake 3.25's ZIP writer records besides the bytes, and how each is fixed here:
# - entry times: the UT extra field holds modification, access and change time of each staged file; the
#   change time cannot be set on a file, but the writer takes all three from SOURCE_DATE_EPOCH when that
#   is set, so it is set to the commit's time (or kept when the caller set it);
# - the DOS date and time of each entry: local time of the packer's time zone, so the zone is UTC here;
# - Unix permissions: set explicitly, not left to the umask;
# - owner and group ids (the "ux" field): those of the user who packs; root on our build machines;
# - entry order: the order in which the staging folder lists its files. CMake 3.25 does not sort it, so
#   it is fixed for the same names on one file system; tools/package.sh packs twice to check.
set(staging ${CPACK_TEMPORARY_INSTALL_DIRECTORY})

if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  execute_process(
    COMMAND git -C ${CPACK_RECOVERY_TOOL_SOURCE_DIR} log -1 --format=%ct
    OUTPUT_VARIABLE commit_time OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE git_result)
  if(NOT git_result EQUAL 0 OR commit_time STREQUAL "")
    message(FATAL_ERROR "No commit time for the package's entries: set SOURCE_DATE_EPOCH")
  endif()
  set(ENV{SOURCE_DATE_EPOCH} ${commit_time})
endif()

set(ENV{TZ} UTC0)

file(GLOB staged_files RELATIVE ${staging} ${staging}/*)
list(REMOVE_ITEM staged_files SHA256SUMS)
list(SORT staged_files)
set(sums "")
foreach(name IN LISTS staged_files)
  file(SHA256 ${staging}/${name} hash)
  # The format of sha256sum: hash, two spaces, name.
  string(APPEND sums "${hash}  ${name}\n")
endforeach()
file(WRITE ${staging}/SHA256SUMS "${sums}")

file(GLOB all_files ${staging}/*)
foreach(path IN LISTS all_files)
  if(path MATCHES "\\.exe$")
    file(CHMOD ${path} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  else()
    file(CHMOD ${path} PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  endif()
endforeach()
