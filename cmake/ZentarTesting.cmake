# zentar_add_test(NAME <target> LABEL <unit|integration|gui|e2e|pg> SOURCES ... LIBS ...
#                 [TIMEOUT s] [ENVIRONMENT "A=b"] [RUN_SERIAL] [RESOURCE_LOCK name])
# Builds one GoogleTest program and registers each of its cases with ctest under LABEL.
# RUN_SERIAL: its cases run alone, for tests that busy-wait on protocol timing or need a free
# core for a simulator thread. RESOURCE_LOCK: its cases never run at the same time as another
# test holding the same lock, for tests that change a folder others read.
function(zentar_add_test)
  if(NOT ZENTAR_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(T "RUN_SERIAL" "NAME;LABEL;TIMEOUT;RESOURCE_LOCK" "SOURCES;LIBS;ENVIRONMENT" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  set(T_RUN_SERIAL_VALUE FALSE)
  if(T_RUN_SERIAL)
    set(T_RUN_SERIAL_VALUE TRUE)
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  # An empty value would shift the property pairs, so ENVIRONMENT is passed only when given.
  set(T_PROPERTIES LABELS ${T_LABEL} TIMEOUT ${T_TIMEOUT} RUN_SERIAL ${T_RUN_SERIAL_VALUE})
  if(T_ENVIRONMENT)
    list(APPEND T_PROPERTIES ENVIRONMENT "${T_ENVIRONMENT}")
  endif()
  if(T_RESOURCE_LOCK)
    list(APPEND T_PROPERTIES RESOURCE_LOCK ${T_RESOURCE_LOCK})
  endif()
  gtest_discover_tests(${T_NAME}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ${T_PROPERTIES})
endfunction()
