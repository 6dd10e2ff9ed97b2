# Runs one fuzz target: by default a fixed number of inputs with a fixed seed from an empty
# work corpus plus the seeds, so the run is the same each time; with SANIVO_FUZZ_SECONDS set,
# for that many seconds on a work corpus that is kept and grows from run to run.
#   cmake -DTARGET=... -DRUNS=... -DWORK=... -DARTIFACTS=... -DSEEDS=dir;dir -P run_fuzz_target.cmake
if(DEFINED ENV{SANIVO_FUZZ_SECONDS})
  set(limit -max_total_time=$ENV{SANIVO_FUZZ_SECONDS})
  set(WORK ${WORK}/kept)
else()
  set(limit -runs=${RUNS} -seed=1)
  set(WORK ${WORK}/fixed-run)
  file(REMOVE_RECURSE ${WORK})
endif()
file(MAKE_DIRECTORY ${WORK} ${ARTIFACTS})
# libFuzzer adds what it finds to the first folder only: the seeds stay as they are.
execute_process(COMMAND ${TARGET} ${limit} -artifact_prefix=${ARTIFACTS}/ ${WORK} ${SEEDS}
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${TARGET} failed (${result}); the input that broke it is in ${ARTIFACTS}")
endif()
