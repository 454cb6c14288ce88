# Native build: the pure core and its unit tests, plain and under sanitizers;
# the end-to-end tests when the cross-built package folder is named.
find_package(GTest REQUIRED)
enable_testing()

file(GLOB UNIT_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*_test.cpp)
set(SCRAMBLER_SOURCES tools/NameScrambler.cpp)

function(vornapx_unit_tests name)
  add_executable(${name} ${CORE_SOURCES} ${SCRAMBLER_SOURCES} ${UNIT_TEST_SOURCES})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${VORNAPX_WARNINGS} ${ARGN})
  target_link_options(${name} PRIVATE ${ARGN})
  target_link_libraries(${name} PRIVATE GTest::gtest GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
endfunction()

vornapx_unit_tests(unit_tests)
vornapx_unit_tests(unit_tests_sanitized -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
set_tests_properties(unit_tests_sanitized PROPERTIES ENVIRONMENT "ASAN_OPTIONS=detect_leaks=1;UBSAN_OPTIONS=print_stacktrace=1")

add_executable(scramble_names tools/scramble_names.cpp ${SCRAMBLER_SOURCES})
target_include_directories(scramble_names PRIVATE ${CMAKE_SOURCE_DIR})
target_compile_options(scramble_names PRIVATE ${VORNAPX_WARNINGS})

set(VORNAPX_DIST_DIR "" CACHE PATH "The cross-built package folder dist/VORNAPX")
set(VORNAPX_PROBE_EXE "" CACHE FILEPATH "The cross-built test probe")
if(VORNAPX_DIST_DIR AND EXISTS ${CMAKE_SOURCE_DIR}/tests/e2e/CMakeLists.txt)
  add_subdirectory(tests/e2e)
endif()

# The shipped package folder and executable, checked byte for byte.
set(VORNAPX_PACKAGE_DIR "${CMAKE_SOURCE_DIR}/dist/VORNAPX" CACHE PATH "The package folder users get")
if(EXISTS ${CMAKE_SOURCE_DIR}/tests/package/check_package.py)
  find_program(VORNAPX_PACKAGE_PYTHON3 python3 PATHS /usr/bin NO_DEFAULT_PATH)
  add_test(NAME package_check
    COMMAND ${VORNAPX_PACKAGE_PYTHON3} ${CMAKE_SOURCE_DIR}/tests/package/check_package.py ${VORNAPX_PACKAGE_DIR})
endif()

include(cmake/Analysis.cmake)
