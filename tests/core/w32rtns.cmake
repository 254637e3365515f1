# tarvel/w32rtns: the line splitting of a child's output and the launch's command line.
add_core_test(w32rtns_output_lines_test SOURCES w32rtns_output_lines_test.cpp LIBS w32rtns_core)
add_core_fuzz(output_lines LIBS w32rtns_core)
add_core_fuzz(command_line LIBS w32rtns_core)
