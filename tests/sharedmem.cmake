# The shared-memory and window routines of W32RTNS, and W32ENUM.
add_executable(handover-report programs/handover-report.cpp)
target_link_libraries(handover-report PRIVATE tarvel_programs)
set_target_properties(handover-report PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TEST_BIN_DIR})

add_wine_test(sharedmem_test SOURCES sharedmem_test.cpp LIBS tarvel_programs)
add_dependencies(sharedmem_test handover-report)

add_wine_test(windows_test SOURCES windows_test.cpp LIBS tarvel_programs)

add_executable(handover-reply programs/handover-reply.cpp)
target_link_libraries(handover-reply PRIVATE tarvel_programs)
set_target_properties(handover-reply PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TEST_BIN_DIR})
