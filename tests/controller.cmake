add_wine_test(controller_tarvel_test SOURCES controller_tarvel_test.cpp LIBS tarvel_programs)

# TARVEL.EXE started as a process, with action files the tests write. Its message box
# takes the display's focus, so the program shares the display's lock.
add_wine_test(controller_tarvel_process_test SOURCES controller_tarvel_process_test.cpp TIMEOUT 180
  RESOURCE_LOCK x_input)
add_dependencies(controller_tarvel_process_test TARVEL)
target_compile_definitions(controller_tarvel_process_test PRIVATE TARVEL_EXE="${DIST_DIR}/TARVEL.EXE")
