# Runs the archiver AR on the MRI script SCRIPT, which merges archives into one.
execute_process(COMMAND ${AR} -M INPUT_FILE ${SCRIPT} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${AR} -M ${SCRIPT} failed: ${result}")
endif()
