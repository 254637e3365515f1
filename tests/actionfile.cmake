# The action-file tool and its text form.
add_wine_test(actionfile_action_text_test SOURCES actionfile_action_text_test.cpp LIBS actionfile_core)
# The tool beside the test program, copied again whenever the tool is rebuilt.
add_custom_command(OUTPUT ${TEST_BIN_DIR}/actionfile.exe
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:actionfile> ${TEST_BIN_DIR}
  DEPENDS actionfile $<TARGET_FILE:actionfile>)
add_custom_target(actionfile_beside_tests DEPENDS ${TEST_BIN_DIR}/actionfile.exe)
add_dependencies(actionfile_action_text_test actionfile_beside_tests w32-writer handover-report)
# The text form's example is read from its document itself, so the two cannot drift apart.
target_compile_definitions(actionfile_action_text_test PRIVATE
  ACTIONFILE_TEXT_FORM_DOC="${PROJECT_SOURCE_DIR}/docs/running-tables.md")
