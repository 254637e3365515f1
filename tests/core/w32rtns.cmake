# tarvel/w32rtns: the line splitting of a child's output.
add_core_fuzz(output_lines LIBS w32rtns_core)
