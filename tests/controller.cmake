add_wine_test(controller_test SOURCES controller_test.cpp LIBS tarvel_programs)

# TARVEL.EXE started as a process, with action files the tests write.
add_wine_test(tarvel_process_test SOURCES tarvel_process_test.cpp TIMEOUT 180)
add_dependencies(tarvel_process_test TARVEL)
target_compile_definitions(tarvel_process_test PRIVATE TARVEL_EXE="${DIST_DIR}/TARVEL.EXE")
