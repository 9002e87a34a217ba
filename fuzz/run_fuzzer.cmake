# Runs one libFuzzer target for a bounded time, as a CTest test:
#   cmake -DFUZZER=path -DSECONDS=n -DARTIFACTS=dir -DLOG=file -P run_fuzzer.cmake -- CORPUS...
# New inputs go to the first corpus folder. A crash, leak, timeout or
# out-of-memory input is written to ARTIFACTS and named in the failure, so
# that whoever reads a red CI log knows which file to keep as a regression.
foreach(var FUZZER SECONDS ARTIFACTS LOG)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "run_fuzzer.cmake: -D${var}= is missing")
  endif()
endforeach()

set(corpus)
set(after_dashes FALSE)
math(EXPR last "${CMAKE_ARGC} - 1")
foreach(i RANGE ${last})
  if(after_dashes)
    list(APPEND corpus "${CMAKE_ARGV${i}}")
  elseif(CMAKE_ARGV${i} STREQUAL "--")
    set(after_dashes TRUE)
  endif()
endforeach()

file(MAKE_DIRECTORY "${ARTIFACTS}")
# -timeout bounds one input; -max_total_time is checked between inputs, so
# the whole run ends within SECONDS plus one input's timeout.
execute_process(
  COMMAND "${FUZZER}" -max_total_time=${SECONDS} -rss_limit_mb=2048 -timeout=10
    -print_final_stats=1 "-artifact_prefix=${ARTIFACTS}/" ${corpus}
  RESULT_VARIABLE result
  OUTPUT_VARIABLE output
  ERROR_VARIABLE output)
file(WRITE "${LOG}" "${output}")

get_filename_component(name "${FUZZER}" NAME)
string(REGEX MATCHALL "Test unit written to [^\n]*" written "${output}")
list(TRANSFORM written REPLACE "^Test unit written to " "")

if(result EQUAL 0 AND NOT written)
  string(REGEX MATCH "Done [0-9]+ runs in [0-9]+ second\\(s\\)" done "${output}")
  string(REGEX MATCH "stat::new_units_added: +([0-9]+)" added "${output}")
  set(added "${CMAKE_MATCH_1}")
  string(REGEX MATCH "stat::peak_rss_mb: +([0-9]+)" rss "${output}")
  set(rss "${CMAKE_MATCH_1}")
  message("${name}: ${done}, ${added} new inputs, peak RSS ${rss} MB (log: ${LOG})")
  return()
endif()

# Plain message() for the text a developer acts on: FATAL_ERROR's own
# text is reflowed, which would break the file names apart.
message("${output}")
if(written)
  list(JOIN written "\n  " files)
  message("${name} failed (${result}). The input that did it is kept in\n  ${files}\n"
    "Replay it with `${FUZZER} FILE`; once the fault is mended, copy it into the fuzzer's "
    "regressions/ folder under a name that says what it does.")
else()
  message("${name} failed (${result}) without writing an input to ${ARTIFACTS}/; "
    "the whole log is in ${LOG}")
endif()
message(FATAL_ERROR "${name}: fuzz test failed")
