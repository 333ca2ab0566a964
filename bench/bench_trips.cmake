dashcard_add_benchmark(bench_trips
  SOURCES
    bench_trips.cpp
  LIBS
    dashcard_core_catalogue
    dashcard_core_telemetry
)
