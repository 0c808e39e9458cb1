# Third-party pieces for the MinGW-w64 cross build. Debian ships them for the build
# machine only, so they are taken from their sources or headers here:
# - GoogleTest is built from /usr/src/googletest (package googletest) with the cross
#   compiler; it provides the same GTest:: targets as find_package(GTest).
# - nlohmann_json is header-only: its headers are exposed through a folder that holds
#   nothing else, so the cross compiler never sees the build machine's C headers.
# - SQLite is compiled from the amalgamation that scripts/install-deps.sh makes from
#   Debian's source package of the version the Linux build links (build-deps/sqlite), as
#   a static library behind the same SQLite::SQLite3 target as find_package(SQLite3).
# - gumbo, the HTML5 parser, is compiled from the C sources of Debian's source package of
#   the version the Linux build links, which scripts/install-deps.sh unpacks into
#   build-deps/gumbo, as a static library behind the same PkgConfig::GUMBO target as
#   pkg_check_modules(GUMBO IMPORTED_TARGET gumbo).

set(ZORVANE_HOST_JSON_HEADERS /usr/include/nlohmann)
if(EXISTS ${ZORVANE_HOST_JSON_HEADERS}/json.hpp)
  set(stage ${CMAKE_BINARY_DIR}/host-headers)
  file(MAKE_DIRECTORY ${stage})
  file(CREATE_LINK ${ZORVANE_HOST_JSON_HEADERS} ${stage}/nlohmann SYMBOLIC)
  set(config_dir ${CMAKE_BINARY_DIR}/host-packages/nlohmann_json)
  file(WRITE ${config_dir}/nlohmann_jsonConfig.cmake
       "if(NOT TARGET nlohmann_json::nlohmann_json)\n"
       "  add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)\n"
       "  set_target_properties(nlohmann_json::nlohmann_json PROPERTIES\n"
       "    INTERFACE_INCLUDE_DIRECTORIES \"${stage}\")\n"
       "endif()\n")
  file(WRITE ${config_dir}/nlohmann_jsonConfigVersion.cmake
       "set(PACKAGE_VERSION 3)\nset(PACKAGE_VERSION_COMPATIBLE TRUE)\n")
  set(nlohmann_json_DIR ${config_dir} CACHE PATH "nlohmann_json for the cross build" FORCE)
endif()

if(ZORVANE_BUILD_TESTS)
  set(ZORVANE_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(${ZORVANE_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()

set(ZORVANE_SQLITE_AMALGAMATION ${PROJECT_SOURCE_DIR}/build-deps/sqlite
    CACHE PATH "Folder holding sqlite3.c and sqlite3.h for the cross build")
if(NOT EXISTS ${ZORVANE_SQLITE_AMALGAMATION}/sqlite3.c)
  message(FATAL_ERROR "No SQLite amalgamation in ${ZORVANE_SQLITE_AMALGAMATION}: "
                      "run scripts/install-deps.sh")
endif()
enable_language(C)
add_library(zorvane_sqlite3 STATIC ${ZORVANE_SQLITE_AMALGAMATION}/sqlite3.c)
target_include_directories(zorvane_sqlite3 SYSTEM PUBLIC ${ZORVANE_SQLITE_AMALGAMATION})
# No extensions are loaded, and the readers use one connection on one thread at a time.
target_compile_definitions(zorvane_sqlite3 PRIVATE SQLITE_OMIT_LOAD_EXTENSION
                                                   SQLITE_DEFAULT_MEMSTATUS=0)
add_library(SQLite::SQLite3 ALIAS zorvane_sqlite3)
file(READ ${ZORVANE_SQLITE_AMALGAMATION}/VERSION ZORVANE_SQLITE_VERSION)
string(STRIP "${ZORVANE_SQLITE_VERSION}" ZORVANE_SQLITE_VERSION)
message(STATUS "SQLite for the Windows build: Debian source package ${ZORVANE_SQLITE_VERSION}")

set(ZORVANE_GUMBO_SOURCE ${PROJECT_SOURCE_DIR}/build-deps/gumbo
    CACHE PATH "Folder holding gumbo's src/ for the cross build")
if(NOT EXISTS ${ZORVANE_GUMBO_SOURCE}/src/parser.c)
  message(FATAL_ERROR "No gumbo sources in ${ZORVANE_GUMBO_SOURCE}: run scripts/install-deps.sh")
endif()
set(gumbo_sources attribute char_ref error parser string_buffer string_piece tag tokenizer
                  utf8 util vector)
list(TRANSFORM gumbo_sources PREPEND ${ZORVANE_GUMBO_SOURCE}/src/)
list(TRANSFORM gumbo_sources APPEND .c)
add_library(zorvane_gumbo STATIC ${gumbo_sources})
set_target_properties(zorvane_gumbo PROPERTIES C_STANDARD 99 C_EXTENSIONS ON)
target_include_directories(zorvane_gumbo PRIVATE ${ZORVANE_GUMBO_SOURCE}/src)
# Users see the two public headers only, not gumbo's internal ones (util.h, vector.h...).
set(stage ${CMAKE_BINARY_DIR}/gumbo-headers)
file(COPY ${ZORVANE_GUMBO_SOURCE}/src/gumbo.h ${ZORVANE_GUMBO_SOURCE}/src/tag_enum.h
     DESTINATION ${stage})
target_include_directories(zorvane_gumbo SYSTEM INTERFACE ${stage})
add_library(PkgConfig::GUMBO ALIAS zorvane_gumbo)
if(EXISTS ${ZORVANE_GUMBO_SOURCE}/VERSION)
  file(READ ${ZORVANE_GUMBO_SOURCE}/VERSION ZORVANE_GUMBO_VERSION)
  string(STRIP "${ZORVANE_GUMBO_VERSION}" ZORVANE_GUMBO_VERSION)
  message(STATUS "gumbo for the Windows build: Debian source package ${ZORVANE_GUMBO_VERSION}")
endif()
