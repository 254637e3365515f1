add_wine_test(vfile_sort_test SOURCES vfile_sort_test.cpp LIBS qurdex)
add_wine_test(joinenv_test SOURCES joinenv_test.cpp LIBS tarvel_programs)
