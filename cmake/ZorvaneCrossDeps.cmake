# Third-party pieces for the MinGW-w64 cross build. Debian ships them for the build
# machine only, so they are taken from their sources or headers here:
# - GoogleTest is built from /usr/src/googletest (package googletest) with the cross
#   compiler; it provides the same GTest:: targets as find_package(GTest).
# - nlohmann_json is header-only: its headers are exposed through a folder that holds
#   nothing else, so the cross compiler never sees the build machine's C headers.

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
