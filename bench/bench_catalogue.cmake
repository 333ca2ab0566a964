dashcard_add_benchmark(bench_catalogue
  SOURCES
    bench_catalogue.cpp
  LIBS
    dashcard_core_catalogue
    dashcard_core_media_boxes
)
