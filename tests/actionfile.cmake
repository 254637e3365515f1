# The action-file tool end to end (its text form is a core test, core/actionfile.cmake).
add_wine_test(actionfile_test SOURCES actionfile_test.cpp LIBS actionfile_core)
# The tool beside the test program, copied again whenever the tool is rebuilt.
add_custom_command(OUTPUT ${TEST_BIN_DIR}/actionfile.exe
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:actionfile> ${TEST_BIN_DIR}
  DEPENDS actionfile $<TARGET_FILE:actionfile>)
add_custom_target(actionfile_beside_tests DEPENDS ${TEST_BIN_DIR}/actionfile.exe)
add_dependencies(actionfile_test actionfile_beside_tests w32-writer handover-report)
