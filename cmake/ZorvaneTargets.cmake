# Shared target settings: warnings, sanitizers and the test registration helper.

# Warnings are errors only where we ask for it (our presets and CI): a packager's build
# with another compiler or flags must not fail on a warning we have not seen.
option(ZORVANE_WERROR "Treat compiler warnings as errors" OFF)

function(zorvane_target_defaults target)
  target_compile_features(${target} PUBLIC cxx_std_20)
  if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    target_compile_options(${target} PRIVATE -Wall -Wextra)
    if(ZORVANE_WERROR)
      target_compile_options(${target} PRIVATE -Werror)
    endif()
  endif()
  # GCC before 13 reports overlapping copies inside libstdc++'s std::string at -O3 that
  # cannot happen (GCC bug 105329); the warning says nothing about our code there.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
  if(ZORVANE_SANITIZE)
    target_compile_options(${target} PUBLIC -fsanitize=address,undefined -fno-omit-frame-pointer
                                            -fno-sanitize-recover=undefined)
    target_link_options(${target} PUBLIC -fsanitize=address,undefined)
  endif()
  if(ZORVANE_FUZZ)
    # Coverage for libFuzzer in every library; the fuzz targets link the fuzzer itself.
    # Warnings that only clang gives stay warnings here: this build looks for crashes.
    target_compile_options(${target} PUBLIC -fsanitize=fuzzer-no-link,address,undefined
                                            -fno-omit-frame-pointer -fno-sanitize-recover=undefined
                                            -Wno-error)
    target_link_options(${target} PUBLIC -fsanitize=address,undefined)
  endif()
endfunction()

# zorvane_library(NAME SOURCES... ) builds zorvane_NAME with alias zorvane::NAME.
function(zorvane_library name)
  add_library(zorvane_${name} STATIC ${ARGN})
  add_library(zorvane::${name} ALIAS zorvane_${name})
  target_include_directories(zorvane_${name} PUBLIC ${PROJECT_SOURCE_DIR})
  zorvane_target_defaults(zorvane_${name})
endfunction()

# zorvane_test(NAME [WINE] SOURCES... LIBS libs...) builds one GoogleTest program and
# registers its tests with CTest, with the environment every test needs: offscreen Qt, and
# a home folder of its own so no test reads or writes the user's registry store or
# browsers. In the Windows build only the tests marked WINE are built: they run under
# Wine (tests/wine/run-under-wine.sh); the others test the Linux stand-ins for the Windows
# services.
function(zorvane_test name)
  cmake_parse_arguments(ARG "WINE" "" "SOURCES;LIBS" ${ARGN})
  if(CMAKE_CROSSCOMPILING AND WIN32 AND NOT ARG_WINE)
    return()
  endif()
  add_executable(${name} ${ARG_SOURCES})
  zorvane_target_defaults(${name})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  if(CMAKE_CROSSCOMPILING AND WIN32)
    set(launcher ${PROJECT_SOURCE_DIR}/tests/wine/run-under-wine.sh)
    add_test(NAME ${name} COMMAND ${launcher} $<TARGET_FILE:${name}>)
  else()
    add_test(NAME ${name} COMMAND ${name})
  endif()
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ZORVANE_TEST_DATA=${PROJECT_SOURCE_DIR}/tests/data;HOME=${CMAKE_BINARY_DIR}/test-home;XDG_CONFIG_HOME=${CMAKE_BINARY_DIR}/test-home/.config"
    TIMEOUT 600)
endfunction()
