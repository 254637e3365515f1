add_wine_test(vfile_sort_test SOURCES vfile_sort_test.cpp LIBS qurdex)
