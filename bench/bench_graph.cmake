dashcard_add_benchmark(bench_graph
  SOURCES
    bench_graph.cpp
  LIBS
    dashcard_ui_graph
    dashcard_core_catalogue
    Qt6::Widgets
)
