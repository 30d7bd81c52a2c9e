# Runs the demonstration program and compares its standard output.
execute_process(COMMAND ${TOOL} --config ${CONFIG} run ${PROGRAM} *MAIN
  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc TIMEOUT 30)
file(READ ${EXPECTED} expected)
if(NOT rc EQUAL 0 OR NOT out STREQUAL expected)
  message(FATAL_ERROR "exit ${rc}\n--- expected ---\n${expected}\n--- actual ---\n${out}\n--- stderr ---\n${err}")
endif()
