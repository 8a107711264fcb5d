# Installs the build tree BUILD under PREFIX and checks that PROGRAM and its
# manual page land where a user looks for them, and that the installed
# program answers --version with "PROGRAM VERSION".
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${PREFIX}
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${status}")
endif()
foreach(file bin/${PROGRAM} share/man/man1/${PROGRAM}.1)
  if(NOT EXISTS ${PREFIX}/${file})
    message(FATAL_ERROR "${PREFIX}/${file} was not installed")
  endif()
endforeach()
execute_process(COMMAND ${PREFIX}/bin/${PROGRAM} --version OUTPUT_VARIABLE out
                RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT out STREQUAL "${PROGRAM} ${VERSION}\n")
  message(FATAL_ERROR "the installed ${PROGRAM} answers --version with \"${out}\" (${status})")
endif()
