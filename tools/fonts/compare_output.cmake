# Runs the converter into a scratch file and fails when it differs from the
# committed tables.
execute_process(COMMAND ${CONVERTER} --out ${ACTUAL} ${SOURCES} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "psf_to_cpp failed (${status})")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${ACTUAL} ${EXPECTED} RESULT_VARIABLE differs)
if(NOT differs EQUAL 0)
  message(FATAL_ERROR "${EXPECTED} is not what psf_to_cpp makes of the installed fonts")
endif()
