# kestrom_probe_wine(RESULT): builds cmake/wine_probe.c with this build's
# compiler and runs it through wine-run.sh, as every Windows test runs.
# Sets RESULT to ON when it printed its line, and writes the verdict to
# wine-probe.txt ("runs", or "no: " and why), which scripts/test.sh reads.
function(kestrom_probe_wine result)
  set(verdict_file ${CMAKE_BINARY_DIR}/wine-probe.txt)
  set(probe ${CMAKE_BINARY_DIR}/wine-probe/wine_probe.exe)
  if("$ENV{KESTROM_WINE_PROBE}" STREQUAL "off")
    set(verdict "no: not probed (KESTROM_WINE_PROBE=off)")
  else()
    file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/wine-probe)
    execute_process(
      COMMAND ${CMAKE_C_COMPILER} -O2 -s -static -o ${probe}
              ${CMAKE_SOURCE_DIR}/cmake/wine_probe.c
      RESULT_VARIABLE cc_status ERROR_VARIABLE cc_error)
    if(NOT cc_status EQUAL 0)
      message(FATAL_ERROR "cannot build the Wine probe: ${cc_error}")
    endif()
    execute_process(
      COMMAND sh ${CMAKE_SOURCE_DIR}/cmake/wine-probe.sh
              ${CMAKE_BINARY_DIR}/wine-run.sh ${probe}
      OUTPUT_VARIABLE verdict OUTPUT_STRIP_TRAILING_WHITESPACE)
  endif()
  file(WRITE ${verdict_file} "${verdict}\n")
  if(verdict STREQUAL "runs")
    set(${result} ON PARENT_SCOPE)
  else()
    message(STATUS "Windows tests not registered: ${verdict}")
    set(${result} OFF PARENT_SCOPE)
  endif()
endfunction()
