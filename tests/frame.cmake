add_wine_test(frame_test SOURCES frame_test.cpp LIBS tarvel_programs)
