# W32RTNS: line splitting, the launch routines against real child processes, and the
# console output host. The child program lands beside the test programs.
add_executable(w32-writer programs/w32-writer.cpp)
add_executable(w32-writer-gui WIN32 programs/w32-writer.cpp)
foreach(writer w32-writer w32-writer-gui)
  target_link_libraries(${writer} PRIVATE owner)
  set_target_properties(${writer} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TEST_BIN_DIR})
endforeach()

add_wine_test(w32rtns_output_lines_test SOURCES w32rtns_output_lines_test.cpp LIBS tarvel_programs)
add_wine_test(w32rtns_launch_test SOURCES w32rtns_launch_test.cpp LIBS tarvel_programs TIMEOUT 180)
add_dependencies(w32rtns_launch_test w32-writer)
add_wine_test(console_host_test SOURCES console_host_test.cpp)
add_dependencies(console_host_test w32-writer launch_host sample_child)
