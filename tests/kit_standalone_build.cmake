# The installed kit KIT configured and built on its own in the fresh folder BUILD, with
# the toolchain file it carries; then its two hosts run there (through WINE_RUN) and
# end with exit code 0.
file(REMOVE_RECURSE ${BUILD})

function(run_step)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE output
                  ERROR_VARIABLE output WORKING_DIRECTORY ${BUILD})
  list(JOIN ARGN " " command)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${command}: ${result}\n${output}")
  endif()
  message(STATUS "${command}: done")
endfunction()

file(MAKE_DIRECTORY ${BUILD})
run_step(${CMAKE_COMMAND} -S ${KIT} -B ${BUILD} -DCMAKE_TOOLCHAIN_FILE=${KIT}/mingw-i686.cmake
         -DCMAKE_BUILD_TYPE=Release)
run_step(${CMAKE_COMMAND} --build ${BUILD})
run_step(${WINE_RUN} ${BUILD}/bin/host_process.exe)
run_step(${WINE_RUN} ${BUILD}/bin/host_in_process.exe)
