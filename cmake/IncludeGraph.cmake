# Prints the arrows between the product's folders that its includes draw (tests left out), and fails on
# any arrow that is not allowed. Run: cmake -DSOURCE_DIR=<repository> -P cmake/IncludeGraph.cmake
cmake_policy(SET CMP0057 NEW)
set(folders app console engine host log command_line text support)
# Two front ends wire the engine to what shows it: app to the window host, console to the console; the
# console never reaches the host. Both take silent mode's command line (command_line, which builds the
# engine's run settings) and write the log file (log, which opens it through the engine's interface of
# file handles). text is below them all. support/ serves the kit,
# the stand-ins and the tests: no arrow may reach it from the product.
set(allowed "app->engine" "app->host" "app->command_line" "app->log" "app->text"
            "console->engine" "console->command_line" "console->log" "console->text"
            "command_line->engine" "command_line->text" "log->engine" "log->text" "engine->text" "host->text")

set(arrows "")
foreach(from ${folders})
  file(GLOB sources ${SOURCE_DIR}/${from}/*.h ${SOURCE_DIR}/${from}/*.cpp)
  foreach(source ${sources})
    if(source MATCHES "_test\\.cpp$" OR source MATCHES "/test_engine\\.(h|cpp)$")
      continue()
    endif()
    file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[a-z_]+/")
    foreach(line ${includes})
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([a-z_]+)/.*" "\\1" to "${line}")
      if(NOT to STREQUAL from AND to IN_LIST folders)
        list(APPEND arrows "${from}->${to}")
        list(APPEND "count_${from}->${to}" x)
      endif()
    endforeach()
  endforeach()
endforeach()

list(REMOVE_DUPLICATES arrows)
list(SORT arrows)
set(forbidden "")
foreach(arrow ${arrows})
  list(LENGTH "count_${arrow}" n)
  if(arrow IN_LIST allowed)
    message(STATUS "${arrow}  (${n} includes)")
  else()
    message(STATUS "${arrow}  (${n} includes)  NOT ALLOWED")
    list(APPEND forbidden ${arrow})
  endif()
endforeach()
if(forbidden)
  message(FATAL_ERROR "Includes against the direction of the libraries: ${forbidden}")
endif()
