# Project-wide build helpers. Every area's CMakeLists uses these, so options
# (warnings, sanitizers, the fuzz build) apply in one place.

# Warnings are errors where CMAKE_COMPILE_WARNING_AS_ERROR is on (every
# preset of CMakePresets.json turns it on).
set(QV_WARNINGS -Wall -Wextra -Wshadow -Wpedantic -Wnon-virtual-dtor -Woverloaded-virtual
    -Wimplicit-fallthrough -Wnull-dereference -Wcast-align)
# Test code drops -Wnull-dereference: GCC 12 reports false positives inside
# libstdc++'s stream iterators and GoogleTest's comparison helpers.
set(QV_TEST_WARNINGS ${QV_WARNINGS})
list(REMOVE_ITEM QV_TEST_WARNINGS -Wnull-dereference)

# No fused multiply-add: the game field's state hash must be the same in
# every build type (and no target uses -ffast-math or -march=native).
add_compile_options(-ffp-contract=off)

if(QV_SANITIZE AND QV_FUZZ)
  message(FATAL_ERROR "QV_SANITIZE and QV_FUZZ are separate builds")
endif()
if(QV_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer -O1 -g)
  add_link_options(-fsanitize=address,undefined -fno-sanitize-recover=all)
endif()
if(QV_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "QV_FUZZ needs clang (CC=clang CXX=clang++)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer -g)
  add_link_options(-fsanitize=address,undefined -fno-sanitize-recover=all)
endif()

# qv_link_sanitizer_options()
# Under either sanitized build, every target made after this call carries the
# runtime defaults of cmake/sanitizer_options.cpp, so no way of starting a
# binary (ctest, a script, by hand) runs without them.
function(qv_link_sanitizer_options)
  if(QV_SANITIZE OR QV_FUZZ)
    add_library(qv_sanitizer_options OBJECT ${CMAKE_SOURCE_DIR}/cmake/sanitizer_options.cpp)
    link_libraries(qv_sanitizer_options)
  endif()
endfunction()

# qv_add_library(NAME DIRS dir... | SOURCES src... [LIBS lib...] [PUBLIC_LIBS lib...]
#                [INCLUDES dir...] [TEST_CODE])
# A static library of every .cpp/.c in the given folders (relative to the
# calling CMakeLists), or of the given sources; INCLUDES is the include root
# it exports. TEST_CODE: test support, built with the tests' warnings. Under
# QV_FUZZ it is built only when a fuzz target needs it.
function(qv_add_library name)
  cmake_parse_arguments(A "TEST_CODE" "" "DIRS;SOURCES;LIBS;PUBLIC_LIBS;INCLUDES" ${ARGN})
  set(srcs ${A_SOURCES})
  foreach(d ${A_DIRS})
    file(GLOB s CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${d}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/${d}/*.c)
    list(APPEND srcs ${s})
  endforeach()
  if(NOT srcs)
    set(stub ${CMAKE_CURRENT_BINARY_DIR}/${name}_empty.cpp)
    file(WRITE ${stub} "// ${name} has no sources yet\n")
    set(srcs ${stub})
  endif()
  add_library(${name} STATIC ${srcs})
  if(A_TEST_CODE)
    target_compile_options(${name} PRIVATE ${QV_TEST_WARNINGS})
  else()
    target_compile_options(${name} PRIVATE ${QV_WARNINGS})
  endif()
  if(A_INCLUDES)
    target_include_directories(${name} PUBLIC ${A_INCLUDES})
  endif()
  target_link_libraries(${name} PUBLIC ${A_PUBLIC_LIBS} PRIVATE ${A_LIBS})
  if(QV_FUZZ)
    set_target_properties(${name} PROPERTIES EXCLUDE_FROM_ALL ON)
  endif()
endfunction()

# qv_add_tool(NAME SOURCES src... [LIBS lib...])  -> build/bin/NAME
function(qv_add_tool name)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  if(QV_FUZZ)
    return()
  endif()
  add_executable(${name} ${A_SOURCES})
  target_compile_options(${name} PRIVATE ${QV_WARNINGS})
  target_link_libraries(${name} PRIVATE ${A_LIBS})
endfunction()

# qv_add_gtest(NAME SOURCES src... LIBS lib... LABELS label... [PREFIX p]
#              [ENVIRONMENT VAR=value...] [WORKING_DIRECTORY dir])
# Each discovered test is named <PREFIX><Suite>.<Test> and carries LABELS.
function(qv_add_gtest name)
  cmake_parse_arguments(A "" "PREFIX;WORKING_DIRECTORY" "SOURCES;LIBS;LABELS;ENVIRONMENT" ${ARGN})
  if(QV_FUZZ OR NOT QV_BUILD_TESTS)
    return()
  endif()
  add_executable(${name} ${A_SOURCES})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests/bin)
  target_compile_options(${name} PRIVATE ${QV_TEST_WARNINGS})
  target_compile_definitions(${name} PRIVATE
    QV_SOURCE_DIR="${CMAKE_SOURCE_DIR}" QV_BINARY_DIR="${CMAKE_BINARY_DIR}")
  target_link_libraries(${name} PRIVATE ${A_LIBS} GTest::gtest GTest::gmock GTest::gtest_main Threads::Threads)
  if(NOT A_WORKING_DIRECTORY)
    set(A_WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
  endif()
  # gtest_discover_tests flattens list-valued PROPERTIES ("engine;engine.x"
  # would lose engine.x), so labels and environment are set by a script that
  # ctest includes after the discovered tests.
  gtest_discover_tests(${name}
    TEST_PREFIX "${A_PREFIX}"
    TEST_LIST ${name}_TESTS
    WORKING_DIRECTORY ${A_WORKING_DIRECTORY}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60)
  set(props "LABELS [==[${A_LABELS}]==]")
  # Unit tests never open a window: without this the view would try to. The
  # log goes to standard error, where tests that capture it look.
  list(PREPEND A_ENVIRONMENT ENGINE_HEADLESS=1 QVP_LOG=stderr)
  if(A_ENVIRONMENT)
    string(APPEND props " ENVIRONMENT [==[${A_ENVIRONMENT}]==]")
  endif()
  set(script ${CMAKE_CURRENT_BINARY_DIR}/${name}_properties.cmake)
  file(WRITE ${script} "if(${name}_TESTS)\n  set_tests_properties(\${${name}_TESTS} PROPERTIES ${props})\nendif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${script})
endfunction()

# qv_add_script_test(NAME COMMAND cmd... LABELS label... [ENVIRONMENT ...])
# A plain ctest test (tools, golden comparisons, end-to-end scripts).
function(qv_add_script_test name)
  cmake_parse_arguments(A "" "WORKING_DIRECTORY" "COMMAND;LABELS;ENVIRONMENT" ${ARGN})
  if(QV_FUZZ OR NOT QV_BUILD_TESTS)
    return()
  endif()
  if(NOT A_WORKING_DIRECTORY)
    set(A_WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
  endif()
  add_test(NAME ${name} COMMAND ${A_COMMAND} WORKING_DIRECTORY ${A_WORKING_DIRECTORY})
  set_tests_properties(${name} PROPERTIES LABELS "${A_LABELS}")
  if(A_ENVIRONMENT)
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${A_ENVIRONMENT}")
  endif()
endfunction()

# qv_add_gl_check(NAME COMMAND cmd... [LABELS extra...] [ENVIRONMENT VAR=value...])
# A check that needs a GL context: runs under tests/e2e/xrun (Xvfb, Mesa's
# llvmpipe, ENGINE_FIXED_DT=1) from the repository root, labelled engine-gl
# and, for a name engine.<module>.*, engine and engine.<module>.
# Each run claims a display of its own (tests/e2e/xrun), so they run in
# parallel.
# Under the sanitizer build, leaks inside Mesa, GLX/glvnd and X11 are
# suppressed; leaks in our code still fail.
function(qv_add_gl_check name)
  cmake_parse_arguments(A "" "" "COMMAND;LABELS;ENVIRONMENT" ${ARGN})
  if(QV_FUZZ OR NOT QV_BUILD_TESTS)
    return()
  endif()
  add_test(NAME ${name} COMMAND ${CMAKE_SOURCE_DIR}/tests/e2e/xrun ${A_COMMAND}
           WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
  # engine.<module>.Check carries engine and the module's label too.
  set(labels engine-gl ${A_LABELS})
  if(name MATCHES "^engine\\.([^.]+)\\.")
    list(APPEND labels engine engine.${CMAKE_MATCH_1})
  endif()
  list(REMOVE_DUPLICATES labels)
  set_tests_properties(${name} PROPERTIES LABELS "${labels}")
  # The screen the checks' expected pixels assume, whatever the caller exported.
  qv_xvfb_test_properties(${name} ENVIRONMENT XRUN_SCREEN=1280x720x24 ${A_ENVIRONMENT})
endfunction()

# qv_xvfb_test_properties(NAME [ENVIRONMENT VAR=value...])
# What every test that runs under tests/e2e/xrun needs: a timeout, and under
# the sanitizer build the suppression of leaks inside Mesa, GLX/glvnd and X11.
function(qv_xvfb_test_properties name)
  cmake_parse_arguments(A "" "" "ENVIRONMENT" ${ARGN})
  if(NOT TEST ${name})
    return()
  endif()
  set(env ${A_ENVIRONMENT})
  if(QV_SANITIZE)
    list(APPEND env "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/e2e/lsan-gl.supp:print_suppressions=0")
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT 300)
  if(env)
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}")
  endif()
endfunction()

# qv_add_fuzz_target(NAME SOURCES src... [LIBS lib...] CORPUS dir [LABELS extra...])
# The source defines LLVMFuzzerTestOneInput. Under QV_FUZZ: a libFuzzer binary
# with fuzz.NAME.replay and fuzz.NAME.run; otherwise the same source with our
# replay main, as fuzz.NAME.replay, so corpora are replayed in every build.
function(qv_add_fuzz_target name)
  cmake_parse_arguments(A "" "CORPUS" "SOURCES;LIBS;LABELS" ${ARGN})
  if(NOT QV_FUZZ AND NOT QV_BUILD_TESTS)
    return()
  endif()
  if(NOT IS_ABSOLUTE "${A_CORPUS}")
    set(A_CORPUS ${CMAKE_CURRENT_SOURCE_DIR}/${A_CORPUS})
  endif()
  set(exe fuzz_${name})
  set(labels fuzz ${A_LABELS})
  add_executable(${exe} ${A_SOURCES})
  set_target_properties(${exe} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz/bin)
  target_compile_options(${exe} PRIVATE ${QV_TEST_WARNINGS})
  target_link_libraries(${exe} PRIVATE ${A_LIBS})
  if(QV_FUZZ)
    target_link_options(${exe} PRIVATE -fsanitize=fuzzer)
    set(work ${CMAKE_BINARY_DIR}/fuzz/${name})
    file(MAKE_DIRECTORY ${work}/corpus ${work}/artifacts)
    add_test(NAME fuzz.${name}.replay COMMAND ${exe} -runs=0 ${A_CORPUS})
    # The scratch corpus comes first so libFuzzer writes new inputs there,
    # never into the committed corpus.
    add_test(NAME fuzz.${name}.run
      COMMAND sh -c "exec \"$0\" -seed=1 -runs=\"\${QV_FUZZ_RUNS:-20000}\" -max_total_time=60 -rss_limit_mb=512 -max_len=65536 -artifact_prefix=${work}/artifacts/ ${work}/corpus ${A_CORPUS}" $<TARGET_FILE:${exe}>)
    set_tests_properties(fuzz.${name}.replay fuzz.${name}.run PROPERTIES LABELS "${labels}")
  else()
    target_sources(${exe} PRIVATE ${CMAKE_SOURCE_DIR}/tests/fuzz/replay_main.cpp)
    add_test(NAME fuzz.${name}.replay COMMAND ${exe} ${A_CORPUS})
    set_tests_properties(fuzz.${name}.replay PROPERTIES LABELS "${labels}")
  endif()
endfunction()

# qv_add_writer_fixtures(TARGET COMMAND SPECS OUT)
# Fixtures the Python test-data writer generates at build time: its COMMAND
# (load-fixtures, class-fixtures ...) reads the specs in SPECS and writes OUT,
# again whenever a spec or the writer changes. TARGET is part of all; tests
# that read OUT depend on it. Outside the fuzz build only.
function(qv_add_writer_fixtures target)
  cmake_parse_arguments(A "" "COMMAND;SPECS;OUT" "" ${ARGN})
  set(stamp ${A_OUT}/.stamp)
  file(GLOB inputs LIST_DIRECTORIES false CONFIGURE_DEPENDS
    ${A_SPECS}/*
    ${CMAKE_SOURCE_DIR}/tools/testdata/qvtestdata.py
    ${CMAKE_SOURCE_DIR}/tools/testdata/qvtd/*.py)
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/testdata/qvtestdata.py ${A_COMMAND}
            --specs ${A_SPECS} --out ${A_OUT} --stamp ${stamp}
    DEPENDS ${inputs}
    COMMENT "Generating the ${A_COMMAND} in ${A_OUT}"
    VERBATIM)
  if(NOT QV_FUZZ)
    add_custom_target(${target} ALL DEPENDS ${stamp})
  endif()
endfunction()

# qv_add_benchmark(NAME SOURCES src... [LIBS lib...]): linked into build/bin/qvbench.
function(qv_add_benchmark name)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  if(NOT TARGET qvbench)
    return()
  endif()
  target_sources(qvbench PRIVATE ${A_SOURCES})
  target_link_libraries(qvbench PRIVATE ${A_LIBS})
endfunction()
