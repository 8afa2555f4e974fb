# Shared build settings and helpers for every Korvanta library, executable and test.

set(KV_WARNINGS -Wall -Wextra -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual)

if(KV_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# Where the real-table corpus lives when the shared folder sits beside the checkout.
get_filename_component(KV_SHARED_DIR "${CMAKE_SOURCE_DIR}/../shared" ABSOLUTE)

# kv_add_library(NAME <target> [QT] DEPS <targets...>)
# Compiles every .cpp of the calling folder (and its subfolders) into one static
# library; the folder itself is the include root, so headers are included as
# "<folder>/<Header>.h" from the project root.
function(kv_add_library name)
  cmake_parse_arguments(ARG "" "" "DEPS;EXCLUDE" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h
       ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
  foreach(pattern IN LISTS ARG_EXCLUDE)
    list(FILTER sources EXCLUDE REGEX "${pattern}")
  endforeach()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${KV_WARNINGS})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()

# kv_test_name(<executable> <out-var>)
# CTest names a test <layer>_<what>, the layer being the tests' folder, whatever the
# executable is called (tst_what, tst_layer_what or layer_tst_what), so that
# `ctest -R '^engine_'` runs one layer.
function(kv_test_name executable out)
  get_filename_component(layer ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  string(REGEX REPLACE "^(${layer}_)?tst_(${layer}_)?" "" what ${executable})
  set(${out} ${layer}_${what} PARENT_SCOPE)
endfunction()

# kv_add_qtest(NAME <test> SOURCES <files...> DEPS <targets...> [LABELS <labels...>] [TIMEOUT <s>])
# One Qt Test executable registered with CTest, run headless with a time limit.
function(kv_add_qtest name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;DEPS;LABELS" ${ARGN})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE ${KV_WARNINGS})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} Qt6::Test)
  target_compile_definitions(${name} PRIVATE
      KV_SHARED_DIR="${KV_SHARED_DIR}" KV_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  kv_test_name(${name} test)
  add_test(NAME ${test} COMMAND ${name})
  set_tests_properties(${test} PROPERTIES TIMEOUT ${ARG_TIMEOUT}
      LABELS "${ARG_LABELS}"
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ASAN_OPTIONS=detect_leaks=1;LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/support/pxlib-leaks.supp")
endfunction()

# The format target formats the files git tracks, the same list the format check
# (scripts/check-format.sh) reads, so that both agree on what the house style covers.
function(kv_add_format_target)
  find_program(CLANG_FORMAT NAMES clang-format-14 clang-format)
  if(CLANG_FORMAT)
    add_custom_target(format
        COMMAND sh -c "git ls-files -z '*.cpp' '*.h' | xargs -0 -r '${CLANG_FORMAT}' -i"
        WORKING_DIRECTORY ${CMAKE_SOURCE_DIR} COMMENT "clang-format" VERBATIM)
  endif()
endfunction()
