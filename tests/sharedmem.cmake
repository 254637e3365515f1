# The shared-memory and window routines of W32RTNS, and W32ENUM.
add_executable(handover-report programs/handover-report.cpp)
target_link_libraries(handover-report PRIVATE tarvel_programs)
set_target_properties(handover-report PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TEST_BIN_DIR})

add_wine_test(w32rtns_shared_memory_test SOURCES w32rtns_shared_memory_test.cpp LIBS tarvel_programs)
add_dependencies(w32rtns_shared_memory_test handover-report)

add_wine_test(w32rtns_window_routines_test SOURCES w32rtns_window_routines_test.cpp LIBS tarvel_programs)

add_executable(handover-reply programs/handover-reply.cpp)
target_link_libraries(handover-reply PRIVATE tarvel_programs)
set_target_properties(handover-reply PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TEST_BIN_DIR})
