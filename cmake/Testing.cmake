# tq7_add_test(<name> LABEL <label> SOURCES ... [LIBS ...] [ENV ...] [LOCK <resource>] [QT_MAIN])
# One GoogleTest executable; every test case becomes one CTest test with the
# module label. QT_MAIN gives the tests one QApplication for the whole run.
# LOCK keeps tests that share something outside themselves (the one floater of
# a display) from running at the same time.
include(GoogleTest)
if(CMAKE_CROSSCOMPILING)
  # Debian's GoogleTest sources, built with the cross compiler.
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  # It names its targets GTest::gtest, GTest::gmock, ... as the installed package does.
  add_subdirectory(/usr/src/googletest ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  # Listing the tests runs them under Wine: do it when CTest runs, not when building.
  set(tq7_discovery DISCOVERY_MODE PRE_TEST)
else()
  find_package(GTest REQUIRED)
  set(tq7_discovery)
endif()

function(tq7_add_test name)
  cmake_parse_arguments(T "QT_MAIN" "LABEL;LOCK" "SOURCES;LIBS;ENV" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  if(T_QT_MAIN)
    target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support/QtTestMain.cpp)
    target_link_libraries(${name} PRIVATE Qt6::Widgets)
  else()
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  target_link_libraries(${name} PRIVATE GTest::gtest GTest::gmock ${T_LIBS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_definitions(${name} PRIVATE TQ7_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
                                             TQ7_BINARY_DIR="${PROJECT_BINARY_DIR}")
  set(env "QT_QPA_PLATFORM=offscreen" ${T_ENV})
  set(props LABELS "${T_LABEL}" ENVIRONMENT "${env}" TIMEOUT 300)
  if(T_LOCK)
    list(APPEND props RESOURCE_LOCK ${T_LOCK})
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 ${tq7_discovery} PROPERTIES ${props})
endfunction()
