# SPDX-License-Identifier: MIT
# Shared build settings and the helpers every folder uses.

add_compile_options(-Wall -Wextra)
# The C++ code is also kept free of shadowing, narrowing and C casts. Qt and GoogleTest come in
# through imported targets, whose headers count as system headers and stay quiet.
add_compile_options($<$<COMPILE_LANGUAGE:CXX>:-Wshadow> $<$<COMPILE_LANGUAGE:CXX>:-Wconversion>
                    $<$<COMPILE_LANGUAGE:CXX>:-Wold-style-cast>)
if(PELNIX_WERROR)
  add_compile_options(-Werror)
endif()

if(PELNIX_SANITIZE)
  add_compile_options(-fsanitize=${PELNIX_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${PELNIX_SANITIZE})
endif()

if(PELNIX_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "PELNIX_FUZZ needs clang: configure with CC=clang CXX=clang++")
  endif()
  # Instrument the libraries for coverage; the fuzz targets add -fsanitize=fuzzer at link time.
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

# pelnix_folder_library(<target> SOURCES <files...> [DEPS <targets...>])
# One static library per source folder, from the sources listed.
function(pelnix_folder_library target)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${target} STATIC ${ARG_SOURCES})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR})
  target_link_libraries(${target} PUBLIC ${ARG_DEPS})
endfunction()

# pelnix_add_gtest(<name> SOURCES <files...> LIBS <targets...> [LABELS <labels...>])
# A GoogleTest executable whose cases become CTest tests. Label "threaded" marks the tests
# that the thread-sanitizer build runs.
function(pelnix_add_gtest name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  # Every test program has a HOME of its own (tests/support/PrivateHome.cpp).
  add_executable(${name} ${ARG_SOURCES} ${PROJECT_SOURCE_DIR}/tests/support/PrivateHome.cpp)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gmock GTest::gtest GTest::gtest_main)
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  set(props TIMEOUT ${ARG_TIMEOUT})
  if(ARG_LABELS)
    list(JOIN ARG_LABELS ";" joined)
    list(APPEND props LABELS "${joined}")
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST PROPERTIES ${props})
endfunction()

# pelnix_add_fuzzer(<name> SOURCES <files...> LIBS <targets...>)
# With PELNIX_FUZZ: the libFuzzer program fuzz_<name>. Otherwise: replay_<name>, which feeds
# every file of fuzz/<name>/corpus to the same entry point, registered as a normal test.
function(pelnix_add_fuzzer name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  if(PELNIX_FUZZ)
    add_executable(fuzz_${name} ${ARG_SOURCES})
    target_link_libraries(fuzz_${name} PRIVATE ${ARG_LIBS})
    target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
  elseif(PELNIX_BUILD_TESTS)
    add_executable(replay_${name} ${ARG_SOURCES} ${PROJECT_SOURCE_DIR}/fuzz/ReplayMain.cpp)
    target_link_libraries(replay_${name} PRIVATE ${ARG_LIBS})
    add_test(NAME replay_${name} COMMAND replay_${name} ${CMAKE_CURRENT_SOURCE_DIR}/corpus)
    set_tests_properties(replay_${name} PROPERTIES LABELS "fuzz-replay" TIMEOUT 300)
  endif()
endfunction()

# pelnix_gtest_folder(<prefix> TESTS <files...> LIBS <targets...> [LABELS <labels...>]
#                     [EXTRA_SOURCES <files...>])
# Each listed test file becomes a test program <prefix>_<FileName>. Files whose name contains
# "Thread" or "Cancel" also carry the label "threaded" (run under thread sanitizer).
function(pelnix_gtest_folder prefix)
  cmake_parse_arguments(ARG "" "" "TESTS;LIBS;LABELS;EXTRA_SOURCES" ${ARGN})
  if(NOT ARG_TESTS)
    message(FATAL_ERROR "pelnix_gtest_folder(${prefix}): no TESTS listed")
  endif()
  foreach(file ${ARG_TESTS})
    get_filename_component(stem ${file} NAME_WE)
    set(labels ${ARG_LABELS})
    if(stem MATCHES "Thread|Cancel")
      list(APPEND labels threaded)
    endif()
    pelnix_add_gtest(${prefix}_${stem} SOURCES ${file} ${ARG_EXTRA_SOURCES} LIBS ${ARG_LIBS} LABELS ${labels})
  endforeach()
endfunction()
