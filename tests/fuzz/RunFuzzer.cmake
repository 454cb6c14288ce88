# Runs one fuzz target for a bounded time over a scratch copy of its seed
# corpus, so that new inputs never land in the source tree.
#   cmake -DFUZZER=exe -DCORPUS=dir -DWORK=dir -DSECONDS=n -P RunFuzzer.cmake
foreach(var FUZZER CORPUS WORK SECONDS)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "RunFuzzer.cmake: ${var} not set")
  endif()
endforeach()

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/corpus" "${WORK}/artifacts")
file(GLOB seeds "${CORPUS}/*")
if(NOT seeds)
  message(FATAL_ERROR "RunFuzzer.cmake: no seeds in ${CORPUS}")
endif()
file(COPY ${seeds} DESTINATION "${WORK}/corpus")

execute_process(
  COMMAND "${FUZZER}" "${WORK}/corpus"
          -max_total_time=${SECONDS} -timeout=10 -max_len=4096 -len_control=0 -print_final_stats=1
          "-artifact_prefix=${WORK}/artifacts/"
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  file(GLOB crashes "${WORK}/artifacts/*")
  message(FATAL_ERROR "${FUZZER} failed (${result}); inputs kept: ${crashes}")
endif()
