add_wine_test(controller_tarvel_test SOURCES controller_tarvel_test.cpp LIBS tarvel_programs)

# TARVEL.EXE started as a process, with action files the tests write.
add_wine_test(controller_tarvel_process_test SOURCES controller_tarvel_process_test.cpp TIMEOUT 180)
add_dependencies(controller_tarvel_process_test TARVEL)
target_compile_definitions(controller_tarvel_process_test PRIVATE TARVEL_EXE="${DIST_DIR}/TARVEL.EXE")
