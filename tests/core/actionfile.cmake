# tools/actionfile: the action file's text form and bytes.
# The text form's example is read from its document itself, so the two cannot drift apart.
add_core_test(actionfile_action_text_test SOURCES actionfile_action_text_test.cpp
  LIBS actionfile_core DEFINES ACTIONFILE_TEXT_FORM_DOC="${TEST_SOURCE_ROOT}/docs/running-tables.md")

# Text to table to text, and any bytes as a file.
add_core_fuzz(action_text LIBS actionfile_core)
add_core_fuzz(action_bytes LIBS actionfile_core)
