# Runs the LoadData fuzzer for a bounded time on a fresh working corpus
# seeded from SEEDS; any finding (a crash, a sanitizer report, a failed
# check) fails the test and leaves the input in ARTIFACTS.
#
#   cmake -DFUZZER=... -DSEEDS=... -DWORK=... -DARTIFACTS=... -DSECONDS=20 -DMAX_LEN=... \
#         -P run_fuzzer.cmake
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}" "${ARTIFACTS}")
execute_process(
  COMMAND "${FUZZER}" -max_total_time=${SECONDS} -max_len=${MAX_LEN} -timeout=10
          -rss_limit_mb=2048 -use_value_profile=1 -print_final_stats=1 "-artifact_prefix=${ARTIFACTS}/"
          "${WORK}" "${SEEDS}"
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the LoadData fuzzer found a problem (exit ${result}); see ${ARTIFACTS}")
endif()
