# tq7_add_test(<name> LABEL <label> SOURCES ... [LIBS ...] [ENV ...])
# One GoogleTest executable; every test case becomes one CTest test with the module label.
include(GoogleTest)
find_package(GTest REQUIRED)

function(tq7_add_test name)
  cmake_parse_arguments(T "" "LABEL" "SOURCES;LIBS;ENV" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE GTest::gtest GTest::gmock GTest::gtest_main ${T_LIBS})
  target_compile_definitions(${name} PRIVATE TQ7_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
                                             TQ7_BINARY_DIR="${PROJECT_BINARY_DIR}")
  set(env "QT_QPA_PLATFORM=offscreen" ${T_ENV})
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS "${T_LABEL}" ENVIRONMENT "${env}" TIMEOUT 300)
endfunction()
