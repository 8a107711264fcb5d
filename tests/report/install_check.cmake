# Installs the build tree BUILD under PREFIX and checks that raincorr-report
# and its manual page land where a user looks for them.
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${PREFIX}
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${status}")
endif()
foreach(file bin/raincorr-report share/man/man1/raincorr-report.1)
  if(NOT EXISTS ${PREFIX}/${file})
    message(FATAL_ERROR "${PREFIX}/${file} was not installed")
  endif()
endforeach()
execute_process(COMMAND ${PREFIX}/bin/raincorr-report --version OUTPUT_VARIABLE out
                RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT out STREQUAL "raincorr-report ${VERSION}\n")
  message(FATAL_ERROR "the installed raincorr-report answers --version with \"${out}\" (${status})")
endif()
