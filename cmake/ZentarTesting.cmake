# zentar_add_test(NAME <target> LABEL <unit|integration|gui|e2e|pg> SOURCES ... LIBS ...
#                 [TIMEOUT s] [ENVIRONMENT "A=b"] [RUN_SERIAL] [SERIAL_CASES filter]
#                 [RESOURCE_LOCK name... [LOCKED_CASES filter]])
# Builds one GoogleTest program and registers each of its cases with ctest under LABEL.
# RUN_SERIAL: every case runs alone, for a program whose cases disturb every other test (one
# that stops the PostgreSQL server). SERIAL_CASES: only the cases that match the GoogleTest
# filter (patterns separated by ':') run alone: the ones that busy-wait on a wired Selvo bus's
# millisecond timing against a simulator, which a test beside them could starve; the others run
# side by side. RESOURCE_LOCK: the cases never run at the same time as another test holding one
# of the same locks, for tests that share a folder, a loopback port or the PostgreSQL cluster;
# with LOCKED_CASES only the cases that match that filter hold the locks.
function(zentar_add_test)
  if(NOT ZENTAR_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(T "RUN_SERIAL" "NAME;LABEL;TIMEOUT;SERIAL_CASES;LOCKED_CASES"
    "SOURCES;LIBS;ENVIRONMENT;RESOURCE_LOCK" ${ARGN})
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
  if(T_RUN_SERIAL)
    set(T_SERIAL_CASES "*")
  endif()
  if(T_RESOURCE_LOCK AND NOT T_LOCKED_CASES)
    set(T_LOCKED_CASES "*")
  endif()

  # The cases fall into up to three sets, each "filter|alone|locked": alone, holding the locks,
  # and the rest.
  set(T_SETS "")
  set(T_TAKEN "")
  if(T_SERIAL_CASES)
    list(APPEND T_SETS "${T_SERIAL_CASES}|TRUE|")
    set(T_TAKEN "${T_SERIAL_CASES}")
  endif()
  if(T_LOCKED_CASES AND NOT T_SERIAL_CASES STREQUAL "*")
    if(T_TAKEN)
      list(APPEND T_SETS "${T_LOCKED_CASES}-${T_TAKEN}|FALSE|1")
      set(T_TAKEN "${T_TAKEN}:${T_LOCKED_CASES}")
    else()
      list(APPEND T_SETS "${T_LOCKED_CASES}|FALSE|1")
      set(T_TAKEN "${T_LOCKED_CASES}")
    endif()
  endif()
  if(NOT T_TAKEN)
    list(APPEND T_SETS "*|FALSE|")
  elseif(NOT T_TAKEN MATCHES "(^|:)\\*(:|$)")
    list(APPEND T_SETS "-${T_TAKEN}|FALSE|")
  endif()
  # A list value must reach the property as one argument.
  string(REPLACE ";" "\\;" T_LOCKS "${T_RESOURCE_LOCK}")
  foreach(T_SET IN LISTS T_SETS)
    string(REPLACE "|" ";" T_PARTS "${T_SET}")
    list(GET T_PARTS 0 T_FILTER)
    list(GET T_PARTS 1 T_ALONE)
    list(LENGTH T_PARTS T_COUNT)
    set(T_SET_PROPERTIES ${T_PROPERTIES} RUN_SERIAL ${T_ALONE})
    if(T_COUNT GREATER 2 AND T_RESOURCE_LOCK)
      list(GET T_PARTS 2 T_LOCKED)
      if(T_LOCKED)
        list(APPEND T_SET_PROPERTIES RESOURCE_LOCK "${T_LOCKS}")
      endif()
    endif()
    gtest_discover_tests(${T_NAME} DISCOVERY_TIMEOUT 60 TEST_FILTER "${T_FILTER}"
      PROPERTIES ${T_SET_PROPERTIES})
  endforeach()
endfunction()
