add_benchmark(joinenv_bench SOURCES joinenv_bench.cpp LIBS tarvel_programs)
