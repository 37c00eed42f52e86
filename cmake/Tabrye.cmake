# Helpers shared by every CMakeLists of the project.
#
#   tabrye_library(name PORTABLE a.cpp ... WIN b.cpp ... DEPS other ...)
#       static library tabrye_<name>; PORTABLE sources build in every tree,
#       WIN sources only in the MinGW tree. No target when a tree has no sources.
#       DEPS must be added before it (or be absent from this tree): no cycles.
#   tabrye_test(name PORTABLE a_test.cpp ... WIN b_test.cpp ... NATIVE c_test.cpp ...
#               LIBS tabrye_x ...
#               [PROPERTIES prop value ...])
#       one GoogleTest program test_<name>, each case its own CTest entry
#       (a crash under Wine fails one case, not the program). PROPERTIES are
#       added to every case (e.g. RESOURCE_LOCK clipboard).
#   tabrye_fuzz(name SOURCES f.cpp LIBS tabrye_x ... [ZLIB])
#       libFuzzer target fuzz_<name> in the fuzz tree; in the other trees a
#       replay program that runs every file of fuzz/corpus/<name>/ once.
#       ZLIB: the target checks our codec against the system's zlib (fuzz and
#       native trees only; the program itself never links zlib).

set(TABRYE_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")

if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  # Sources are UTF-8; narrow literals become the CP932 bytes the program uses.
  set(TABRYE_CHARSET_FLAGS -finput-charset=UTF-8 -fexec-charset=CP932)
else()
  # clang only knows UTF-8: fuzz builds see UTF-8 literals (documented in docs/testing.md).
  set(TABRYE_CHARSET_FLAGS)
endif()

if(TABRYE_WIN)
  add_compile_definitions(_WIN32_WINNT=0x0601 WINVER=0x0601 NOMINMAX STRICT)
  add_link_options(-static -static-libgcc -static-libstdc++)
  # Windows paths of the source tree for tests (Wine maps Z: to /).
  set(TABRYE_TEST_ROOT "Z:${CMAKE_SOURCE_DIR}")
  set(TABRYE_BIN_ROOT "Z:${CMAKE_BINARY_DIR}")
else()
  set(TABRYE_TEST_ROOT "${CMAKE_SOURCE_DIR}")
  set(TABRYE_BIN_ROOT "${CMAKE_BINARY_DIR}")
  if(TABRYE_SANITIZE AND NOT TABRYE_FUZZ)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
  endif()
  if(TABRYE_FUZZ)
    # Undefined behaviour stops the run (and is saved as a crash), as in the native tree.
    add_compile_options(-fsanitize=address,undefined,fuzzer-no-link -fno-sanitize-recover=undefined
                        -fno-omit-frame-pointer -g)
    add_link_options(-fsanitize=address,undefined)
    # fw::Alloc keeps large blocks for the next input (src/fw/alloc.cpp).
    add_compile_definitions(TABRYE_FUZZ_BUILD)
  endif()
endif()

function(tabrye_flags target)
  target_compile_options(${target} PRIVATE ${TABRYE_CHARSET_FLAGS} -Wall -Wextra -Wno-unused-parameter)
  target_include_directories(${target} PUBLIC ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR})
endfunction()

function(tabrye_library name)
  cmake_parse_arguments(A "" "" "PORTABLE;WIN;DEPS" ${ARGN})
  set(srcs ${A_PORTABLE})
  if(TABRYE_WIN)
    list(APPEND srcs ${A_WIN})
  endif()
  if(NOT srcs)
    return()
  endif()
  add_library(tabrye_${name} STATIC ${srcs})
  tabrye_flags(tabrye_${name})
  # Libraries are added after everything they use, so their dependencies form
  # a one-way chain and a cycle cannot be built. A dependency not defined yet
  # is either absent from this tree (a Windows-only one in the native tree) or
  # added later, which the check at the end of the configure step refuses.
  set(later)
  foreach(d ${A_DEPS})
    if(TARGET ${d})
      target_link_libraries(tabrye_${name} PUBLIC ${d})
    else()
      list(APPEND later ${d})
    endif()
  endforeach()
  if(later)
    cmake_language(EVAL CODE
      "cmake_language(DEFER DIRECTORY [[${CMAKE_SOURCE_DIR}]] CALL _tabrye_check_absent tabrye_${name} ${later})")
  endif()
endfunction()

function(_tabrye_check_absent target)
  foreach(d ${ARGN})
    if(TARGET ${d})
      message(FATAL_ERROR "${target} uses ${d}, which is added after it: add every library "
                          "after the ones it uses (a dependency cycle cannot be built; "
                          "see docs/design.md, \"Layers\").")
    endif()
  endforeach()
endfunction()

function(tabrye_test name)
  cmake_parse_arguments(A "" "" "PORTABLE;WIN;NATIVE;LIBS;PROPERTIES" ${ARGN})
  if(TABRYE_FUZZ)
    return()
  endif()
  set(srcs ${A_PORTABLE})
  if(TABRYE_WIN)
    list(APPEND srcs ${A_WIN})
  else()
    list(APPEND srcs ${A_NATIVE})
  endif()
  if(NOT srcs)
    return()
  endif()
  add_executable(test_${name} ${srcs} ${CMAKE_SOURCE_DIR}/tests/support/test_main.cpp)
  tabrye_flags(test_${name})
  target_include_directories(test_${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_compile_definitions(test_${name} PRIVATE
      TABRYE_TEST_ROOT="${TABRYE_TEST_ROOT}" TABRYE_BIN_ROOT="${TABRYE_BIN_ROOT}")
  foreach(l ${A_LIBS})
    if(TARGET ${l})
      target_link_libraries(test_${name} PRIVATE ${l})
    endif()
  endforeach()
  if(TARGET tabrye_testsupport)
    target_link_libraries(test_${name} PRIVATE tabrye_testsupport)
  endif()
  target_link_libraries(test_${name} PRIVATE GTest::gtest)
  if(TABRYE_WIN)
    target_sources(test_${name} PRIVATE $<TARGET_OBJECTS:tabrye_res> $<TARGET_OBJECTS:tabrye_testres>)
    gtest_discover_tests(test_${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
                         PROPERTIES TIMEOUT 120 ${A_PROPERTIES})
  else()
    gtest_discover_tests(test_${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                         PROPERTIES TIMEOUT 300 ${A_PROPERTIES})
  endif()
endfunction()

function(tabrye_fuzz name)
  cmake_parse_arguments(A "ZLIB" "" "SOURCES;LIBS" ${ARGN})
  if(A_ZLIB)
    if(TABRYE_WIN)
      return()
    endif()
    find_package(ZLIB REQUIRED)
    list(APPEND A_LIBS ZLIB::ZLIB)
  endif()
  if(TABRYE_FUZZ)
    add_executable(fuzz_${name} ${A_SOURCES})
    target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
  else()
    add_executable(replay_${name} ${A_SOURCES} ${CMAKE_SOURCE_DIR}/fuzz/replay_main.cpp)
    add_test(NAME replay.${name}
             COMMAND replay_${name} "${TABRYE_TEST_ROOT}/fuzz/corpus/${name}")
    set_tests_properties(replay.${name} PROPERTIES TIMEOUT 600)
  endif()
  foreach(tg fuzz_${name} replay_${name})
    if(TARGET ${tg})
      tabrye_flags(${tg})
      foreach(l ${A_LIBS})
        if(TARGET ${l})
          target_link_libraries(${tg} PRIVATE ${l})
        endif()
      endforeach()
    endif()
  endforeach()
endfunction()
