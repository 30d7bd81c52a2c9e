# Generates the reference and the grammar into the build tree and compares
# them with the checked-in files.
execute_process(COMMAND ${DOCGEN} ${OUTDIR}/reference.md ${OUTDIR}/macro-sc.tmLanguage.json
  RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "msc_docgen failed (${rc}): ${err}")
endif()
foreach(pair "reference.md;${REFERENCE}" "macro-sc.tmLanguage.json;${GRAMMAR}")
  list(GET pair 0 generated)
  list(GET pair 1 checked_in)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUTDIR}/${generated} ${checked_in}
    RESULT_VARIABLE differs)
  if(NOT differs EQUAL 0)
    message(FATAL_ERROR "${checked_in} is not what the engine's tables give "
      "(compare ${OUTDIR}/${generated}).\nRegenerate it with: cmake --build <build-dir> --target docs")
  endif()
endforeach()
