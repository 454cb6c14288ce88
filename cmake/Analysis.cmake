# Fuzzing and static analysis of the pure core, as CTest tests (native build).
#   fuzz_*     libFuzzer targets, built with clang++ when it has libFuzzer
#   clang_tidy the checks in .clang-tidy over the core, with the native flags
#   cppcheck   every source folder of the program and the tools

# clang-tidy reads the flags of the unit-test build from compile_commands.json.
set(CMAKE_EXPORT_COMPILE_COMMANDS ON)
set_property(TARGET unit_tests PROPERTY EXPORT_COMPILE_COMMANDS ON)

set(VORNAPX_FUZZ_SECONDS 20 CACHE STRING "Run time of each fuzz test")

# --- libFuzzer targets --------------------------------------------------------
find_program(VORNAPX_FUZZ_CXX NAMES clang++ clang++-14)
set(VORNAPX_FUZZ_FLAGS -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined
    -fno-sanitize-recover=all -fno-omit-frame-pointer ${VORNAPX_WARNINGS})
set(VORNAPX_HAVE_LIBFUZZER OFF)
if(VORNAPX_FUZZ_CXX)
  set(probe_dir ${CMAKE_BINARY_DIR}/fuzz/probe)
  file(MAKE_DIRECTORY ${probe_dir})
  file(WRITE ${probe_dir}/probe.cpp
    "#include <cstddef>\n#include <cstdint>\n"
    "extern \"C\" int LLVMFuzzerTestOneInput(const std::uint8_t*, std::size_t) { return 0; }\n")
  execute_process(
    COMMAND ${VORNAPX_FUZZ_CXX} ${VORNAPX_FUZZ_FLAGS} probe.cpp -o probe
    WORKING_DIRECTORY ${probe_dir} RESULT_VARIABLE probe_result OUTPUT_QUIET ERROR_QUIET)
  if(probe_result EQUAL 0)
    set(VORNAPX_HAVE_LIBFUZZER ON)
  endif()
endif()

if(VORNAPX_HAVE_LIBFUZZER)
  message(STATUS "Fuzz targets: ${VORNAPX_FUZZ_CXX}")
  file(GLOB fuzz_headers CONFIGURE_DEPENDS
    ${CMAKE_SOURCE_DIR}/catalogue/*.h ${CMAKE_SOURCE_DIR}/install/*.h ${CMAKE_SOURCE_DIR}/pages/*.h
    ${CMAKE_SOURCE_DIR}/tools/*.h ${CMAKE_SOURCE_DIR}/tests/fuzz/*.h)

  # vornapx_fuzz_target(name source... ): tests/fuzz/<name>_fuzzer.cpp plus the core sources
  # it exercises; seeds in tests/fuzz/corpus/<name>/.
  function(vornapx_fuzz_target name)
    set(sources ${CMAKE_SOURCE_DIR}/tests/fuzz/${name}_fuzzer.cpp)
    foreach(src ${ARGN})
      list(APPEND sources ${CMAKE_SOURCE_DIR}/${src})
    endforeach()
    set(exe ${CMAKE_BINARY_DIR}/fuzz/${name}_fuzzer)
    add_custom_command(OUTPUT ${exe}
      COMMAND ${VORNAPX_FUZZ_CXX} ${VORNAPX_FUZZ_FLAGS} -I${CMAKE_SOURCE_DIR} ${sources} -o ${exe}
      DEPENDS ${sources} ${fuzz_headers}
      COMMENT "Building fuzz target ${name}_fuzzer"
      VERBATIM)
    add_custom_target(${name}_fuzzer ALL DEPENDS ${exe})
    add_test(NAME fuzz_${name}
      COMMAND ${CMAKE_COMMAND} -DFUZZER=${exe} -DCORPUS=${CMAKE_SOURCE_DIR}/tests/fuzz/corpus/${name}
              -DWORK=${CMAKE_BINARY_DIR}/fuzz/run/${name} -DSECONDS=${VORNAPX_FUZZ_SECONDS}
              -P ${CMAKE_SOURCE_DIR}/tests/fuzz/RunFuzzer.cmake)
    math(EXPR limit "${VORNAPX_FUZZ_SECONDS} + 60")
    set_tests_properties(fuzz_${name} PROPERTIES TIMEOUT ${limit} LABELS fuzz)
  endfunction()

  vornapx_fuzz_target(descramble_name catalogue/Descrambler.cpp tools/NameScrambler.cpp)
  vornapx_fuzz_target(port_lists pages/PortLists.cpp)
  vornapx_fuzz_target(install_records install/CopyPlan.cpp install/DriverRecords.cpp
                      install/ArchProfile.cpp catalogue/SerialTables.cpp)
else()
  message(STATUS "Fuzz targets: skipped (no clang++ with libFuzzer)")
endif()

# --- clang-tidy ---------------------------------------------------------------
find_program(VORNAPX_CLANG_TIDY NAMES clang-tidy clang-tidy-14)
if(VORNAPX_CLANG_TIDY)
  set(tidy_sources)
  foreach(src ${CORE_SOURCES} ${SCRAMBLER_SOURCES})
    list(APPEND tidy_sources ${CMAKE_SOURCE_DIR}/${src})
  endforeach()
  add_test(NAME clang_tidy
    COMMAND ${VORNAPX_CLANG_TIDY} -p ${CMAKE_BINARY_DIR} --quiet --warnings-as-errors=*
            ${tidy_sources}
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
  set_tests_properties(clang_tidy PROPERTIES TIMEOUT 300 LABELS analysis)
else()
  message(STATUS "clang-tidy: not found, test skipped")
endif()

# --- cppcheck -----------------------------------------------------------------
find_program(VORNAPX_CPPCHECK NAMES cppcheck)
if(VORNAPX_CPPCHECK)
  # windows.h and the C++ library are not ours to check: cppcheck knows the
  # Win32 and standard names from its libraries instead.
  add_test(NAME cppcheck
    COMMAND ${VORNAPX_CPPCHECK} --enable=warning,performance,portability --error-exitcode=1
            --inline-suppr --std=c++17 --language=c++ --library=windows --quiet
            --suppress=missingIncludeSystem -I ${CMAKE_SOURCE_DIR}
            app catalogue install pages spooler framework tools
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
  set_tests_properties(cppcheck PROPERTIES TIMEOUT 300 LABELS analysis)
else()
  message(STATUS "cppcheck: not found, test skipped")
endif()
