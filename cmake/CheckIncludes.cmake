# Holds the #include lines of the program's code to the layers of the README's code map:
# each rule names the files it covers (a path prefix, first match wins) and the headers
# they may include (regular expressions). Tests, benchmarks and fuzz targets may include
# anything. Run by CTest as include_layers:
#
#   cmake -DSOURCE_DIR=<repository> -P cmake/CheckIncludes.cmake

cmake_policy(SET CMP0009 NEW)

set(core "^platform/[a-z0-9_]+\\.h$")
set(rules
  "platform/memory/|^platform/memory/|^platform/posix/|${core}"
  "platform/posix/|^platform/|^browsers/"
  "platform/win32/|^platform/|^browsers/"
  "platform/|${core}"
  "browsers/bookmark_import|^browsers/|^platform/|^share/"
  "browsers/mirror_writer|^browsers/|^platform/|^share/"
  "browsers/|^browsers/|${core}"
  "registry/|^registry/|${core}"
  "catalogue/|^catalogue/|^registry/|${core}"
  "share/|^share/|${core}"
  "app/list_rows.h|^app/list_rows\\.h$"
  "app/listsort|^app/listsort\\.h$|^app/list_rows\\.h$|${core}"
  "ranking/|^ranking/|^catalogue/|^app/listsort\\.h$|^app/list_rows\\.h$|${core}"
  "app/icons/|^app/icons/"
  "app/qt/|^app/|${core}"
  "app/win32/|^app/|^platform/"
  "app/|^app/[a-z0-9_]+\\.h$|^browsers/|^catalogue/|^ranking/|^registry/|^share/|${core}"
  "cli/|^cli/|^app/[a-z0-9_]+\\.h$|^platform/"
)

file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}"
     "${SOURCE_DIR}/*.h" "${SOURCE_DIR}/*.cc")
set(violations "")
foreach(source IN LISTS sources)
  if(source MATCHES "(^|/)tests?/|^bench/|^fuzz/|^build|^\\.")
    continue()
  endif()
  set(allowed "")
  foreach(rule IN LISTS rules)
    string(REPLACE "|" ";" parts "${rule}")
    list(POP_FRONT parts prefix)
    string(FIND "${source}" "${prefix}" at)
    if(at EQUAL 0)
      set(allowed "${parts}")
      break()
    endif()
  endforeach()
  if(NOT allowed)
    string(APPEND violations "  ${source}: in no layer of the code map\n")
    continue()
  endif()
  file(STRINGS "${SOURCE_DIR}/${source}" lines REGEX "^#include \"")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^#include \"([^\"]+)\".*" "\\1" header "${line}")
    set(ok FALSE)
    foreach(pattern IN LISTS allowed)
      if(header MATCHES "${pattern}")
        set(ok TRUE)
        break()
      endif()
    endforeach()
    if(NOT ok)
      string(APPEND violations "  ${source}: ${header}\n")
    endif()
  endforeach()
endforeach()
if(violations)
  message(FATAL_ERROR "Includes across the layers of the code map:\n${violations}")
endif()
list(LENGTH sources count)
message(STATUS "include_layers: the includes of ${count} files follow the code map")
