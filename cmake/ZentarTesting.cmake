# zentar_add_test(NAME <target> LABEL <unit|integration|gui|e2e|pg> SOURCES ... LIBS ...
#                 [TIMEOUT s] [ENVIRONMENT "A=b"] [RUN_SERIAL] [SERIAL_CASES filter]
#                 [RESOURCE_LOCK name...])
# Builds one GoogleTest program and registers each of its cases with ctest under LABEL.
# RUN_SERIAL: every case runs alone, for a program whose cases disturb every other test (one
# that stops the PostgreSQL server). SERIAL_CASES: only the cases that match the GoogleTest
# filter (patterns separated by ':') run alone: the ones that busy-wait on a line's protocol
# timing against a simulator, which a test beside them could slow down; the others run side by
# side. RESOURCE_LOCK: the program's cases never run at the same time as another test holding
# one of the same locks, for tests that share a folder, a loopback port or the PostgreSQL cluster.
function(zentar_add_test)
  if(NOT ZENTAR_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(T "RUN_SERIAL" "NAME;LABEL;TIMEOUT;SERIAL_CASES" "SOURCES;LIBS;ENVIRONMENT;RESOURCE_LOCK" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  # An empty value would shift the property pairs, so ENVIRONMENT is passed only when given.
  set(T_PROPERTIES LABELS ${T_LABEL} TIMEOUT ${T_TIMEOUT})
  if(T_ENVIRONMENT)
    list(APPEND T_PROPERTIES ENVIRONMENT "${T_ENVIRONMENT}")
  endif()
  if(T_RESOURCE_LOCK)
    # A list value must reach the property as one argument.
    string(REPLACE ";" "\\;" T_LOCKS "${T_RESOURCE_LOCK}")
    list(APPEND T_PROPERTIES RESOURCE_LOCK "${T_LOCKS}")
  endif()
  if(T_SERIAL_CASES)
    gtest_discover_tests(${T_NAME} DISCOVERY_TIMEOUT 60 TEST_FILTER "${T_SERIAL_CASES}"
      PROPERTIES ${T_PROPERTIES} RUN_SERIAL TRUE)
    gtest_discover_tests(${T_NAME} DISCOVERY_TIMEOUT 60 TEST_FILTER "-${T_SERIAL_CASES}"
      PROPERTIES ${T_PROPERTIES} RUN_SERIAL FALSE)
  elseif(T_RUN_SERIAL)
    gtest_discover_tests(${T_NAME} DISCOVERY_TIMEOUT 60 PROPERTIES ${T_PROPERTIES} RUN_SERIAL TRUE)
  else()
    gtest_discover_tests(${T_NAME} DISCOVERY_TIMEOUT 60 PROPERTIES ${T_PROPERTIES} RUN_SERIAL FALSE)
  endif()
endfunction()
