dashcard_add_benchmark(bench_telemetry
  SOURCES
    bench_telemetry.cpp
  LIBS
    dashcard_core_telemetry
    dashcard_core_catalogue
)
