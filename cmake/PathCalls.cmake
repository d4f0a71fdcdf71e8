# Fails when product code hands a path to the C runtime's file functions or to std::filesystem operations
# instead of the system's own calls. On Windows, msvcrt's file functions, which libstdc++'s std::filesystem
# asks first, answer "not found" for any path holding "?", as every long-path form ("\\?\C:\...") does;
# Wine's do not, so no run under Wine would show it.
# Paths from the walk and the command line must therefore reach the system through its own calls. The few
# uses that never see such a path are listed below with the reason.
# Run: cmake -DSOURCE_DIR=<repository> -P cmake/PathCalls.cmake
cmake_policy(SET CMP0057 NEW)
get_filename_component(SOURCE_DIR "${SOURCE_DIR}" ABSOLUTE)
set(folders app console engine host log command_line text)

# The call patterns: std::filesystem operations (its path type alone is fine), C++ file streams, and the C
# runtime's file functions in their narrow, wide and underscore spellings.
set(not_ident "(^|[^A-Za-z0-9_.>:])")
set(patterns
  "std::filesystem::[a-oq-z_][a-z_]*|std::filesystem::p[b-z_][a-z_]*|std::filesystem::pa[a-su-z]"
  "= *std::filesystem *;"
  "std::(basic_)?[io]?fstream|std::filebuf"
  "${not_ident}(fopen|freopen|remove|rename|tmpfile)[ \t]*\\("
  "${not_ident}_w?(fopen|fsopen|wfopen|open|sopen|stat[0-9i]*|access|remove|rename|unlink|mkdir|rmdir|chmod|findfirst[0-9i]*|utime[0-9]*|creat|fullpath)(_s)?[ \t]*\\(")

# <file>|<text on the line>|<why it never sees a path from the walk or the command line>
set(allowed)

set(found "")
foreach(folder ${folders})
  file(GLOB sources ${SOURCE_DIR}/${folder}/*.h ${SOURCE_DIR}/${folder}/*.cpp)
  foreach(source ${sources})
    if(source MATCHES "_test\\.cpp$" OR source MATCHES "/test_engine\\.(h|cpp)$")
      continue()
    endif()
    file(RELATIVE_PATH name ${SOURCE_DIR} ${source})
    file(STRINGS ${source} lines)
    set(number 0)
    foreach(line IN LISTS lines)
      math(EXPR number "${number} + 1")
      if(line MATCHES "^[ \t]*//")
        continue()
      endif()
      foreach(pattern ${patterns})
        if(NOT line MATCHES "${pattern}")
          continue()
        endif()
        set(reason "")
        foreach(entry ${allowed})
          string(REPLACE "|" ";" parts "${entry}")
          list(GET parts 0 allowed_file)
          list(GET parts 1 allowed_text)
          list(GET parts 2 allowed_reason)
          string(FIND "${line}" "${allowed_text}" at)
          if(name STREQUAL allowed_file AND at GREATER -1)
            set(reason "${allowed_reason}")
          endif()
        endforeach()
        string(STRIP "${line}" shown)
        if(reason)
          message(STATUS "${name}:${number}: allowed (${reason}): ${shown}")
        else()
          message(STATUS "${name}:${number}: NOT ALLOWED: ${shown}")
          list(APPEND found "${name}:${number}")
        endif()
        break()
      endforeach()
    endforeach()
  endforeach()
endforeach()
if(found)
  message(FATAL_ERROR "File calls that bypass the system's own: ${found}. Use the system's calls on the exact "
                      "path (DeleteFileW, GetFileAttributesW, CreateFileW, FindFirstFileExW).")
endif()
