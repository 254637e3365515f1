# Run-time drives, directories, file names and library files; ABSPATH; QUERYEXE;
# the controller's application directory switch.
add_wine_test(paths_runtime_test SOURCES paths_runtime_test.cpp LIBS qurdex qurdex_library_format)
add_dependencies(paths_runtime_test libfile)
add_wine_test(paths_abspath_test SOURCES paths_abspath_test.cpp LIBS tarvel_programs)
add_wine_test(paths_appdir_test SOURCES paths_appdir_test.cpp LIBS tarvel_programs)
add_wine_test(paths_queryexe_test SOURCES paths_queryexe_test.cpp LIBS tarvel_programs qurdex_library_format)
add_dependencies(paths_queryexe_test libfile)
