# add_library_tests(NAME [QT] SOURCES... LIBS ...): one GoogleTest executable beside a
# library. QT runs the tests under the application object, offscreen.
function(add_library_tests name)
  cmake_parse_arguments(ARG "QT" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  if(ARG_QT)
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} test_support qt_test_main net_loopback_only
      Qt6::Test)
  else()
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} test_support GTest::gtest GTest::gtest_main)
  endif()
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
