dashcard_add_benchmark(bench_map
  SOURCES
    bench_map.cpp
  LIBS
    dashcard_core_map
)
