# Runs one program test; see tests/CMakeLists.txt for the file conventions.
get_filename_component(dir ${PROGRAM} DIRECTORY)
get_filename_component(name ${PROGRAM} NAME_WE)
set(base ${dir}/${name})
set(args "")
if(EXISTS ${base}.args)
  file(READ ${base}.args args)
  string(STRIP "${args}" args)
  separate_arguments(args UNIX_COMMAND "${args}")
endif()
set(input /dev/null)
if(EXISTS ${base}.in)
  set(input ${base}.in)
endif()
execute_process(
  COMMAND ${TOOL} ${COMMAND} ${PROGRAM} ${args}
  INPUT_FILE ${input}
  OUTPUT_VARIABLE out
  ERROR_VARIABLE err
  RESULT_VARIABLE rc
  TIMEOUT 50)
set(expected_rc 0)
if(EXISTS ${base}.rc)
  file(READ ${base}.rc expected_rc)
  string(STRIP "${expected_rc}" expected_rc)
endif()
file(READ ${base}.out expected)
if(NOT out STREQUAL expected)
  file(WRITE ${OUTDIR}/${name}.actual "${out}")
  message(FATAL_ERROR "output differs from ${base}.out\n--- expected ---\n${expected}\n--- actual ---\n${out}\n--- stderr ---\n${err}")
endif()
if(NOT rc STREQUAL expected_rc)
  message(FATAL_ERROR "exit status ${rc}, expected ${expected_rc}\n${err}")
endif()
