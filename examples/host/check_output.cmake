# Runs the example host and compares its standard output with the expected text.
execute_process(COMMAND ${HOST} ${PROGRAM} ${STATE}
  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc TIMEOUT 30)
file(READ ${EXPECTED} expected)
string(REPLACE "${PROGRAM}" "counter.mcr" out "${out}")
if(NOT rc EQUAL 0 OR NOT out STREQUAL expected)
  message(FATAL_ERROR "exit ${rc}\n--- expected ---\n${expected}\n--- actual ---\n${out}\n--- stderr ---\n${err}")
endif()
