# corvik_add_test(NAME name SOURCES ... LIBS ... [LABELS ...])
# One GoogleTest program whose cases ctest discovers. Its main (tests/TestMain.cpp) forces the TCP
# transport and the offscreen Qt platform, and tells the tests where the source and build trees are.
function(corvik_add_test)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES} ${PROJECT_SOURCE_DIR}/tests/TestMain.cpp)
  target_compile_definitions(${T_NAME} PRIVATE
    CORVIK_SOURCE_DIR="${PROJECT_SOURCE_DIR}" CORVIK_BINARY_DIR="${PROJECT_BINARY_DIR}")
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock)
  gtest_discover_tests(${T_NAME}
    DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT 300 LABELS "${T_LABELS}")
endfunction()

# corvik_add_usb_run(TARGET test FILTER gtest-filter): the cases of `test` that FILTER names run
# a second time over the USB code path, as `usb.<case>` with the label usb: the USB library's
# stand-in (tools/usbstandin) is preloaded and carries the traffic to the simulated logger, and
# the test main then chooses CORVIK_TRANSPORT=usb. Not under the sanitizers, whose runtime must
# come first in the process.
function(corvik_add_usb_run)
  cmake_parse_arguments(U "" "TARGET;FILTER" "" ${ARGN})
  if(CORVIK_SANITIZE OR CORVIK_TSAN OR NOT TARGET corvik_usb_standin)
    return()
  endif()
  add_dependencies(${U_TARGET} corvik_usb_standin)
  gtest_discover_tests(${U_TARGET}
    TEST_PREFIX "usb."
    TEST_FILTER "${U_FILTER}"
    DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT 300 LABELS usb ENVIRONMENT "LD_PRELOAD=$<TARGET_FILE:corvik_usb_standin>")
endfunction()

# corvik_add_benchmark(NAME name SOURCES ... LIBS ...): a Google Benchmark program under tools/bench,
# built only when the library is installed. Benchmarks are run by hand, never by ctest.
function(corvik_add_benchmark)
  cmake_parse_arguments(B "" "NAME" "SOURCES;LIBS" ${ARGN})
  if(NOT TARGET benchmark::benchmark)
    return()
  endif()
  add_executable(${B_NAME} ${B_SOURCES})
  target_link_libraries(${B_NAME} PRIVATE ${B_LIBS} benchmark::benchmark)
  # All in one folder, where scripts/run-benchmarks looks for them.
  set_target_properties(${B_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/tools/bench)
endfunction()

include(GoogleTest)
