# Runs the fuzzer for SECONDS from a fresh copy of the seed corpus and fails
# when it finds an input that breaks an invariant or trips a sanitizer.
# cmake -D FUZZER=... -D SEEDS=... -D CORPUS=... -D CRASHES=... -D SECONDS=...
#       -P run_fuzz.cmake
foreach(var FUZZER SEEDS CORPUS CRASHES SECONDS)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "run_fuzz.cmake needs -D ${var}=...")
  endif()
endforeach()

file(REMOVE_RECURSE ${CORPUS})
file(COPY ${SEEDS}/ DESTINATION ${CORPUS})
file(MAKE_DIRECTORY ${CRASHES})

# Inputs up to 4 KiB reach the block-wise line search and paths longer than
# the 260-byte buffers; a single input running 10 s counts as a hang.
execute_process(
  COMMAND ${FUZZER} -max_total_time=${SECONDS} -max_len=4096 -timeout=10
          -print_final_stats=1 -artifact_prefix=${CRASHES}/ ${CORPUS}
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the fuzzer failed (${result}); its input is in ${CRASHES}")
endif()
