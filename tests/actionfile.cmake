# The action-file tool and its text form.
add_wine_test(actionfile_action_text_test SOURCES actionfile_action_text_test.cpp LIBS actionfile_core)
add_custom_command(TARGET actionfile_action_text_test POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:actionfile> ${TEST_BIN_DIR})
add_dependencies(actionfile_action_text_test actionfile w32-writer handover-report)
