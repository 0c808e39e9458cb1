# Holds the #include lines of the program's code to the layers of the README's code map:
# each rule names the files it covers (a path prefix, first match wins) and the headers
# they may include (regular expressions). Tests, benchmarks and fuzz targets may include
# anything. Run by CTest as include_layers:
#
#   cmake -DSOURCE_DIR=<repository> -P cmake/CheckIncludes.cmake

cmake_policy(SET CMP0009 NEW)

# The folders from the lowest up; each may include itself and the folders below it that
# it names, never one above: the graph of folders has no circle.
set(rules
  "base/|^base/"
  "formats/|^formats/|^base/"
  "platform/|^platform/|^formats/|^base/"
  "browsers/|^browsers/|^platform/|^formats/|^base/"
  "urlcache/|^urlcache/|^browsers/|^platform/|^base/"
  "list/|^list/|^base/"
  "registry/|^registry/|^platform/|^base/"
  "catalogue/|^catalogue/|^registry/|^platform/|^formats/|^base/"
  "share/|^share/|^platform/|^formats/|^base/"
  "ranking/|^ranking/|^catalogue/|^urlcache/|^list/|^platform/|^base/"
  "app/icons/|^app/icons/"
  "app/qt/|^app/|^list/|^platform/|^base/"
  "app/win32/|^app/|^list/|^platform/|^base/"
  "app/|^app/|^browsers/|^catalogue/|^ranking/|^registry/|^share/|^list/|^platform/|^formats/|^base/"
  "cli/|^cli/|^app/|^platform/|^base/"
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
