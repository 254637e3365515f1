# W32RTNS: the launch routines against real child processes, and the console output
# host (the line splitting is a core test, core/w32rtns.cmake). The child program lands
# beside the test programs.
add_executable(w32-writer programs/w32-writer.cpp)
add_executable(w32-writer-gui WIN32 programs/w32-writer.cpp)
foreach(writer w32-writer w32-writer-gui)
  target_link_libraries(${writer} PRIVATE owner)
  set_target_properties(${writer} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TEST_BIN_DIR})
endforeach()

# A launch with no output window shows a message box, which takes the display's focus.
add_wine_test(w32rtns_launch_test SOURCES w32rtns_launch_test.cpp LIBS tarvel_programs TIMEOUT 180
  RESOURCE_LOCK x_input)
add_dependencies(w32rtns_launch_test w32-writer)
add_wine_test(console_host_test SOURCES console_host_test.cpp)
add_dependencies(console_host_test w32-writer launch_host sample_child)
