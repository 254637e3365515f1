add_wine_test(qurdex_test SOURCES qurdex_test.cpp LIBS qurdex)
