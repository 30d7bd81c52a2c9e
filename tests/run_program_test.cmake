# Runs one program test; see tests/CMakeLists.txt for the file conventions.
get_filename_component(dir ${PROGRAM} DIRECTORY)
get_filename_component(name ${PROGRAM} NAME_WE)
set(base ${dir}/${name})
set(args "")
if(EXISTS ${base}.args)
  file(READ ${base}.args args)
  string(STRIP "${args}" args)
  # @STATE@ names a state file of this test in the build tree, fresh for
  # every run of the test.
  string(REPLACE "@STATE@" "${OUTDIR}/${name}.state" args "${args}")
  # @FIFO@ names a FIFO of this test in the build tree.
  if(args MATCHES "@FIFO@")
    file(REMOVE ${OUTDIR}/${name}.fifo)
    execute_process(COMMAND mkfifo ${OUTDIR}/${name}.fifo RESULT_VARIABLE made)
    if(NOT made EQUAL 0)
      message(FATAL_ERROR "cannot make ${OUTDIR}/${name}.fifo")
    endif()
    string(REPLACE "@FIFO@" "${OUTDIR}/${name}.fifo" args "${args}")
  endif()
  separate_arguments(args UNIX_COMMAND "${args}")
endif()
file(REMOVE ${OUTDIR}/${name}.state)
# NAME.runs: how many times the command runs; the outputs are joined and the
# status is the last run's.
set(runs 1)
if(EXISTS ${base}.runs)
  file(READ ${base}.runs runs)
  string(STRIP "${runs}" runs)
endif()
set(input /dev/null)
if(EXISTS ${base}.in)
  set(input ${base}.in)
endif()
# The tests of tests/programs/tool/ give the whole command line in NAME.args.
set(command_line ${COMMAND} ${PROGRAM})
# The tests of tests/programs/fmt/ format a copy of NAME.mcr in the build
# tree; what the copy holds afterwards follows the command's output.
if("${COMMAND}" STREQUAL "fmt")
  file(COPY_FILE ${PROGRAM} ${OUTDIR}/${name}.mcr)
  set(command_line fmt ${args} ${OUTDIR}/${name}.mcr)
  set(args "")
endif()
if("${COMMAND}" STREQUAL "tool")
  set(command_line "")
endif()
set(out "")
set(err "")
foreach(run RANGE 1 ${runs})
  execute_process(
    COMMAND ${TOOL} ${command_line} ${args}
    INPUT_FILE ${input}
    OUTPUT_VARIABLE run_out
    ERROR_VARIABLE run_err
    RESULT_VARIABLE rc
    TIMEOUT 50)
  string(APPEND out "${run_out}")
  string(APPEND err "${run_err}")
endforeach()
# Messages that name the program file (FILE:LINE:COLUMN) name it as the
# expected files do, without its directory.
if("${COMMAND}" STREQUAL "fmt")
  file(READ ${OUTDIR}/${name}.mcr formatted)
  string(APPEND out "${formatted}")
  string(REPLACE "${OUTDIR}/" "" out "${out}")
  string(REPLACE "${OUTDIR}/" "" err "${err}")
endif()
string(REPLACE "${dir}/" "" out "${out}")
string(REPLACE "${dir}/" "" err "${err}")
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
# NAME.err, when present, is what standard error must be.
if(EXISTS ${base}.err)
  file(READ ${base}.err expected_err)
  string(REPLACE "${OUTDIR}/${name}.fifo" "@FIFO@" err "${err}")
  if(NOT err STREQUAL expected_err)
    message(FATAL_ERROR "stderr differs from ${base}.err\n--- expected ---\n${expected_err}\n--- actual ---\n${err}")
  endif()
endif()
