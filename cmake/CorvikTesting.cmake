# corvik_add_test(NAME name SOURCES ... LIBS ... [LABELS ...])
# One GoogleTest executable whose cases ctest discovers. Every test runs with the TCP transport
# forced, so that no test ever talks to a real logger that happens to be plugged in, and with the
# offscreen Qt platform, so that widgets render without a display.
function(corvik_add_test)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  gtest_discover_tests(${T_NAME}
    DISCOVERY_TIMEOUT 60
    PROPERTIES
      TIMEOUT 300
      LABELS "${T_LABELS}"
      ENVIRONMENT "CORVIK_TRANSPORT=tcp;QT_QPA_PLATFORM=offscreen;CORVIK_SOURCE_DIR=${PROJECT_SOURCE_DIR};CORVIK_BINARY_DIR=${PROJECT_BINARY_DIR}")
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
