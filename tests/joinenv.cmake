add_wine_test(qurdex_vfile_sort_test SOURCES qurdex_vfile_sort_test.cpp LIBS qurdex)
add_wine_test(pathenv_joinenv_test SOURCES pathenv_joinenv_test.cpp LIBS tarvel_programs)

# JOINENV in a process of its own, started with an environment block of the test's.
add_executable(joinenv_child programs/joinenv_child.cpp)
target_link_libraries(joinenv_child PRIVATE tarvel_programs test_support)
set_target_properties(joinenv_child PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TEST_BIN_DIR})
add_wine_test(pathenv_joinenv_entry_test SOURCES pathenv_joinenv_entry_test.cpp LIBS tarvel_programs)
add_dependencies(pathenv_joinenv_entry_test joinenv_child)
