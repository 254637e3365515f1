# Run-time drives, directories, file names and library files; ABSPATH; QUERYEXE;
# the controller's application directory switch.
add_wine_test(qurdex_directories_locate_test SOURCES qurdex_directories_locate_test.cpp LIBS qurdex qurdex_library_format)
add_dependencies(qurdex_directories_locate_test libfile)
add_wine_test(pathenv_abspath_test SOURCES pathenv_abspath_test.cpp LIBS tarvel_programs)
add_wine_test(controller_appdir_test SOURCES controller_appdir_test.cpp LIBS tarvel_programs)
add_wine_test(pathenv_queryexe_test SOURCES pathenv_queryexe_test.cpp LIBS tarvel_programs qurdex_library_format)
add_dependencies(pathenv_queryexe_test libfile)
